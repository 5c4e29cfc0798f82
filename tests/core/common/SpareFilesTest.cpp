#include "core/common/SpareFiles.h"
#include "core/common/AtomicFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct stat StatOf(const fs::path& file)
{
    struct stat st {};
    EXPECT_EQ(::lstat(file.c_str(), &st), 0) << file;
    return st;
}

// Hidden names left in a directory: work files and spares.
int HiddenIn(const fs::path& dir)
{
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += e.path().filename().string().starts_with(".");
    return n;
}

constexpr std::int64_t kNoByteLimit = std::int64_t{1} << 40;

std::string Bytes(std::size_t n, char c) { return std::string(n, c); }

// A backup's copy: written beside the target, then installed.
void CopyOver(const fs::path& source, const fs::path& target, SpareFiles& spares)
{
    InstallCopy(WriteCopy(source, target, spares), spares);
}

} // namespace

TEST(SpareFiles, ASpareIsTakenWhereItIsAndOnlyWhenItsBlocksAreFilled)
{
    TestEnv env;
    const fs::path a = env.root / "a", b = env.root / "b";
    fs::create_directories(a);
    fs::create_directories(b);
    WriteFile(a / "old", Bytes(5000, 'x')); // two blocks
    SpareFiles spares(8, kNoByteLimit);
    spares.Keep(a / "old", StatOf(a / "old"), false);
    EXPECT_FALSE(fs::exists(a / "old"));
    EXPECT_EQ(spares.Count(), 1u);

    // One block of new content would leave a block to give back: no.
    EXPECT_TRUE(spares.TakeFor(a, 4000).path.empty());
    const SpareFiles::Taken here = spares.TakeFor(a, 4097);
    EXPECT_EQ(here.path.parent_path(), a);
    EXPECT_EQ(here.size, 5000);
    EXPECT_EQ(ReadFile(here.path), Bytes(5000, 'x'));

    // For another directory it stays where it is.
    spares.Keep(here.path, StatOf(here.path), true);
    const SpareFiles::Taken there = spares.TakeFor(b, 9000);
    EXPECT_EQ(there.path, here.path);
    EXPECT_EQ(HiddenIn(b), 0);
    EXPECT_EQ(spares.Count(), 0u);

    // Of two spares as large, the one already in the directory, though
    // the other came first.
    fs::rename(there.path, b / there.path.filename());
    spares.Keep(b / there.path.filename(), StatOf(b / there.path.filename()), true);
    WriteFile(a / "other", Bytes(5000, 'y'));
    spares.Keep(a / "other", StatOf(a / "other"), false);
    const SpareFiles::Taken inA = spares.TakeFor(a, 5000);
    EXPECT_EQ(inA.path.parent_path(), a);
    EXPECT_EQ(ReadFile(inA.path), Bytes(5000, 'y'));
    EXPECT_EQ(spares.TakeFor(a, 5000).path, b / there.path.filename());
}

// A copy into one directory over a spare in another: the new content under
// the target's name, the old under the spare's, nothing left beside the
// target.
TEST(SpareFiles, ACopyOverASpareElsewhereSwapsTheContentsAcrossDirectories)
{
    TestEnv env;
    const fs::path a = env.root / "a", b = env.root / "b";
    fs::create_directories(a);
    fs::create_directories(b);
    SpareFiles spares(8, kNoByteLimit);
    WriteFile(a / "gone", Bytes(6000, 'g'));
    spares.Keep(a / "gone", StatOf(a / "gone"), false);
    WriteFile(b / "doc", Bytes(7000, 'o'));
    WriteFile(env.root / "source", Bytes(6500, 'n'));

    CopyOver(env.root / "source", b / "doc", spares);
    EXPECT_EQ(ReadFile(b / "doc"), Bytes(6500, 'n'));
    EXPECT_EQ(HiddenIn(b), 0);
    ASSERT_EQ(HiddenIn(a), 1);
    for (const auto& e : fs::directory_iterator(a)) EXPECT_EQ(ReadFile(e.path()), Bytes(7000, 'o'));
    EXPECT_EQ(spares.Count(), 1u);
}

