// The space check on a real file system that fills up: a tmpfs as the
// backup directory, sized against the library. The run asks for room for
// what it will write, as the statistics the console shows would size it.
#include "core/backup/BackupVerify.h"
#include "core/library/LibStatistics.h"
#include "support/BackupFixture.h"

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

namespace {

constexpr int kDocuments = 100;
constexpr std::int64_t kDocumentBytes = 40000;

class BackupSpaceTest : public BackupTest {
protected:
    bool mounted = false;

    void SetUp() override
    {
        BackupTest::SetUp();
        for (int i = 0; i < kDocuments; ++i) {
            auto d = Doc("d" + std::to_string(i) + ".tif");
            d.fileSize = kDocumentBytes;
            builder.AddDocument(folder, d);
        }
    }
    void TearDown() override
    {
        if (mounted) ::umount2(backup.c_str(), MNT_DETACH);
    }
    std::int64_t LibraryBytes() const
    {
        return kDocuments * kDocumentBytes + static_cast<std::int64_t>(fs::file_size(lib + "/00000000/LIB.MDE") +
                                                                       fs::file_size(lib + "/00000000/CTRL.MDE"));
    }
    // The backup directory on a file system of `share` times the library.
    bool Mount(double share)
    {
        fs::create_directories(backup);
        const auto bytes = static_cast<std::int64_t>(static_cast<double>(LibraryBytes()) * share);
        mounted = ::mount("rezud-test", backup.c_str(), "tmpfs", 0, ("size=" + std::to_string(bytes)).c_str()) == 0;
        return mounted;
    }
    // A run as the console starts it, after its statistics, asking the
    // file system for its free space.
    bool RunOnDisk()
    {
        LibBackupRun run(*env.app);
        const bool ok = run.LibBackup(LibStatistics(*env.app).Start().fileSizeKB);
        last = run.Totals();
        return ok;
    }
    // The first `count` documents change, rows and files.
    void Change(int count)
    {
        builder.Lib().exec("UPDATE images SET `updated-date`='2099-01-01 00:00:00' WHERE id IN (SELECT id FROM images "
                           "ORDER BY id LIMIT " +
                           std::to_string(count) + ")");
        const auto later = fs::file_time_type::clock::now() + std::chrono::hours(2);
        for (int i = 0; i < count; ++i) {
            const fs::path file = fs::path(lib) / "00000001" / ("d" + std::to_string(i) + ".tif");
            WriteFile(file, std::string(kDocumentBytes, 'n'));
            fs::last_write_time(file, later);
        }
    }
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(backup))
            names.push_back(e.path().string() + " " + std::to_string(e.is_regular_file() ? e.file_size() : 0));
        std::sort(names.begin(), names.end());
        return names;
    }
};

} // namespace

// A backup disk 1.5 times the library takes the first backup and every
// small one after it.
TEST_F(BackupSpaceTest, ADiskHalfAgainTheLibraryTakesTheFirstBackupAndTheIncrementalsAfterIt)
{
    if (!Mount(1.5)) GTEST_SKIP() << "cannot mount a file system here: " << std::strerror(errno);
    ASSERT_TRUE(RunOnDisk()) << env.prompter.Last().text;
    EXPECT_EQ(last.copy, kDocuments);
    for (int round = 0; round < 2; ++round) {
        Change(1);
        ASSERT_TRUE(RunOnDisk()) << env.prompter.Last().text;
        EXPECT_EQ(last.copy, 1);
    }
    const VerifyReport verified = VerifyBackup(backup);
    EXPECT_FALSE(verified.Failed());
    EXPECT_FALSE(verified.HasFindings());
    EXPECT_TRUE(env.prompter.boxes.empty());
}

// Too small for what is due: refused before anything is written, on the
// first run and on an incremental one whose changes do not fit.
TEST_F(BackupSpaceTest, ADiskTooSmallForTheDueFilesIsRefusedBeforeAnythingIsWritten)
{
    if (!Mount(0.9)) GTEST_SKIP() << "cannot mount a file system here: " << std::strerror(errno);
    EXPECT_FALSE(RunOnDisk());
    EXPECT_EQ(env.prompter.Last().text, "Not enough space - quit backup !");
    // Nothing but the lock, empty, that keeps a second run out.
    EXPECT_EQ(Listing(), std::vector<std::string>{backup + "/Libbackup.lock 0"});
    ::umount2(backup.c_str(), MNT_DETACH);

    ASSERT_TRUE(Mount(1.5));
    ASSERT_TRUE(RunOnDisk());
    const std::vector<std::string> before = Listing();
    const std::string date = Record("DATE");
    env.prompter.Clear();
    Change(kDocuments / 2);
    EXPECT_FALSE(RunOnDisk());
    EXPECT_EQ(env.prompter.Last().text, "Not enough space - quit backup !");
    EXPECT_EQ(Listing(), before);
    EXPECT_EQ(Record("DATE"), date);
}
