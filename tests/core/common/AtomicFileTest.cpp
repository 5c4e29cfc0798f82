#include "core/common/AtomicFile.h"
#include "core/common/Sha256.h"
#include "core/common/SpareFiles.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

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

// Reading a file whose access time is older than its change would set it
// to now, on a file system that keeps access times: a copy or a digest
// leaves it.
TEST(AtomicFile, ACopyOrADigestLeavesTheSourcesAccessTimeAsItWas)
{
    TestEnv env;
    const fs::path src = env.root / "src.tif";
    WriteFile(src, std::string(10000, 's'));
    const std::time_t now = std::time(nullptr);
    const struct timespec times[2] = {{now - 2 * 86400, 0}, {now - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, src.c_str(), times, 0), 0);
    CopyFileAtomic(src, env.root / "restored.tif");
    SpareFiles spares(8, std::int64_t{1} << 30);
    InstallCopy(WriteCopy(src, env.root / "backed-up.tif", spares), spares);
    EXPECT_EQ(DigestOfFile(src).size, 10000);
    struct stat st {};
    ASSERT_EQ(::stat(src.c_str(), &st), 0);
    EXPECT_EQ(st.st_atim.tv_sec, now - 2 * 86400);
    EXPECT_EQ(ReadFile(env.root / "backed-up.tif"), std::string(10000, 's'));
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

TEST(AtomicFile, OnlyAFileIsReplacedNeverADirectoryOrWhatALinkPointsTo)
{
    TestEnv env;
    const fs::path src = env.root / "src.tif";
    WriteFile(src, "new");

    const fs::path dir = env.root / "dir.tif";
    fs::create_directory(dir);
    WriteFile(dir / "inside", "kept");
    EXPECT_THROW(CopyFileAtomic(src, dir), fs::filesystem_error);
    EXPECT_EQ(ReadFile(dir / "inside"), "kept");
    EXPECT_FALSE(fs::exists(WorkFileFor(dir)));

    const fs::path outside = env.root / "outside.tif", link = env.root / "link.tif";
    WriteFile(outside, "outside");
    fs::create_symlink(outside, link);
    CopyFileAtomic(src, link);
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(link), "new");
    EXPECT_EQ(ReadFile(outside), "outside");
}

TEST(AtomicFile, ALeftoverWorkFileIsEmptiedAndALinkThereIsNotFollowed)
{
    TestEnv env;
    const fs::path src = env.root / "src.tif", dst = env.root / "dst.tif";
    WriteFile(src, "new");
    WriteFile(WorkFileFor(dst), std::string(10000, 'l'));
    CopyFileAtomic(src, dst);
    EXPECT_EQ(ReadFile(dst), "new");

    const fs::path outside = env.root / "outside";
    WriteFile(outside, "outside");
    fs::create_symlink(outside, WorkFileFor(dst));
    WriteFile(src, "newer");
    CopyFileAtomic(src, dst);
    EXPECT_EQ(ReadFile(outside), "outside");
    EXPECT_EQ(ReadFile(dst), "newer");
}
