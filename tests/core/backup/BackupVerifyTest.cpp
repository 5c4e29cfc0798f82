#include "core/backup/BackupVerify.h"
#include "core/backup/BackupLock.h"
#include "core/backup/DatabaseCopy.h"
#include "core/backup/LibraryRestore.h"
#include "core/backup/RolledBackCopy.h"
#include "core/common/IniFile.h"
#include "core/common/Sha256.h"
#include "support/BackupFixture.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <tuple>

namespace fs = std::filesystem;

namespace {

// Every file and directory beneath a directory: its size, time and bytes.
using Snapshot = std::map<std::string, std::tuple<std::uintmax_t, fs::file_time_type, std::string>>;

Snapshot Take(const std::string& dir)
{
    Snapshot snapshot;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(dir)) {
        const std::string bytes = e.is_regular_file() ? DigestOfFile(e.path()).sha256 : "";
        snapshot[e.path().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time(), bytes};
    }
    return snapshot;
}

std::vector<std::string> Named(const VerifyReport& report)
{
    std::vector<std::string> named;
    for (const VerifyFinding& f : report.findings)
        named.push_back(std::string(VerifyKindName(f.kind)) + " " + std::to_string(f.document) + " " + f.path);
    return named;
}

} // namespace

class VerifyTest : public BackupTest {
protected:
    std::map<std::string, std::int64_t> ids;

    void SetUp() override
    {
        BackupTest::SetUp();
        for (const char* name : {"a.tif", "b.tif", "c.tif"}) {
            ids[name] = builder.AddDocument(folder, Doc(name));
            // Contents of their own, so their digests fall into different shares.
            std::ofstream(lib + "/00000001/" + name, std::ios::binary) << std::string(100, name[0]);
        }
    }

    void MakeBackup() { ASSERT_TRUE(Run()) << report; }

    VerifyReport Verify(VerifySubset readData = VerifySubset::None())
    {
        VerifyOptions options;
        options.readData = readData;
        return VerifyBackup(backup, options);
    }

    void Overwrite(const std::string& relative, std::size_t at, char byte)
    {
        std::fstream f(backup + "/" + relative, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(at));
        f.put(byte);
    }
};

TEST_F(VerifyTest, CleanBackupIsWholeAndVerifyWritesNothing)
{
    MakeBackup();
    const Snapshot before = Take(backup);
    const VerifyReport r = Verify(VerifySubset::All());
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(Named(r), std::vector<std::string>{});
    EXPECT_EQ(r.from, lib);
    EXPECT_TRUE(r.manifest);
    EXPECT_EQ(r.manifestFiles, 5);
    EXPECT_EQ(r.documents, 3);
    EXPECT_EQ(r.noEntryYet, 0);
    EXPECT_EQ(r.hashed, 5);
    EXPECT_EQ(Take(backup), before);
    EXPECT_NE(RenderVerifyText(r).find("No findings: the backup is whole."), std::string::npos);
}

TEST_F(VerifyTest, ChangedByteIsFoundByReadingTheDataAndNamed)
{
    MakeBackup();
    Overwrite("00000001/b.tif", 50, 'z'); // same size
    EXPECT_EQ(Named(Verify()), std::vector<std::string>{});
    const VerifyReport r = Verify(VerifySubset::All());
    ASSERT_EQ(Named(r), std::vector<std::string>{"content-differs 0 00000001/b.tif"});
    EXPECT_NE(RenderVerifyText(r).find("content-differs 00000001/b.tif (SHA-256 "), std::string::npos);
}

TEST_F(VerifyTest, RemovedOrShortenedFileIsNamed)
{
    MakeBackup();
    fs::remove(backup + "/00000001/a.tif");
    fs::resize_file(backup + "/00000001/c.tif", 10);
    // Looked at, or read whole: the same findings.
    for (const VerifySubset& readData : {VerifySubset::None(), VerifySubset::All()}) {
        const VerifyReport r = Verify(readData);
        EXPECT_EQ(Named(r),
                  (std::vector<std::string>{"file-missing 0 00000001/a.tif", "size-differs 0 00000001/c.tif"}));
        EXPECT_EQ(r.Count(VerifyKind::FileMissing), 1);
        EXPECT_EQ(r.hashed, readData.TakesAll() ? 4 : 0); // c.tif is read, a.tif cannot be
    }
}

