// Restoring a backup as a new library: what comes back, what is told, and
// where a restore is refused.
#include "RestoreFixture.h"
#include "core/backup/BackupLock.h"
#include "core/backup/RestoreTarget.h"
#include "core/data/Database.h"

namespace fs = std::filesystem;

namespace {

std::string Integrity(const std::string& db) { return QueryOne(db, "PRAGMA integrity_check"); }

} // namespace

TEST_F(RestoreTest, TheRestoredLibraryHasTheSourcesFilesBytesAndTimes)
{
    BackedUp(30);
    dir = (env.root / "made/with/parents").string();
    // A document the walk never reaches, whose file the backup holds all the same.
    auto outside = Doc("outside.tif");
    outside.location = "00000002";
    builder.AddDocument(builder.AddFolder(folder), outside);
    ASSERT_TRUE(Run());
    fs::create_directories(backup + "/00000002");
    fs::copy_file(builder.FileOf(outside), backup + "/00000002/outside.tif", fs::copy_options::none);
    fs::last_write_time(backup + "/00000002/outside.tif", fs::last_write_time(builder.FileOf(outside)));

    ASSERT_TRUE(Restore()) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_TRUE(env.prompter.boxes.empty());
    EXPECT_EQ(totals.restored, 33); // the documents and the two databases
    EXPECT_EQ(totals.skipped, 0);
    EXPECT_EQ(totals.unchecked, 1); // the file no run copied has no entry
    EXPECT_TRUE(totals.Whole());
    for (const auto& d : docs) {
        const std::string copy = dir + "/" + d.location + "/" + d.filename;
        EXPECT_EQ(ReadFile(copy), ReadFile(builder.FileOf(d))) << d.filename;
        EXPECT_EQ(Stat(copy).st_mtim.tv_nsec, Stat(builder.FileOf(d).string()).st_mtim.tv_nsec) << d.filename;
        EXPECT_EQ(Stat(copy).st_mtim.tv_sec, Stat(builder.FileOf(d).string()).st_mtim.tv_sec) << d.filename;
    }
    EXPECT_EQ(ReadFile(dir + "/00000002/outside.tif"), ReadFile(builder.FileOf(outside)));
    for (const char* db : {"/00000000/LIB.MDE", "/00000000/CTRL.MDE"}) {
        EXPECT_EQ(ReadFile(dir + db), ReadFile(backup + db)) << db;
        EXPECT_EQ(Integrity(dir + db), "ok") << db;
    }
    EXPECT_EQ(CountRows(LibDatabaseFile(dir), "SELECT count(*) FROM images"), 31);
    // Ended: no marker, no work file, and no list of mismatches.
    EXPECT_EQ(Hidden(dir), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(dir + "/restore-mismatches.txt"));
    // A library now, so the same restore is refused.
    env.prompter.Clear();
    EXPECT_FALSE(Restore());
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{kRestoreIntoLibrary + dir});
}

TEST_F(RestoreTest, EveryFileTheManifestCannotVouchForIsNamedAndRestoredAllTheSame)
{
    BackedUp(6);
    auto late = Doc("late.tif");
    builder.AddDocument(folder, late);
    ASSERT_TRUE(Run());
    // Copied into the backup by hand: the manifest has no entry for it.
    fs::copy_file(builder.FileOf(late), backup + "/00000001/late.tif");
    const std::string damaged = backup + "/00000001/00000001-1.tif";
    const auto time = fs::last_write_time(damaged);
    std::string bytes = ReadFile(damaged);
    bytes[500] ^= 0x20;
    WriteFile(damaged, bytes);
    fs::last_write_time(damaged, time);
    // Lost from the backup.
    fs::remove(backup + "/00000001/00000001-4.tif");

    ASSERT_TRUE(Restore()) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.restored, 8);
    EXPECT_EQ(totals.unchecked, 1);
    EXPECT_EQ(totals.mismatches.count, 1);
    EXPECT_EQ(totals.mismatches.names, std::vector<std::string>{"00000001/00000001-1.tif"});
    EXPECT_EQ(totals.missing.names, std::vector<std::string>{"5: 00000001/00000001-4.tif"});
    EXPECT_FALSE(totals.Whole());
    EXPECT_EQ(ReadFile(dir + "/00000001/00000001-1.tif"), bytes);
    EXPECT_EQ(ReadFile(dir + "/restore-mismatches.txt"), "00000001/00000001-1.tif\n");
    EXPECT_EQ(ReadFile(dir + "/00000001/late.tif"), ReadFile(builder.FileOf(late)));
    EXPECT_FALSE(fs::exists(dir + "/" + kRestoreMarkerName));
}

