#include "common/AtomicFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(AtomicFile, CopyKeepsTimeAndReplacesWhole)
{
    TestEnv env;
    const fs::path src = env.root / "src.tif", dst = env.root / "dst.tif";
    WriteFile(src, std::string(200000, 'a'));
    WriteFile(dst, "old");
    const auto when = fs::file_time_type::clock::now() - std::chrono::hours(30);
    fs::last_write_time(src, when);
    CopyFileAtomic(src, dst);
    EXPECT_EQ(ReadFile(dst), std::string(200000, 'a'));
    EXPECT_EQ(fs::last_write_time(dst), when);
    EXPECT_FALSE(fs::exists(WorkFileFor(dst)));
}

TEST(AtomicFile, FailedCopyLeavesTheOldTargetAndNoWorkFile)
{
    TestEnv env;
    const fs::path dst = env.root / "dst.tif";
    WriteFile(dst, "old");
    EXPECT_THROW(CopyFileAtomic(env.root / "missing", dst), fs::filesystem_error);
    EXPECT_EQ(ReadFile(dst), "old");
    // A source that is a directory fails while reading, after the work file exists.
    EXPECT_THROW(CopyFileAtomic(env.root, dst), fs::filesystem_error);
    EXPECT_EQ(ReadFile(dst), "old");
    EXPECT_FALSE(fs::exists(WorkFileFor(dst)));
}

TEST(AtomicFile, WriteFileAtomic)
{
    TestEnv env;
    const fs::path file = env.root / "a.ini";
    WriteFileAtomic(file, "one");
    WriteFileAtomic(file, "two");
    EXPECT_EQ(ReadFile(file), "two");
    EXPECT_THROW(WriteFileAtomic(env.root / "no" / "a.ini", "x"), fs::filesystem_error);
}
