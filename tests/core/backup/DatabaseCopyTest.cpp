#include "core/backup/DatabaseCopy.h"
#include "core/backup/DueFolders.h"
#include "core/common/AtomicFile.h"
#include "core/data/ReadStretch.h"
#include "support/BackupFixture.h"
#include "support/SqlClient.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <sys/stat.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

ino_t Inode(const std::string& file)
{
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

TEST_F(BackupTest, AnUnchangedDatabaseIsNotCopiedAgainAndAChangedOneIs)
{
    builder.AddDocument(folder, Doc("a.tif"));
    ASSERT_TRUE(Run());
    const std::string libCopy = LibDatabaseFile(backup), ctrlCopy = CtrlDatabaseFile(backup);
    const ino_t libFirst = Inode(libCopy), ctrlFirst = Inode(ctrlCopy);
    EXPECT_FALSE(Record("LIB.MDE Copy").empty());

    ASSERT_TRUE(Run());
    EXPECT_EQ(Inode(libCopy), libFirst);
    EXPECT_EQ(Inode(ctrlCopy), ctrlFirst);

    builder.AddLogin(1, "2026-01-01 08:00:00");
    ASSERT_TRUE(Run());
    EXPECT_EQ(Inode(libCopy), libFirst);
    EXPECT_NE(Inode(ctrlCopy), ctrlFirst);
    EXPECT_EQ(CountRows(ctrlCopy, "SELECT * FROM `active-list`"), 1);

    builder.AddUser("Late Comer", "late");
    ASSERT_TRUE(Run());
    EXPECT_NE(Inode(libCopy), libFirst);
    EXPECT_EQ(QueryOne(libCopy, "SELECT `user-name` FROM `user-list` WHERE `login-id`='late'"), "Late Comer");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(BackupTest, ADamagedMissingOrUnknownCopyIsMadeAgain)
{
    builder.AddDocument(folder, Doc("a.tif"));
    ASSERT_TRUE(Run());
    const std::string libCopy = LibDatabaseFile(backup), ctrlCopy = CtrlDatabaseFile(backup);

    WriteFile(libCopy, "not a database");
    fs::remove(ctrlCopy);
    ASSERT_TRUE(Run());
    EXPECT_EQ(QueryOne(libCopy, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(QueryOne(ctrlCopy, "PRAGMA integrity_check"), "ok");

    const ino_t before = Inode(libCopy);
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "LIB.MDE Copy", "something else");
    ASSERT_TRUE(Run());
    EXPECT_NE(Inode(libCopy), before);
}

TEST(DatabaseCopy, AWalDatabaseIsCopiedEveryTime)
{
    TestEnv env;
    const std::string source = (env.root / "wal.db").string(), target = (env.root / "copy.db").string();
    {
        SQLite::Database db(source, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("PRAGMA journal_mode=WAL");
        db.exec("CREATE TABLE t (v TEXT); INSERT INTO t VALUES ('kept')");
    }
    ASSERT_FALSE(fs::exists(source + "-wal")); // only the header tells now
    const DatabaseCopyResult first = CopyDatabase(source, target);
    EXPECT_TRUE(first.copied);
    EXPECT_TRUE(first.stamp.empty());
    EXPECT_TRUE(CopyDatabase(source, target, first.stamp).copied);
    EXPECT_EQ(QueryOne(target, "SELECT v FROM t"), "kept");
}

TEST(DatabaseCopy, ADamagedSourceLeavesTheOldCopy)
{
    TestEnv env;
    const std::string source = (env.root / "lib.db").string(), target = (env.root / "copy.db").string();
    {
        SQLite::Database db(source, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        db.exec("CREATE TABLE t (v TEXT); INSERT INTO t VALUES ('old')");
    }
    const DatabaseCopyResult first = CopyDatabase(source, target);
    ASSERT_FALSE(first.stamp.empty());
    EXPECT_FALSE(CopyDatabase(source, target, first.stamp).copied);

    // Page 2 holds the table: break its page type.
    {
        std::fstream f(source, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096);
        f.put('\x7f');
    }
    EXPECT_ANY_THROW(CopyDatabase(source, target, first.stamp));
    EXPECT_EQ(QueryOne(target, "SELECT v FROM t"), "old");
    EXPECT_FALSE(fs::exists(WorkFileFor(target)));
}

TEST_F(BackupTest, UnchangedAndEmptyFoldersAreCountedInAnIncrementalRun)
{
    builder.AddDocument(folder, Doc("a.tif"));
    const std::int64_t drawer = builder.AddDrawer(builder.AddCabinet("Second"));
    const std::int64_t other = builder.AddFolder(drawer);
    builder.AddFolder(drawer, "Empty");
    builder.AddDocument(other, Doc("b.tif"));
    builder.AddDocument(other, Doc("c.tif", "0"));
    ASSERT_TRUE(Run());
    ASSERT_EQ(last.scan, 3);

    auto late = Doc("late.tif", "2", "2099-01-01 00:00:00");
    late.fileTime = fs::file_time_type::clock::now() + std::chrono::hours(2);
    builder.AddDocument(other, late);
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.scan, 4);
    EXPECT_EQ(last.modified, 1);
    EXPECT_EQ(last.copy, 1);
    EXPECT_TRUE(fs::exists(Copied("late.tif")));
}

TEST_F(BackupTest, AFailedDatabaseCopyIsToldAndKeepsTheOldDate)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directories(backup);
    WriteFile(backup + "/00000000", "a file where the control directory belongs");
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "Date", "01/01/2000 00:00:00");
    ASSERT_TRUE(Run());
    EXPECT_TRUE(fs::exists(Copied("a.tif")));
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_NE(env.prompter.boxes[0].text.find("LibBackup.CopyLibData"), std::string::npos);
    EXPECT_EQ(env.prompter.boxes[1].text, "Copy database not successful. \r\n"
                                          "Only image files have been backed up. Please run Backup again. ");
    EXPECT_EQ(Record("DATE"), "01/01/2000 00:00:00");
    EXPECT_EQ(ReadFile(backup + "/00000000"), "a file where the control directory belongs");
}

// Closing any descriptor of the live database drops this process's locks on
// it: while the walk holds its read transaction, no client may commit, even
// after the database was copied and the folders counted, or the walk reads a
// torn database.
TEST_F(BackupTest, TheDatabaseCopyKeepsTheWalksReadLock)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directories(backup + "/00000000");
    const std::string live = LibDatabaseFile(lib), update = "UPDATE `lib-ctrl` SET `filecount`=?1 WHERE `rec-id`=1";
    {
        ReadStretch stretch(env.app->db);
        stretch.Begin();
        ASSERT_TRUE(env.app->db.QueryExe("SELECT count(*) FROM `images`"));
        const DatabaseCopyResult first = CopyDatabase(live, LibDatabaseFile(backup));
        EXPECT_FALSE(CopyDatabase(live, LibDatabaseFile(backup), first.stamp).copied);
        // The counting beside the walk opens and closes a connection of its own.
        EXPECT_EQ(ReadFolderCounts(live, 512).at(folder), 1);
        EXPECT_EQ(SqlClientRun(live, 100, update), 5) << "a client committed under the walk's read transaction";
    }
    EXPECT_EQ(SqlClientRun(live, 2000, update), 0);
    EXPECT_EQ(QueryOne(LibDatabaseFile(backup), "PRAGMA integrity_check"), "ok");
}

// A client commits round after round while backups run, full and
// incremental. Each copy of LIB.MDE is whole and holds one committed state:
// every round up to one, none after it, the tally its trigger keeps in the
// same transaction agreeing, and no older than the library was when the run
// started. A copy that could not be made is told, and the old one stays.
TEST_F(BackupTest, ACopyMadeWhileAClientCommitsHoldsOneCommittedState)
{
    for (int i = 0; i < 20; ++i) builder.AddDocument(folder, Doc("d" + std::to_string(i) + ".tif"));
    builder.Lib().exec("CREATE TABLE rounds (n INTEGER PRIMARY KEY, pad BLOB);"
                       "CREATE TABLE tally (total INTEGER); INSERT INTO tally VALUES (0);"
                       "CREATE TRIGGER counted AFTER INSERT ON rounds BEGIN UPDATE tally SET total=total+1; END");
    const std::string live = LibDatabaseFile(lib), copy = LibDatabaseFile(backup);
    // The client may hold its lock long on a busy disk: reading waits.
    auto rounds = [](const std::string& file, const std::string& sql = "SELECT count(*) FROM rounds") {
        SQLite::Database db(file, SQLite::OPEN_READONLY, 60000);
        return db.execAndGet(sql).getInt64();
    };
    SqlClient client(live, 60000, 1000000, "INSERT INTO rounds VALUES (?1, randomblob(3000))", 5);
    struct Stopper {
        SqlClient& client;
        ~Stopper() { client.Stop(); }
    } stopper{client};
    int during = 0; // copies made while the client was committing
    std::int64_t held = 0;
    for (int run = 0; run < 40 && during < 4; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        if (run % 3 == 0) fs::remove_all(backup);
        const std::int64_t atStart = rounds(live);
        env.prompter.Clear();
        const bool ran = Run();
        std::string told;
        for (const auto& box : env.prompter.boxes) told += box.text + "\n";
        ASSERT_TRUE(ran) << told;
        const std::int64_t atEnd = rounds(live);
        // A client that holds its lock past the busy timeout fails the copy.
        const bool failed = told.find("Copy database not successful") != std::string::npos;
        if (failed && !fs::exists(copy)) continue;
        ASSERT_EQ(QueryOne(copy, "PRAGMA integrity_check"), "ok");
        const std::int64_t before = held;
        held = rounds(copy);
        EXPECT_EQ(rounds(copy, "SELECT coalesce(max(n), 0) FROM rounds"), held);
        EXPECT_EQ(rounds(copy, "SELECT total FROM tally"), held);
        if (failed) {
            EXPECT_EQ(held, before);
            continue;
        }
        EXPECT_EQ(told, "");
        EXPECT_GE(held, atStart);
        EXPECT_LE(held, atEnd);
        during += held > 0 && held < atEnd;
    }
    EXPECT_GE(during, 1) << "no copy was made while the client committed";
}