// The backup never copied a document that fails the change test: the
// restore tells it apart from a file the backup lost, and stays whole.
TEST_F(RestoreTest, DocumentsTheBackupNeverCopiesAreToldApartFromLostFiles)
{
    builder.AddDocument(folder, Doc("zero.tif", "0"));
    BackedUp(2);
    ASSERT_TRUE(Restore()) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.notDue.count, 1);
    EXPECT_EQ(totals.missing.count, 0);
    EXPECT_TRUE(totals.Whole());
    EXPECT_NE(RestoreReportText(totals, backup, dir).find("no incremental backup copies"), std::string::npos);

    std::filesystem::remove_all(dir);
    std::filesystem::remove(backup + "/00000001/00000001-1.tif");
    ASSERT_TRUE(Restore());
    EXPECT_EQ(totals.missing.count, 1);
    EXPECT_FALSE(totals.Whole());
}

TEST_F(RestoreTest, RowsNamingFilesOutOfReachAreRefusedAndNeverFollowed)
{
    BackedUp(2);
    const fs::path outside = env.root / "outside";
    fs::create_directories(outside);
    WriteFile(outside / "secret.tif", "secret");
    // A storage directory of the backup that is a link, and a file that is one.
    fs::create_directory_symlink(outside, backup + "/00000009");
    fs::create_symlink(outside / "secret.tif", backup + "/00000001/linked.tif");
    for (auto [location, name] : {std::pair{"00000009", "secret.tif"},
                                  {"00000001", "linked.tif"},
                                  {"../outside", "secret.tif"},
                                  {"00000000", "LIB.MDE"}}) {
        auto d = Doc(name, "1");
        d.location = location;
        d.fileSize.reset();
        builder.AddDocument(folder, d);
    }
    Run();

    ASSERT_TRUE(Restore()) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.refused.count, 4);
    EXPECT_EQ(totals.restored, 4);
    EXPECT_FALSE(fs::exists(dir + "/00000009"));
    EXPECT_FALSE(fs::exists(dir + "/00000001/linked.tif"));
    EXPECT_EQ(Files(outside.string()).size(), 1u);
}

TEST_F(RestoreTest, ARestoreIsRefusedWhereItWouldWriteOverSomething)
{
    BackedUp(2);
    const std::string other = env.MakeBareLibrary("other");
    const std::string empty = (env.root / "empty").string();
    fs::create_directories(empty);
    const std::string full = (env.root / "full").string();
    fs::create_directories(full);
    WriteFile(full + "/note.txt", "mine");
    const std::string foreign = (env.root / "foreign").string();
    fs::create_directories(foreign);
    WriteFile(foreign + "/" + kRestoreMarkerName, "[RESTORE]\nFROM=/elsewhere\n");
    const std::string noRecord = (env.root / "norecord").string();
    fs::create_directories(noRecord + "/00000000");
    const std::string noCopy = (env.root / "nocopy").string();
    fs::create_directories(noCopy);
    fs::copy_file(backup + "/Libbackup.ini", noCopy + "/Libbackup.ini");
    const std::string linked = (env.root / "linked").string();
    fs::create_directories(linked);
    fs::copy_file(backup + "/Libbackup.ini", linked + "/Libbackup.ini");
    fs::create_directory_symlink(backup + "/00000000", linked + "/00000000");

    struct Case {
        std::string from, into, active, told;
    };
    for (const Case& c :
         {Case{backup, full, "", kRestoreIntoNonEmpty + full}, Case{backup, other, "", kRestoreIntoLibrary + other},
          Case{backup, lib, lib, kRestoreIntoActive + lib},
          Case{backup, empty, empty + "/", kRestoreIntoActive + empty},
          Case{backup, foreign, "", kRestoreIntoOther + foreign},
          Case{backup, backup + "/sub", "", kRestoreIntoBackup + backup + "/sub"},
          Case{noRecord, dir, "", kNoBackupRecord + noRecord}, Case{noCopy, dir, "", kNoLibraryCopy + noCopy}}) {
        env.prompter.Clear();
        LibraryRestore restore(env.prompter, c.from, c.into);
        EXPECT_FALSE(restore.Run(c.active)) << c.into;
        EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{c.told});
    }
    EXPECT_FALSE(fs::exists(dir));
    // A backup run into the backup, or another restore into the directory, is under way.
    {
        const auto running = BackupLock::Take(backup);
        env.prompter.Clear();
        EXPECT_FALSE(Restore());
        EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{kRestoreBackupBusy});
    }
    {
        const auto restoring = RestoreLock::Take(dir);
        env.prompter.Clear();
        EXPECT_FALSE(Restore());
        EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{kRestoreRunning + dir});
    }
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_EQ(Files(full), (std::map<std::string, std::string>{{"note.txt", "mine"}}));
    EXPECT_TRUE(fs::is_empty(empty));
    EXPECT_FALSE(fs::exists(backup + "/sub"));
    EXPECT_EQ(CountRows(LibDatabaseFile(lib), "SELECT count(*) FROM images"), 2);
}
