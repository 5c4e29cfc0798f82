// A restore that is killed, or meets a failing disk: no file takes its
// name before it is whole and on the disk, and the same restore started
// again goes on where it stopped.
#include "FaultShim.h"
#include "RestoreFixture.h"
#include "core/backup/RestoreTarget.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

class RestoreFaultTest : public RestoreTest {
protected:
    void TearDown() override { faults::Clear(); }

    // Every file under its name in the restore holds what the backup has.
    void NoHalfFile()
    {
        for (const auto& [path, content] : Files(dir)) EXPECT_EQ(content, ReadFile(backup + "/" + path)) << path;
        EXPECT_EQ(Hidden(dir), std::vector<std::string>{kRestoreMarkerName});
    }
};

} // namespace

TEST_F(RestoreFaultTest, AKilledRestoreGoesOnWhereItStoppedWithoutCopyingAFinishedFileAgain)
{
    BackedUp(120);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed once 20 files have their names; the copies under way stay
        // behind as work files, as after a kill. Copies after the first 40
        // are slow, so the kill comes while they are under way.
        LibraryRestore restore(env.prompter, backup, dir);
        restore.copyFile = [copy = restore.copyFile,
                            started = std::make_shared<std::atomic<int>>(0)](const fs::path& s, const fs::path& t) {
            std::this_thread::sleep_for(std::chrono::milliseconds(++*started > 40 ? 200 : 10));
            return copy(s, t);
        };
        restore.onDone = [](std::int64_t done) {
            if (done >= 20) ::_exit(0);
        };
        restore.Run("");
        ::_exit(3);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const auto finished = Files(dir);
    ASSERT_GE(finished.size(), 20u);
    ASSERT_LT(finished.size(), 122u);
    std::map<std::string, ino_t> inodes;
    for (const auto& [path, content] : finished) inodes[path] = Stat(dir + "/" + path).st_ino;
    WriteFile(dir + "/00000001/.rzspare-1-2-3", "half a copy");

    ASSERT_TRUE(Restore()) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.skipped, static_cast<std::int64_t>(finished.size()));
    EXPECT_EQ(totals.restored + totals.skipped, 122);
    EXPECT_TRUE(totals.Whole());
    for (const auto& [path, inode] : inodes) EXPECT_EQ(Stat(dir + "/" + path).st_ino, inode) << path;
    for (const auto& d : docs) EXPECT_EQ(ReadFile(dir + "/00000001/" + d.filename), ReadFile(builder.FileOf(d)));
    EXPECT_EQ(Hidden(dir), std::vector<std::string>{});
}

// A damaged file restored before the kill is skipped afterwards: its
// mismatch, listed before it took its name, is still told.
TEST_F(RestoreFaultTest, AMismatchFoundBeforeAStopIsStillToldAfterIt)
{
    BackedUp(3);
    const std::string damaged = backup + "/00000001/00000001-2.tif";
    const auto time = fs::last_write_time(damaged);
    WriteFile(damaged, std::string(1074, 'z'));
    fs::last_write_time(damaged, time);
    ASSERT_TRUE(Restore());
    // As if stopped after the files took their names: the marker is back.
    MarkRestore(dir, backup);
    WriteFile(dir + "/restore-mismatches.txt", "00000001/00000001-2.tif\n00000001/never-installed.tif\n");
    ASSERT_TRUE(Restore()) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.skipped, 5);
    EXPECT_EQ(totals.mismatches.names, std::vector<std::string>{"00000001/00000001-2.tif"});
    EXPECT_EQ(ReadFile(dir + "/restore-mismatches.txt"), "00000001/00000001-2.tif\n");
}

TEST_F(RestoreFaultTest, AFullDiskFailsTheRestoreAndLeavesNoHalfFileUnderAName)
{
    BackedUp(40);
    faults::FailWritesBelow(dir, ENOSPC, 12);
    EXPECT_FALSE(Restore());
    faults::Clear();
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_LT(Files(dir).size(), 42u);
    NoHalfFile();

    env.prompter.Clear();
    ASSERT_TRUE(Restore()) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.restored + totals.skipped, 42);
    EXPECT_TRUE(totals.Whole());
}

TEST_F(RestoreFaultTest, AFailedFlushFailsTheRestoreBeforeAnyFileTakesItsName)
{
    BackedUp(10);
    faults::FailFlushes(EIO);
    EXPECT_FALSE(Restore());
    faults::Clear();
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_TRUE(Files(dir).empty());
    NoHalfFile();

    env.prompter.Clear();
    ASSERT_TRUE(Restore()) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.restored, 12);
}