TEST_F(VerifyTest, TruncatedDatabaseCopyIsNamed)
{
    MakeBackup();
    for (const std::string name : {"CTRL.MDE", "LIB.MDE"}) {
        SCOPED_TRACE(name);
        const std::string copy = backup + "/00000000/" + name;
        const std::string saved = copy + ".saved";
        fs::copy_file(copy, saved);
        fs::resize_file(copy, fs::file_size(copy) / 2);
        const VerifyReport r = Verify();
        EXPECT_EQ(r.Count(VerifyKind::DatabaseDamaged), 1);
        ASSERT_FALSE(r.findings.empty());
        EXPECT_EQ(r.findings.front().kind, VerifyKind::DatabaseDamaged);
        EXPECT_EQ(r.findings.front().path, "00000000/" + name);
        // Without a sound LIB.MDE copy no document can be judged.
        EXPECT_EQ(r.documents, name == "LIB.MDE" ? 0 : 3);
        fs::rename(saved, copy);
    }
}

TEST_F(VerifyTest, DamagedManifestIsNamed)
{
    MakeBackup();
    const std::string manifest = backup + "/Libbackup.manifest";
    ASSERT_GE(fs::file_size(manifest), 8192u);
    // The pages after the schema hold the tables.
    std::fstream f(manifest, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(4096);
    f << std::string(4096, '\xff');
    f.close();
    const VerifyReport r = Verify();
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    ASSERT_GE(r.Count(VerifyKind::DatabaseDamaged), 1);
    EXPECT_EQ(r.findings.front().path, "Libbackup.manifest");
}

TEST_F(VerifyTest, OwedDocumentIsListedAndNotAlsoMissing)
{
    MakeBackup();
    // Changed since the first run, but its file is gone from the library.
    auto changed = Doc("d.tif", "1", "2099-01-01 00:00:00");
    changed.fileSize.reset();
    const std::int64_t id = builder.AddDocument(folder, changed);
    Run();
    const VerifyReport r = Verify();
    ASSERT_EQ(Named(r), std::vector<std::string>{"owed " + std::to_string(id) + " 00000001/d.tif"});
    EXPECT_NE(r.findings.front().detail.find("file missing"), std::string::npos) << r.findings.front().detail;
    EXPECT_NE(r.findings.front().detail.find(", owed since "), std::string::npos);
    EXPECT_EQ(r.documents, 4);
}

TEST_F(VerifyTest, WithoutManifestPresentFilesHaveNoEntryYetAndMissingOnesAreNamed)
{
    MakeBackup();
    fs::remove(backup + "/Libbackup.manifest");
    VerifyReport r = Verify(VerifySubset::All());
    EXPECT_EQ(Named(r), std::vector<std::string>{});
    EXPECT_FALSE(r.manifest);
    EXPECT_EQ(r.noEntryYet, 3);
    EXPECT_EQ(r.hashed, 0);
    fs::remove(backup + "/00000001/c.tif");
    r = Verify();
    EXPECT_EQ(Named(r),
              std::vector<std::string>{"document-missing " + std::to_string(ids["c.tif"]) + " 00000001/c.tif"});
    EXPECT_EQ(r.noEntryYet, 2);
}

TEST_F(VerifyTest, LocationSpelledWithSlashesFindsTheRunsEntry)
{
    auto doc = Doc("e.tif");
    doc.location = "00000001//";
    builder.AddDocument(folder, doc);
    MakeBackup();
    const VerifyReport r = Verify();
    EXPECT_EQ(Named(r), std::vector<std::string>{});
    EXPECT_EQ(r.documents, 4);
    EXPECT_EQ(r.noEntryYet, 0); // the manifest's 00000001/e.tif
}

// A first run into a new directory copies only what passes the change
// test: the files of the others are not the backup's to hold, while a
// qualifying document's file is still required.
TEST_F(VerifyTest, DocumentsNoIncrementalRunCopiesAreNotRequired)
{
    for (const auto& [name, internal, updated] :
         {std::tuple<std::string, std::optional<std::string>, std::optional<std::string>>{"zero.tif", "0",
                                                                                          "2020-01-01"},
          {"checked.tif", "C", "2020-01-01"},
          {"nocode.tif", std::nullopt, "2020-01-01"},
          {"undated.tif", "1", std::nullopt}})
        builder.AddDocument(folder, Doc(name, internal, updated));
    MakeBackup();
    EXPECT_FALSE(fs::exists(backup + "/00000001/zero.tif"));
    VerifyReport r = Verify();
    EXPECT_EQ(Named(r), std::vector<std::string>{});
    EXPECT_EQ(r.notDue, 4);
    EXPECT_NE(RenderVerifyText(r).find("4 documents without a file in the backup are ones no incremental backup "
                                       "copies"),
              std::string::npos);
    fs::remove(backup + "/00000001/a.tif");
    EXPECT_EQ(Named(Verify()), std::vector<std::string>{"file-missing 0 00000001/a.tif"});
}

TEST_F(VerifyTest, DocumentOutsideTheWalksReachIsNotRequired)
{
    const std::int64_t cabinet = builder.AddCabinet("Other");
    const std::int64_t loose = builder.AddFolder(cabinet); // a folder directly below a cabinet
    builder.AddDocument(loose, Doc("loose.tif"));
    MakeBackup();
    EXPECT_FALSE(fs::exists(backup + "/00000001/loose.tif"));
    const VerifyReport r = Verify();
    EXPECT_EQ(Named(r), std::vector<std::string>{});
    EXPECT_EQ(r.documents, 3);
}

TEST_F(VerifyTest, RecordThatNamesNoLibraryOrNoDateIsAFinding)
{
    MakeBackup();
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "FROM", "");
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "Date", "yesterday");
    EXPECT_EQ(Named(Verify()), (std::vector<std::string>{"record-bad 0 Libbackup.ini", "record-bad 0 Libbackup.ini"}));
    fs::remove(backup + "/Libbackup.ini");
    const VerifyReport r = Verify();
    EXPECT_EQ(Named(r), std::vector<std::string>{"record-bad 0 Libbackup.ini"});
    EXPECT_TRUE(r.errors.empty());
}