// A spare is never handed out for a directory on another file system: the
// swap could not cross to it.
TEST(SpareFiles, ASpareOnAnotherFileSystemIsNotTaken)
{
    TestEnv env;
    const fs::path other = "/dev/shm";
    struct stat here {
    }, there{};
    if (::stat(env.root.c_str(), &here) != 0 || ::stat(other.c_str(), &there) != 0 || here.st_dev == there.st_dev ||
        ::access(other.c_str(), W_OK) != 0)
        GTEST_SKIP() << "no second file system to write to";
    const fs::path dir = other / ("rezud-spare-test-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    SpareFiles spares(8, kNoByteLimit);
    WriteFile(dir / "old", Bytes(5000, 'x'));
    spares.Keep(dir / "old", StatOf(dir / "old"), false);
    EXPECT_TRUE(spares.TakeFor(env.root, 5000).path.empty());
    EXPECT_EQ(spares.TakeFor(dir, 5000).size, 5000);
    fs::remove_all(dir);
}

TEST(SpareFiles, OnlyAPlainPrivateFileWithOneNameIsKept)
{
    TestEnv env;
    SpareFiles spares(8, kNoByteLimit);
    const fs::path linked = env.root / "linked", snapshot = env.root / "snapshot";
    WriteFile(linked, "snapshot content");
    fs::create_hard_link(linked, snapshot);
    spares.Keep(linked, StatOf(linked), false);
    EXPECT_FALSE(fs::exists(linked));
    EXPECT_EQ(ReadFile(snapshot), "snapshot content");

    const fs::path open = env.root / "open";
    WriteFile(open, "x");
    fs::permissions(open, fs::perms::all);
    spares.Keep(open, StatOf(open), false);
    EXPECT_FALSE(fs::exists(open));

    const fs::path link = env.root / "link";
    fs::create_symlink(snapshot, link);
    spares.Keep(link, StatOf(link), false);
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(snapshot), "snapshot content");
    EXPECT_EQ(spares.Count(), 0u);
}

TEST(SpareFiles, TheLargestGoesBeyondCapacityAndTheRestWithTheStore)
{
    TestEnv env;
    {
        SpareFiles spares(2, kNoByteLimit);
        for (std::size_t size : {100u, 9000u, 5000u}) {
            const fs::path f = env.root / std::to_string(size);
            WriteFile(f, Bytes(size, 'x'));
            spares.Keep(f, StatOf(f), false);
        }
        EXPECT_EQ(spares.Count(), 2u);
        EXPECT_TRUE(spares.TakeFor(env.root, 1 << 20).size == 5000);
        EXPECT_TRUE(spares.TakeFor(env.root, 1 << 20).size == 100);
    }
    EXPECT_EQ(HiddenIn(env.root), 2); // the taken ones are their takers'; the largest went
}

TEST(SpareFiles, CopiesWrittenOverSparesHoldExactlyTheNewContent)
{
    TestEnv env;
    SpareFiles spares(8, kNoByteLimit);
    const fs::path dir = env.root / "copies";
    fs::create_directories(dir);
    // Old copies of many sizes, replaced by content of other sizes: every
    // copy lands in a spare of some other document.
    const std::vector<std::size_t> sizes = {0, 1, 4095, 4096, 4097, 5000, 8191, 12000, 65535, 65536, 70000, 300000};
    for (std::size_t i = 0; i < sizes.size(); ++i) WriteFile(dir / std::to_string(i), Bytes(sizes[i], 'o'));
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::size_t size = sizes[(i + round + 1) % sizes.size()];
            const std::string content = Bytes(size, static_cast<char>('a' + round)) + std::to_string(i);
            WriteFile(env.root / "source", content);
            CopyOver(env.root / "source", dir / std::to_string(i), spares);
            ASSERT_EQ(ReadFile(dir / std::to_string(i)), content) << "round " << round << " file " << i;
        }
    }
    EXPECT_GT(spares.Count(), 0u);
}

TEST(SpareFiles, ACopyNeverWritesIntoAnotherNameOfTheOldContent)
{
    TestEnv env;
    SpareFiles spares(8, kNoByteLimit);
    const fs::path target = env.root / "a.tif", snapshot = env.root / "snapshot.tif";
    WriteFile(target, Bytes(5000, 'o'));
    fs::create_hard_link(target, snapshot);
    WriteFile(env.root / "source", Bytes(5000, 'n'));
    for (int i = 0; i < 3; ++i) CopyOver(env.root / "source", target, spares);
    EXPECT_EQ(ReadFile(target), Bytes(5000, 'n'));
    EXPECT_EQ(ReadFile(snapshot), Bytes(5000, 'o'));
}

TEST(SpareFiles, AnOldCopyNeverKeepsTheNameOfAWorkFile)
{
    // A later copy of the same document would write into it while it is a spare.
    TestEnv env;
    SpareFiles spares(8, kNoByteLimit);
    const fs::path target = env.root / "rzspare-1.tif";
    WriteFile(target, "old");
    WriteFile(env.root / "source", "new");
    CopyOver(env.root / "source", target, spares);
    EXPECT_EQ(spares.Count(), 1u);
    EXPECT_FALSE(fs::exists(WorkFileFor(target)));
}

TEST(SpareFiles, ASpareThatGrewMeanwhileIsStillCutToTheNewLength)
{
    TestEnv env;
    SpareFiles spares(8, kNoByteLimit);
    const fs::path dir = env.root / "copies";
    fs::create_directories(dir);
    WriteFile(dir / "old", Bytes(5000, 'o'));
    spares.Keep(dir / "old", StatOf(dir / "old"), false);
    for (const auto& e : fs::directory_iterator(dir)) WriteFile(e.path(), Bytes(9000, 'g'));
    WriteFile(dir / "target", "old target");
    WriteFile(env.root / "source", Bytes(8192, 'n'));
    CopyOver(env.root / "source", dir / "target", spares);
    EXPECT_EQ(ReadFile(dir / "target"), Bytes(8192, 'n'));
}

