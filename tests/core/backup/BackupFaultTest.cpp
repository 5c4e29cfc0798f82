// The backup under a failing disk: what reaches the disk, what the record
// claims and what the next run makes good.
#include "FaultShim.h"
#include "core/backup/BackupManifest.h"
#include "core/common/AtomicFile.h"
#include "core/common/Sha256.h"
#include "support/BackupCheck.h"
#include "support/BackupFixture.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

namespace {

class BackupFaultTest : public BackupTest {
protected:
    std::vector<LibraryBuilder::Document> docs;

    void TearDown() override { faults::Clear(); }
    // Documents of `size` bytes, backed up once.
    void BackedUp(int count, std::int64_t size)
    {
        for (int i = 0; i < count; ++i) {
            docs.push_back(Doc("d" + std::to_string(i) + ".tif"));
            docs.back().fileSize = size;
            builder.AddDocument(folder, docs.back());
        }
        ASSERT_TRUE(Run());
        ASSERT_EQ(last.copy, count);
    }
    // Every document changes, in its row and its file. The rows take a new
    // date each time: SQLite commits nothing for rows set to what they hold.
    void ChangeAll(char fill)
    {
        const int minute = static_cast<unsigned char>(fill) % 60;
        builder.Lib().exec(std::string("UPDATE images SET `updated-date`='2099-01-01 00:") + (minute < 10 ? "0" : "") +
                           std::to_string(minute) + ":00'");
        const auto later = fs::file_time_type::clock::now() + std::chrono::hours(2);
        for (const auto& d : docs) {
            WriteFile(builder.FileOf(d), std::string(static_cast<std::size_t>(*d.fileSize), fill));
            fs::last_write_time(builder.FileOf(d), later);
        }
    }
    int HiddenInBackup() const
    {
        int n = 0;
        for (const auto& e : fs::recursive_directory_iterator(backup))
            n += e.path().filename().string().starts_with(".");
        return n;
    }
};

} // namespace

// The file system reports a write-back error to one flush only; the run must
// still fail, claim nothing, and leave the next run to copy every document.
TEST_F(BackupFaultTest, AWriteBackErrorFailsTheRunAndTheNextRunCopiesEveryDocument)
{
    BackedUp(20, 3000);
    const std::string date = Record("DATE");
    ChangeAll('n');
    faults::FailFlushes(EIO);
    EXPECT_FALSE(Run());
    faults::Clear();
    EXPECT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_EQ(Record("DATE"), date);
    for (const auto& d : docs) EXPECT_EQ(ReadFile(Copied(d.filename)), std::string(3000, 'x')) << d.filename;
    EXPECT_EQ(HiddenInBackup(), 0);

    env.prompter.Clear();
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.copy, 20);
    for (const auto& d : docs) EXPECT_EQ(ReadFile(Copied(d.filename)), std::string(3000, 'n')) << d.filename;
    EXPECT_EQ(Record("Total Copy"), "20");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

// A storage directory of the backup may be another file system's mount
// point: the copies there are flushed on that file system, and a write-back
// error there fails the run as one on the backup's own does.
TEST_F(BackupFaultTest, ACopyOnAMountedStorageDirectoryIsFlushedOnItsOwnFileSystem)
{
    const std::string storage = backup + "/00000001";
    fs::create_directories(storage);
    if (::mount("rezud-test", storage.c_str(), "tmpfs", 0, "size=16m") != 0)
        GTEST_SKIP() << "cannot mount a file system here: " << std::strerror(errno);
    struct Unmount {
        std::string dir;
        ~Unmount() { ::umount2(dir.c_str(), MNT_DETACH); }
    } unmount{storage};
    BackedUp(5, 3000);
    const std::string date = Record("DATE");
    ChangeAll('n');
    faults::FailBelow(faults::Op::Syncfs, storage, EIO);
    EXPECT_FALSE(Run());
    faults::Clear();
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_EQ(Record("DATE"), date);
    for (const auto& d : docs) EXPECT_EQ(ReadFile(Copied(d.filename)), std::string(3000, 'x')) << d.filename;

    env.prompter.Clear();
    ASSERT_TRUE(Run());
    for (const auto& d : docs) EXPECT_EQ(ReadFile(Copied(d.filename)), std::string(3000, 'n')) << d.filename;
    EXPECT_TRUE(env.prompter.boxes.empty());
}

// A full disk fails every copy the same way, whichever call meets it first
// (large files are copied by the kernel): one report, and every copy
// already in the backup stays whole.
TEST_F(BackupFaultTest, AFullDiskEndsTheRunWithOneReportAndDamagesNothing)
{
    BackedUp(12, 100000);
    const std::string date = Record("DATE");
    ChangeAll('n');
    for (const int err : {ENOSPC, EIO}) {
        env.prompter.Clear();
        faults::FailWritesBelow(backup + "/00000001", err, 3);
        EXPECT_FALSE(Run());
        faults::Clear();
        EXPECT_EQ(env.prompter.boxes.size(), 1u) << err << ": " << env.prompter.boxes[0].text << "\n"
                                                 << env.prompter.Last().text;
        EXPECT_EQ(env.prompter.ErrorReports(), 1) << err;
        EXPECT_EQ(Record("DATE"), date);
        for (const auto& d : docs) {
            const std::string copy = ReadFile(Copied(d.filename));
            EXPECT_TRUE(copy == std::string(100000, 'x') || copy == std::string(100000, 'n')) << d.filename;
        }
        EXPECT_EQ(HiddenInBackup(), 0);
    }
    env.prompter.Clear();
    ASSERT_TRUE(Run());
    for (const auto& d : docs) EXPECT_EQ(ReadFile(Copied(d.filename)), std::string(100000, 'n')) << d.filename;
}