TEST_F(VerifyTest, DirectoryThatIsNoBackupCannotBeVerified)
{
    EXPECT_TRUE(Verify().Failed()); // there is no such directory yet
    fs::create_directories(backup + "/00000001");
    const VerifyReport r = Verify();
    ASSERT_TRUE(r.Failed());
    EXPECT_NE(r.errors.front().find("is no backup"), std::string::npos);
}

TEST_F(VerifyTest, BackupThatARunIsWritingIsNotVerified)
{
    MakeBackup();
    {
        const auto lock = BackupLock::Take(backup);
        ASSERT_TRUE(lock);
        const VerifyReport r = Verify();
        ASSERT_TRUE(r.Failed());
        EXPECT_NE(r.errors.front().find("a backup run is working"), std::string::npos);
    }
    EXPECT_FALSE(Verify().Failed());
}

TEST_F(VerifyTest, DailySharesReadEveryFileOnceAWeek)
{
    MakeBackup();
    Overwrite("00000001/a.tif", 0, '!');
    const VerifySubset first = VerifySubset::Share(15, 0);
    ASSERT_EQ(first.Buckets(), 7);
    std::int64_t hashed = 0, found = 0;
    for (std::int64_t day = 100; day < 107; ++day) {
        const VerifyReport r = Verify(VerifySubset::Share(15, day));
        hashed += r.hashed;
        found += r.Count(VerifyKind::ContentDiffers);
    }
    EXPECT_EQ(hashed, 5);
    EXPECT_EQ(found, 1);
}