TEST(SpareFiles, BeyondTheByteLimitTheLargestGoAndDeletedSparesAreGoneWhenFinished)
{
    TestEnv env;
    SpareFiles spares(8, 10000);
    for (std::size_t size : {4000u, 5000u, 3000u}) {
        const fs::path f = env.root / std::to_string(size);
        WriteFile(f, Bytes(size, 'x'));
        spares.Keep(f, StatOf(f), false);
    }
    EXPECT_EQ(spares.Count(), 2u); // 12,000 bytes: the largest went
    EXPECT_EQ(spares.TakeFor(env.root, 1 << 20).size, 4000);
    EXPECT_TRUE(spares.Finish());
    EXPECT_EQ(HiddenIn(env.root), 1); // the one taken is its taker's
}

TEST(SpareFiles, ReleasedSparesStayForALaterRunWhichAdoptsOnlyRealSpares)
{
    TestEnv env;
    std::vector<SpareFiles::Taken> kept;
    {
        SpareFiles spares(8, kNoByteLimit);
        for (std::size_t size : {4000u, 5000u}) {
            const fs::path f = env.root / std::to_string(size);
            WriteFile(f, Bytes(size, 'x'));
            spares.Keep(f, StatOf(f), false);
        }
        EXPECT_TRUE(spares.Release(kept));
        EXPECT_EQ(spares.Count(), 0u);
    }
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(HiddenIn(env.root), 2); // released, not deleted

    SpareFiles next(8, kNoByteLimit);
    for (const auto& s : kept) next.Adopt(s.path);
    WriteFile(env.root / "not-a-spare", "mine");
    next.Adopt(env.root / "not-a-spare");
    fs::create_symlink(env.root / "not-a-spare", env.root / ".rzspare-link");
    next.Adopt(env.root / ".rzspare-link");
    next.Adopt(env.root / ".rzspare-deleted-by-hand");
    EXPECT_EQ(next.Count(), 2u);
    const SpareFiles::Taken taken = next.TakeFor(env.root, 4096);
    EXPECT_EQ(taken.size, 4000);
    EXPECT_EQ(ReadFile(taken.path), Bytes(4000, 'x'));
    EXPECT_EQ(ReadFile(env.root / "not-a-spare"), "mine");
    // A new name never meets a spare of an earlier run.
    for (const auto& s : kept) EXPECT_NE(next.NewName(env.root), s.path);
}

// Many spares in several directories, taken and kept in a random order:
// each copy gets a spare with the most blocks it fills, one in its own
// directory when such a one is there, as a look at every spare would choose.
TEST(SpareFiles, AmongManySparesEachCopyGetsTheOneALookAtEverySpareWouldChoose)
{
    TestEnv env;
    const std::vector<fs::path> dirs = {env.root / "a", env.root / "b", env.root / "c"};
    for (const fs::path& d : dirs) fs::create_directories(d);
    struct Held {
        fs::path path;
        std::int64_t blocks;
    };
    std::vector<Held> held; // what the spares hold, by a plain list
    auto blocksOf = [](std::int64_t size) { return (size + 4095) / 4096; };
    SpareFiles spares(1000, kNoByteLimit);
    std::uint32_t seed = 7;
    auto next = [&seed](std::uint32_t n) { return (seed = seed * 1103515245u + 12345u) / 65536u % n; };
    for (int i = 0; i < 400; ++i) {
        const fs::path& dir = dirs[next(3)];
        const auto size = static_cast<std::int64_t>(next(6) * 4096 + next(4096));
        if (next(3) != 0) {
            const fs::path f = spares.NewName(dir);
            WriteFile(f, Bytes(static_cast<std::size_t>(size), 'x'));
            spares.Keep(f, StatOf(f), true);
            held.push_back({f, blocksOf(size)});
            continue;
        }
        std::int64_t most = -1;
        bool inDir = false;
        for (const Held& h : held)
            if (h.blocks <= blocksOf(size)) most = std::max(most, h.blocks);
        const SpareFiles::Taken taken = spares.TakeFor(dir, size);
        ASSERT_EQ(taken.path.empty(), most < 0) << "pick " << i;
        if (most < 0) continue;
        ASSERT_EQ(blocksOf(taken.size), most) << "pick " << i;
        for (const Held& h : held) inDir = inDir || (h.blocks == most && h.path.parent_path() == dir);
        EXPECT_EQ(taken.path.parent_path() == dir, inDir) << "pick " << i;
        const auto gone = std::find_if(held.begin(), held.end(), [&](const Held& h) { return h.path == taken.path; });
        ASSERT_NE(gone, held.end());
        held.erase(gone);
    }
    EXPECT_EQ(spares.Count(), held.size());
}
