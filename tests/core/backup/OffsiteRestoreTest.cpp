// A library from a fetched snapshot: its files moved into place, checked
// against the manifest, and a restore stopped at any point goes on.
#include "core/backup/OffsiteRestore.h"
#include "FaultShim.h"
#include "RestoreFixture.h"
#include "core/backup/RestoreTarget.h"
#include "core/data/Connection.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

class OffsiteRestoreTest : public RestoreTest {
protected:
    int fetches = 0;
    std::map<std::string, ino_t> fetched; // inodes of the fetched files

    void TearDown() override { faults::Clear(); }

    // The snapshot of the backup as restic restores it: below the work
    // directory, under the backup's own path.
    OffsiteRestore::Fetch Fetch(const std::function<void(const std::string&)>& after = {})
    {
        return [this, after](const std::string& into) {
            ++fetches;
            const std::string copy = into + backup;
            fs::create_directories(fs::path(copy).parent_path());
            if (std::system(("cp -a '" + backup + "' '" + copy + "'").c_str()) != 0) return Fetched{"cp failed", {}};
            for (const auto& [path, content] : Files(copy)) fetched[path] = Stat(copy + "/" + path).st_ino;
            fetched["00000001"] = Stat(copy + "/00000001").st_ino;
            if (after) after(copy);
            return Fetched{{}, {"0123456789ab", backup}};
        };
    }
    bool Restore(OffsiteRestore::Fetch fetch, const std::string& wanted = "0123456789ab",
                 const std::function<void(OffsiteRestore&)>& setUp = {})
    {
        OffsiteRestore restore(env.prompter, wanted, dir, std::move(fetch));
        if (setUp) setUp(restore);
        const bool ok = restore.Run("");
        totals = restore.Totals();
        return ok;
    }
    void SameAsBackup()
    {
        for (const auto& d : docs)
            EXPECT_TRUE(ReadFile(dir + "/00000001/" + d.filename) == ReadFile(builder.FileOf(d))) << d.filename;
        for (const char* db : {"/00000000/LIB.MDE", "/00000000/CTRL.MDE"})
            EXPECT_EQ(ReadFile(dir + db), ReadFile(backup + db)) << db;
        EXPECT_EQ(Hidden(dir), std::vector<std::string>{});
    }
};

} // namespace

TEST_F(OffsiteRestoreTest, TheFetchedFilesAreMovedIntoPlaceCheckedAndTheWorkDirectoryGoes)
{
    BackedUp(30);
    // Damaged on its way: moved all the same, and told.
    ASSERT_TRUE(Restore(Fetch([](const std::string& copy) { WriteFile(copy + "/00000001/00000001-3.tif", "x"); })))
        << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.restored, 32);
    EXPECT_EQ(totals.mismatches.names, std::vector<std::string>{"00000001/00000001-3.tif"});
    EXPECT_EQ(totals.unchecked, 0);
    docs.erase(docs.begin() + 3);
    SameAsBackup();
    EXPECT_EQ(ReadFile(dir + "/restore-mismatches.txt"), "00000001/00000001-3.tif\n");
    // Not copied: the very files fetched took their names.
    for (const char* file : {"00000001/00000001-7.tif", "00000000/LIB.MDE"})
        EXPECT_EQ(Stat(dir + "/" + file).st_ino, fetched.at(file)) << file;
    EXPECT_FALSE(fs::exists(dir + "/Libbackup.ini"));
}

