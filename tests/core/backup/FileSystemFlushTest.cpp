#include "core/backup/FileSystemFlush.h"
#include "core/common/SpareFiles.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct FlushTest : ::testing::Test {
    TestEnv env;
    fs::path dir = env.root / "backup";
    SpareFiles spares{4, std::int64_t{1} << 40};
    FileSystemFlush::Install install = [this](const PendingCopy& c) { InstallCopy(c, spares); };

    void SetUp() override { fs::create_directories(dir); }
    PendingCopy Written(const std::string& name, const std::string& content)
    {
        WriteFile(env.root / name, content);
        return WriteCopy(env.root / name, dir / name, spares);
    }
    int Hidden()
    {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename().string().starts_with(".");
        return n;
    }
};

} // namespace

TEST_F(FlushTest, ACopyTakesItsNameOnlyAfterAFlush)
{
    std::atomic<int> flushes = 0;
    FileSystemFlush flush(dir.string(), install, [&](int fd) {
        ++flushes;
        return FileSystemFlush::SyncFileSystem(fd);
    });
    flush.Add(Written("a.tif", "page"));
    EXPECT_FALSE(fs::exists(dir / "a.tif")) << "installed before any flush covered it";
    flush.Finish();
    EXPECT_EQ(ReadFile(dir / "a.tif"), "page");
    EXPECT_GE(flushes, 2); // the copy's, then the names'
    const auto done = flush.Take();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_FALSE(done[0].error);
    EXPECT_EQ(Hidden(), 0);
}

// The file system reports a write-back error to one flush only: the error
// must still fail the run, and nothing written before it may take a name.
TEST_F(FlushTest, AnErrorReportedToOneFlushFailsTheRunForGood)
{
    WriteFile(dir / "b.tif", "old copy");
    std::atomic<int> flushes = 0;
    FileSystemFlush flush(dir.string(), install, [&](int) { return ++flushes == 1 ? EIO : 0; });
    for (int i = 0; i < 300; ++i) flush.Add(Written("d" + std::to_string(i) + ".tif", "page"));
    flush.Add(Written("b.tif", "new copy"));
    EXPECT_THROW(flush.Finish(), TargetError);
    EXPECT_EQ(flush.Failure(), EIO);
    EXPECT_TRUE(flush.Take().empty());
    EXPECT_FALSE(fs::exists(dir / "d0.tif"));
    EXPECT_EQ(ReadFile(dir / "b.tif"), "old copy");
    EXPECT_EQ(Hidden(), 0);
}

namespace {

// Waits up to five seconds for `done`.
template <typename Done>
bool Within5s(Done done)
{
    for (int i = 0; i < 500; ++i) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace

// A batch is installed while the next one is flushed, never before its
// own flush has succeeded.
TEST_F(FlushTest, ABatchIsInstalledWhileTheNextIsFlushedAndOnlyAfterItsOwn)
{
    std::atomic<int> started = 0, completed = 0;
    std::atomic<bool> sawNextFlush = false, tooEarly = false;
    std::map<std::string, int> addedAt; // flushes started when the copy was added
    std::mutex addedMutex;
    FileSystemFlush::Install waitingInstall = [&](const PendingCopy& c) {
        int needed = 0;
        {
            std::lock_guard lock(addedMutex);
            needed = addedAt[c.target.filename().string()] + 1;
        }
        if (completed < needed) tooEarly = true;
        // The first copy's install waits for the flush of the second.
        if (c.target.filename() == "a.tif") sawNextFlush = Within5s([&] { return started >= 2; });
        InstallCopy(c, spares);
    };
    FileSystemFlush flush(dir.string(), waitingInstall, [&](int fd) {
        ++started;
        const int err = FileSystemFlush::SyncFileSystem(fd);
        ++completed;
        return err;
    });
    auto add = [&](const std::string& name) {
        PendingCopy copy = Written(name, "page " + name);
        {
            std::lock_guard lock(addedMutex);
            addedAt[name] = started;
        }
        flush.Add(std::move(copy));
    };
    add("a.tif");
    ASSERT_TRUE(Within5s([&] { return completed >= 1; }));
    add("b.tif");
    EXPECT_TRUE(Within5s([&] { return started >= 2; }));
    flush.Finish();
    EXPECT_TRUE(sawNextFlush) << "the next batch waited for the installs of the one before";
    EXPECT_FALSE(tooEarly) << "a copy took its name before a flush covered it";
    EXPECT_EQ(ReadFile(dir / "a.tif"), "page a.tif");
    EXPECT_EQ(ReadFile(dir / "b.tif"), "page b.tif");
    EXPECT_EQ(flush.Take().size(), 2u);
}

// A flush that fails after others succeeded: what they covered keeps its
// name, nothing after takes one.
TEST_F(FlushTest, ALaterFailedFlushKeepsWhatEarlierFlushesCovered)
{
    std::atomic<int> flushes = 0;
    FileSystemFlush flush(dir.string(), install, [&](int) { return ++flushes == 2 ? EIO : 0; });
    flush.Add(Written("a.tif", "page"));
    ASSERT_TRUE(Within5s([&] { return flushes >= 1 && !flush.Take().empty(); }));
    flush.Add(Written("b.tif", "page"));
    EXPECT_THROW(flush.Finish(), TargetError);
    EXPECT_EQ(ReadFile(dir / "a.tif"), "page");
    EXPECT_FALSE(fs::exists(dir / "b.tif"));
    EXPECT_EQ(Hidden(), 0);
}

TEST_F(FlushTest, AnUnopenableBackupOrADroppedFlushLeavesNothing)
{
    EXPECT_THROW(FileSystemFlush((env.root / "missing").string(), install), TargetError);
    {
        // Dropped unfinished (a run that stopped early): the helper ends
        // with it and the copies not installed are deleted.
        FileSystemFlush dropped(dir.string(), install, [](int) { return 0; });
        dropped.Add(Written("c.tif", "page"));
    }
    EXPECT_FALSE(fs::exists(dir / "c.tif"));
    EXPECT_EQ(Hidden(), 0);
}