TEST_F(BackupFaultTest, ARecordThatCannotBeWrittenFailsTheRunAndSaysWhy)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directories(WorkFileFor(backup + "/Libbackup.ini"));
    EXPECT_FALSE(Run());
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.Last().text.rfind("The backup record could not be written: ", 0), 0u)
        << env.prompter.Last().text;
    EXPECT_GT(env.prompter.Last().text.size(), std::string("The backup record could not be written: ").size());
    EXPECT_FALSE(fs::exists(backup + "/Libbackup.ini"));
}

// A write, a rename or a flush below the backup fails from its k-th call on,
// as a failing or full disk makes them: at the first, in the middle and at
// the last call of a run (the database copies and the record come last).
// What the last complete run left stays whole, the run says it did not
// finish and its record claims nothing that is not there, a copy that
// failed is owed, and the next run copies everything and owes nothing.
TEST_F(BackupFaultTest, AnOperationFailingFromItsKthCallDamagesNothingAndTheNextRunRepairs)
{
    BackedUp(40, 3000);
    char fill = 'a';
    const std::pair<faults::Op, const char*> ops[] = {{faults::Op::Write, "write"},
                                                      {faults::Op::Pwrite, "pwrite"},
                                                      {faults::Op::Rename, "rename"},
                                                      {faults::Op::Fsync, "fsync"},
                                                      {faults::Op::Syncfs, "syncfs"}};
    for (const auto& [op, name] : ops) {
        // The calls of a run that copies every document, counted.
        ChangeAll(fill++);
        faults::FailBelow(op, backup, 0);
        ASSERT_TRUE(Run());
        const int calls = faults::CallsBelow(op);
        faults::Clear();
        ASSERT_GT(calls, 0) << name;
        for (const int err : {EIO, ENOSPC})
            for (const int k : {0, calls / 2, calls - 1}) {
                SCOPED_TRACE(std::string(name) + " fails with " + std::strerror(err) + " from call " +
                             std::to_string(k + 1) + " of " + std::to_string(calls));
                const DocumentFiles before = ReadDocumentFiles(lib);
                const std::string date = Record("DATE");
                ChangeAll(fill++);
                const DocumentFiles after = ReadDocumentFiles(lib);
                env.prompter.Clear();
                faults::FailBelow(op, backup, err, k);
                LibBackupRun run(*env.app, Plenty);
                const bool ok = Run(run);
                faults::Clear();
                EXPECT_TRUE(!ok || !run.Complete()) << run.ReportText();
                EXPECT_FALSE(env.prompter.boxes.empty());
                // The lock is marked after the record: failing there, the run
                // fails with the record written, and it may claim the copies.
                if (Record("DATE") != date) {
                    const auto claimed = CopyProblems(lib, backup);
                    EXPECT_TRUE(claimed.empty()) << "the record says " << Record("DATE") << "\n" << Lines(claimed);
                }
                const auto torn = TornFiles(backup, before, after);
                EXPECT_TRUE(torn.empty()) << Lines(torn);
                for (const auto& e : fs::recursive_directory_iterator(backup))
                    EXPECT_FALSE(IsWorkFileName(e.path().filename().string())) << e.path();
                std::int64_t owed = 0;
                BackupManifest::OpenForReading(backup)->ForEachOwed([&](const OwedDocument& d) {
                    ++owed;
                    EXPECT_NE(ReadFile(fs::path(backup) / d.path), after.at(d.path).bytes) << d.path << " owed";
                });
                // Copies fail, and go on failing, from the middle of the run at
                // the latest, while the manifest can still be written.
                if ((op == faults::Op::Write || op == faults::Op::Rename) && k <= calls / 2) {
                    EXPECT_GT(owed, 0) << "nothing owed";
                }

                env.prompter.Clear();
                EXPECT_TRUE(Run()) << (env.prompter.boxes.empty() ? "" : env.prompter.Last().text);
                EXPECT_EQ(last.notCopied, 0);
                const auto problems = BackupProblems(lib, backup);
                EXPECT_TRUE(problems.empty()) << Lines(problems);
                if (HasFailure()) return;
            }
    }
}

// The record may only claim what the manifest holds: a manifest whose commit
// cannot reach the disk (its flush fails, or the disk is full) fails the run
// and leaves the record's date where it was; the next clean run enters it all.
TEST_F(BackupFaultTest, AManifestThatCannotReachTheDiskLeavesTheRecordAsItWas)
{
    BackedUp(5, 3000);
    const std::string manifest = ManifestFile(backup);
    for (const auto& [op, err] : {std::pair{faults::Op::Fsync, EIO}, std::pair{faults::Op::Pwrite, ENOSPC}}) {
        IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "Date", "01/01/2020 00:00:00");
        ChangeAll(err == EIO ? 'f' : 's');
        env.prompter.Clear();
        faults::FailBelow(op, manifest, err);
        EXPECT_FALSE(Run()) << std::strerror(err);
        EXPECT_GT(faults::CallsBelow(op), 0) << "the manifest was never written";
        faults::Clear();
        EXPECT_EQ(Record("DATE"), "01/01/2020 00:00:00") << std::strerror(err);
        EXPECT_EQ(env.prompter.ErrorReports(), 1);

        ASSERT_TRUE(Run()) << env.prompter.Last().text;
        EXPECT_NE(Record("DATE"), "01/01/2020 00:00:00");
        const auto entry = BackupManifest::OpenForReading(backup)->Entry("00000001/" + docs[0].filename);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->sha256, DigestOfFile(Copied(docs[0].filename)).sha256);
    }
}