// Stopped while fetching, the fetch starts over; stopped while moving, the
// moves go on from the fetched files that are left.
TEST_F(OffsiteRestoreTest, ARestoreStoppedAnywhereGoesOnAndEndsWhole)
{
    BackedUp(150);
    struct Case {
        const char* stop;
        int fetchesAfter;
    };
    for (const Case c : {Case{"fetching", 1}, Case{"moving", 0}}) {
        SCOPED_TRACE(c.stop);
        fs::remove_all(dir);
        const bool whileFetching = std::string(c.stop) == "fetching";
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Restore(Fetch([&](const std::string& copy) {
                        if (whileFetching) fs::remove(copy + "/00000001/00000001-9.tif"), ::_exit(0);
                    }),
                    "0123456789ab", [](OffsiteRestore& r) {
                        // Moves after the first 20 are slow: the stop comes while they are under way.
                        r.readForMove = [read = r.readForMove, n = std::make_shared<std::atomic<int>>(0)](
                                            const fs::path& s, const fs::path& t) {
                            if (++*n > 20) std::this_thread::sleep_for(std::chrono::milliseconds(200));
                            return read(s, t);
                        };
                        r.onDone = [](std::int64_t done) {
                            if (done >= 20) ::_exit(0);
                        };
                    });
            ::_exit(3);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        fetches = 0;
        env.prompter.Clear();
        ASSERT_TRUE(Restore(Fetch())) << ::testing::PrintToString(env.prompter.Texts());
        EXPECT_EQ(fetches, c.fetchesAfter);
        EXPECT_EQ(totals.restored + totals.skipped, 152);
        if (whileFetching)
            EXPECT_EQ(totals.skipped, 0);
        else
            EXPECT_TRUE(totals.skipped >= 20 && totals.skipped < 152) << totals.skipped;
        EXPECT_TRUE(totals.Whole());
        SameAsBackup();
    }
    // Stopped after its check, with the work copy gone and the mark still
    // there: fetched again, every file is found in place, none moved over.
    MarkRestore(dir, dir + "/" + kOffsiteWorkName + backup,
                {{"WANTED", "0123456789ab"}, {"SNAPSHOT", "0123456789ab"}, {"FETCHED", "1"}});
    fetches = 0;
    ASSERT_TRUE(Restore(Fetch())) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(fetches, 1);
    EXPECT_EQ(totals.skipped, 152);
    EXPECT_EQ(totals.restored, 0);
    SameAsBackup();
}

// A move that fails leaves the fetched files where they were, for the next
// run: the directory's move, or a file's once an extra file in the
// directory makes it go file by file.
TEST_F(OffsiteRestoreTest, AFailedMoveLosesNoFetchedFile)
{
    BackedUp(40);
    const auto extra = [](const std::string& copy) { WriteFile(copy + "/00000001/extra.tif", "not a document"); };
    for (const bool whole : {true, false}) {
        SCOPED_TRACE(whole);
        fs::remove_all(dir);
        fetches = 0;
        env.prompter.Clear();
        faults::FailBelow(faults::Op::Rename, dir + "/00000001", EIO, whole ? 0 : 5);
        EXPECT_FALSE(Restore(whole ? Fetch() : Fetch(extra)));
        faults::Clear();
        EXPECT_EQ(env.prompter.ErrorReports(), 1);
        env.prompter.Clear();
        ASSERT_TRUE(Restore(Fetch())) << ::testing::PrintToString(env.prompter.Texts());
        EXPECT_EQ(fetches, 1);
        EXPECT_TRUE(totals.Whole());
        EXPECT_EQ(totals.restored + totals.skipped, 42);
        SameAsBackup();
        EXPECT_FALSE(fs::exists(dir + "/00000001/extra.tif"));
    }
}

// A directory goes whole only when it holds exactly the files its rows
// name that were read and checked; otherwise they go file by file, and a
// file that could not be read is told once and left out.
TEST_F(OffsiteRestoreTest, ADirectoryTakesItsNameWholeOnlyWithExactlyItsCheckedFiles)
{
    BackedUp(30);
    const auto missing = [](const std::string& c) { fs::remove(c + "/00000001/00000001-4.tif"); };
    struct Case {
        const char* what;
        std::function<void(const std::string&)> change;
        const char* unreadable; // a file whose read fails
        bool whole, ok;
        const char* absent; // the one file not restored
    };
    const Case cases[] = {
        {"as fetched", nullptr, nullptr, true, true, ""},
        {"an extra file", [](const std::string& c) { WriteFile(c + "/00000001/extra.tif", "x"); }, nullptr, false, true,
         ""},
        // A row whose file the backup lacks stops no directory.
        {"a file missing", missing, nullptr, true, true, "00000001-4.tif"},
        {"a link for a file",
         [&](const std::string& c) {
             missing(c);
             fs::create_symlink("/etc/passwd", c + "/00000001/00000001-4.tif");
         },
         nullptr, false, true, "00000001-4.tif"},
        // Counted once, as is the damaged one beside it, and the check at
        // the end misses its file.
        {"a file unreadable", [](const std::string& c) { WriteFile(c + "/00000001/00000001-3.tif", "x"); },
         "00000001-6.tif", false, false, "00000001-6.tif"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir);
        env.prompter.Clear();
        const bool ok = Restore(Fetch(c.change), "0123456789ab", [&](OffsiteRestore& r) {
            if (!c.unreadable) return;
            r.readForMove = [read = r.readForMove, bad = std::string(c.unreadable)](const fs::path& s,
                                                                                    const fs::path& t) {
                if (s.filename() == bad) throw std::runtime_error("cannot read file");
                return read(s, t);
            };
        });
        EXPECT_EQ(ok, c.ok) << ::testing::PrintToString(env.prompter.Texts());
        // Gone whole, the fetched directory itself is the one in place.
        EXPECT_EQ(Stat(dir + "/00000001").st_ino == fetched.at("00000001"), c.whole);
        EXPECT_EQ(totals.unreadable.count, c.unreadable ? 1 : 0);
        EXPECT_EQ(totals.mismatches.count, c.unreadable ? 1 : 0);
        EXPECT_EQ(totals.restored, *c.absent ? 31 : 32);
        for (const auto& d : docs)
            EXPECT_EQ(fs::exists(fs::symlink_status(dir + "/00000001/" + d.filename)), d.filename != c.absent)
                << d.filename;
        EXPECT_FALSE(fs::exists(dir + "/00000001/extra.tif"));
    }
    // A row spelling the location another way makes the directory in the
    // library first: the others go file by file into it.
    fs::remove_all(dir);
    ASSERT_TRUE(Restore(Fetch([](const std::string& c) {
        Connection fetchedLib;
        fetchedLib.Open(c + "/00000000/LIB.MDE");
        fetchedLib.Execute("UPDATE `images` SET `location`='00000001/' WHERE `filename`='00000001-5.tif'", {});
    }))) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(totals.restored, 32);
    EXPECT_NE(Stat(dir + "/00000001").st_ino, fetched.at("00000001"));
    for (const auto& d : docs) EXPECT_TRUE(fs::exists(dir + "/00000001/" + d.filename)) << d.filename;
}