// A run cut off after some of its copies and its LIB.MDE copy took their
// names, before its manifest said so: verify says first that it was
// interrupted, and names nothing it left half done (a copy newer than its
// entry, a new document of its LIB.MDE copy not reached yet). A copy cut
// short with its time kept is damage all the same, and stays once the next
// run has completed what was left.
TEST_F(VerifyTest, AnInterruptedRunIsToldFirstAndWhatItLeftHalfDoneIsNoDamage)
{
    MakeBackup();
    // What the run copies: a changed document and a new one.
    const auto later = fs::file_time_type::clock::now() + std::chrono::hours(2);
    WriteFile(lib + "/00000001/a.tif", std::string(300, 'A'));
    fs::last_write_time(lib + "/00000001/a.tif", later);
    builder.Lib().exec("UPDATE images SET `updated-date`='2099-01-01 00:00:00' WHERE filename='a.tif'");
    LibraryBuilder::Document added = Doc("d.tif", "1", "2099-01-01 00:00:00");
    added.fileTime = later;
    ids["d.tif"] = builder.AddDocument(folder, added);
    const std::string cut = backup + "/00000001/c.tif";
    const fs::file_time_type kept = fs::last_write_time(cut);
    fs::resize_file(cut, 10);
    fs::last_write_time(cut, kept);
    {
        const auto lock = BackupLock::Take(backup);
        ASSERT_TRUE(lock);
        lock->Begin();
        CopyFileAtomic(lib + "/00000001/a.tif", backup + "/00000001/a.tif");
        CopyDatabase(LibDatabaseFile(lib), LibDatabaseFile(backup));
    }
    for (const VerifySubset& readData : {VerifySubset::None(), VerifySubset::All()}) {
        const VerifyReport r = Verify(readData);
        EXPECT_EQ(Named(r),
                  (std::vector<std::string>{"run-interrupted 0 Libbackup.lock", "size-differs 0 00000001/c.tif"}));
        EXPECT_GE(r.leftByRun, 2); // and the LIB.MDE copy, when its size or bytes are looked at
        const std::string text = RenderVerifyText(r);
        EXPECT_LT(text.find("a backup run was interrupted: run Backup again"), text.find("size-differs"));
    }
    // The next run completes what was left; the damage stays.
    MakeBackup();
    EXPECT_EQ(Named(Verify(VerifySubset::All())), std::vector<std::string>{"size-differs 0 00000001/c.tif"});
}

// A run cut off inside the manifest's commit leaves its journal hot: verify
// and restore read the manifest as its last commit left it, and write
// nothing into the backup.
TEST_F(VerifyTest, AManifestWithAnUnfinishedCommitIsReadWithoutWritingIntoTheBackup)
{
    MakeBackup();
    const std::string manifest = ManifestFile(backup);
    const pid_t child = ::fork();
    if (child == 0) {
        // More changes than the cache holds: pages reach the file before the commit, which never comes.
        SQLite::Database db(manifest, SQLite::OPEN_READWRITE);
        db.exec("PRAGMA cache_size=10");
        db.exec("BEGIN");
        db.exec("UPDATE files SET size=size+1");
        db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<3000) "
                "INSERT INTO files SELECT 'x/' || i, 1, 1, printf('%.200c', 'h'), 'w' FROM n");
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(HasHotJournal(manifest));
    const Snapshot before = Take(backup);
    const VerifyReport r = Verify(VerifySubset::All());
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(Named(r), std::vector<std::string>{});
    EXPECT_EQ(r.manifestFiles, 5);
    EXPECT_EQ(Take(backup), before);

    LibraryRestore restore(env.prompter, backup, (env.root / "restored").string());
    EXPECT_TRUE(restore.Run("")) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_TRUE(restore.Totals().Whole());
    EXPECT_EQ(restore.Totals().unchecked, 0);
    EXPECT_EQ(Take(backup), before);
}