// A failed fetch, or one of no backup, leaves the directory as it was; a
// fetched snapshot is gone on with by its own restore only.
TEST_F(OffsiteRestoreTest, AFailedFetchLeavesNothingAndAFetchedSnapshotIsNeverTakenForAnother)
{
    BackedUp(3);
    const OffsiteRestore::Fetch failed = [](const std::string&) { return Fetched{"Fatal: wrong password", {}}; };
    const OffsiteRestore::Fetch noBackup = [](const std::string& into) {
        fs::create_directories(into + "/elsewhere");
        return Fetched{{}, {"0123456789ab", "/elsewhere"}};
    };
    for (const auto& [fetch, told] : {std::pair{failed, std::string("Fatal: wrong password")},
                                      std::pair{noBackup, kNoSnapshotBackup + std::string("/elsewhere")}}) {
        EXPECT_FALSE(Restore(fetch));
        EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{told});
        EXPECT_TRUE(fs::is_empty(dir)) << told;
        env.prompter.Clear();
    }
    // A fetch whose flush fails stops the restore before any file took
    // its name, and the next run fetches again.
    faults::FailFlushes(EIO, 1);
    EXPECT_FALSE(Restore(Fetch()));
    faults::Clear();
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    for (const auto& [path, content] : Files(dir)) EXPECT_TRUE(path.starts_with(kOffsiteWorkName)) << path;
    env.prompter.Clear();
    // Fetched, then stopped by a failed move.
    faults::FailBelow(faults::Op::Rename, dir + "/00000001", EIO);
    EXPECT_FALSE(Restore(Fetch()));
    faults::Clear();
    env.prompter.Clear();
    EXPECT_FALSE(Restore(Fetch(), "fedcba987654"));
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{kRestoreIntoOther + dir});
    // The start of the fetched snapshot's id goes on with it.
    env.prompter.Clear();
    ASSERT_TRUE(Restore(Fetch(), "01234567")) << ::testing::PrintToString(env.prompter.Texts());
    EXPECT_EQ(fetches, 2);
    SameAsBackup();
}

// The check at the end expects every file that was moved: one gone
// before it fails the restore.
TEST_F(OffsiteRestoreTest, AMovedFileGoneBeforeTheCheckFailsTheRestore)
{
    BackedUp(5);
    const std::string gone = dir + "/00000001/" + docs[0].filename;
    EXPECT_FALSE(Restore(Fetch(), "0123456789ab", [&](OffsiteRestore& r) {
        r.onDone = [&](std::int64_t done) {
            if (done == 7) fs::remove(gone);
        };
    }));
    ASSERT_EQ(env.prompter.Texts().size(), 1u);
    EXPECT_TRUE(env.prompter.Texts()[0].starts_with(kRestoreCheckFailed)) << env.prompter.Texts()[0];
    EXPECT_NE(env.prompter.Texts()[0].find(docs[0].filename), std::string::npos) << env.prompter.Texts()[0];
}
