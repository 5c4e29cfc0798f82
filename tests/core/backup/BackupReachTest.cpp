// What the backup reads and writes: only beneath the library and the backup,
// whatever the rows say and whatever links lie in the way.
#include "core/backup/BackupLock.h"
#include "support/BackupFixture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string kUnsafeText = " documents name a file outside the library or in its control directory, "
                                "or reached through a link, and are not backed up:";

} // namespace

TEST_F(BackupTest, RowsOutOfReachAreReportedOnceAndDoNotHoldTheDateBack)
{
    fs::create_directories(backup);
    WriteFile(env.root / "secret.txt", "secret");
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"..", "secret.txt"},    {env.root.string(), "secret.txt"}, {"", "x.tif"}, {"00000001", "../../secret.txt"},
        {"00000000", "LIB.MDE"}, {"00000000", "CTRL.MDE"}};
    for (const auto& [location, filename] : rows) {
        LibraryBuilder::Document d = Doc(filename);
        d.location = location;
        d.fileSize.reset();
        builder.AddDocument(folder, d);
    }
    builder.AddDocument(folder, Doc("fine.tif"));
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.copy, 1);
    EXPECT_EQ(last.notCopied, 6); // owed, and named by verify
    EXPECT_EQ(last.owed, 6);
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    const std::string& text = env.prompter.boxes[0].text;
    EXPECT_EQ(text.rfind("6" + kUnsafeText, 0), 0u) << text;
    EXPECT_NE(text.find("../secret.txt"), std::string::npos);
    EXPECT_NE(text.find("\r\n..."), std::string::npos); // six rows, five named
    EXPECT_FALSE(Record("DATE").empty());
    EXPECT_EQ(ReadFile(env.root / "secret.txt"), "secret");
    EXPECT_FALSE(fs::exists(fs::path(backup).parent_path() / "x.tif"));
    // The live database never went over its own checked copy.
    EXPECT_EQ(QueryOne(LibDatabaseFile(backup), "PRAGMA integrity_check"), "ok");
}

// A row without a file name has a missing file: skipped silently when
// everything is copied, and owed when copying what changed.
TEST_F(BackupTest, ARowWithoutAFileNameIsAMissingFile)
{
    fs::create_directories(backup);
    const auto id = builder.AddDocument(folder, Doc("named.tif"));
    builder.Lib().exec("UPDATE images SET `filename`='' WHERE id=" + std::to_string(id));
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.scan, 1);
    EXPECT_EQ(last.notCopied, 0);
    EXPECT_TRUE(env.prompter.boxes.empty());

    builder.Lib().exec("UPDATE images SET `updated-date`='2099-01-01 00:00:00'");
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.notCopied, 1);
    EXPECT_NE(report.find(std::to_string(id) + ": 00000001/ (file missing: the row names no file)"), std::string::npos)
        << report;
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(BackupTest, LinksNeverLeadTheBackupOutsideTheLibraryOrTheBackup)
{
    // A row for a file the test puts in place itself.
    auto rowAt = [&](const std::string& location, const std::string& name) {
        auto d = Doc(name);
        d.location = location;
        d.fileSize.reset();
        builder.AddDocument(folder, d);
    };
    const fs::path outside = env.root / "outside";
    fs::create_directories(outside / "sub");
    WriteFile(outside / "secret.tif", "secret");
    WriteFile(outside / "sub" / "deep.tif", "deep");
    // A document file that is a link.
    fs::create_directories(lib + "/00000001");
    fs::create_symlink(outside / "secret.tif", lib + "/00000001/link.tif");
    builder.AddDocument(folder, Doc("link.tif"));
    // A link below a storage directory.
    fs::create_directories(lib + "/00000002");
    fs::create_directory_symlink(outside / "sub", lib + "/00000002/sub");
    rowAt("00000002/sub", "deep.tif");
    // A storage directory directly below the library may be a link: a
    // library spread over volumes.
    const fs::path volume = env.root / "volume";
    fs::create_directories(volume);
    WriteFile(volume / "far.tif", "far");
    fs::create_directory_symlink(volume, lib + "/00000003");
    rowAt("00000003", "far.tif");
    // A storage directory in the backup that is a link.
    const fs::path elsewhere = env.root / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(backup);
    fs::create_directory_symlink(elsewhere, backup + "/00000004");
    auto redirected = Doc("redirected.tif");
    redirected.location = "00000004";
    builder.AddDocument(folder, redirected);

    ASSERT_TRUE(Run());
    EXPECT_EQ(last.copy, 1);
    EXPECT_EQ(ReadFile(backup + "/00000003/far.tif"), "far");
    EXPECT_FALSE(fs::exists(Copied("link.tif")));
    EXPECT_FALSE(fs::exists(backup + "/00000002/sub/deep.tif"));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.Last().text.rfind("3" + kUnsafeText, 0), 0u) << env.prompter.Last().text;
}

TEST_F(BackupTest, LeftoversOfARunThatDidNotEndAreDeleted)
{
    builder.AddDocument(folder, Doc("a.tif"));
    ASSERT_TRUE(Run());
    const fs::path copies = Copied("a.tif").parent_path();
    const std::vector<fs::path> leftovers = {copies / ".rzspare-4242-0", copies / ".a.tif.rztmp",
                                             backup + "/00000000/.LIB.MDE.rztmp"};
    for (const auto& f : leftovers) WriteFile(f, "old document content");
    WriteFile(copies / ".kept", "not ours");
    // Ended properly: nothing to look for.
    ASSERT_TRUE(Run());
    EXPECT_TRUE(fs::exists(leftovers[0]));
    // A run killed after it started leaves its mark.
    WriteFile(BackupLock::FileName(backup), "unfinished\n");
    ASSERT_TRUE(Run());
    for (const auto& f : leftovers) EXPECT_FALSE(fs::exists(f)) << f;
    EXPECT_TRUE(fs::exists(copies / ".kept"));
    EXPECT_EQ(ReadFile(BackupLock::FileName(backup)), "finished\n");
}

TEST_F(BackupTest, ASecondRunIntoTheSameBackupIsRefusedAtOnce)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directories(backup);
    const int held = ::open(BackupLock::FileName(backup).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_FALSE(Run());
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.Last().text, "Another backup is running into this backup directory - quit backup !");
    EXPECT_FALSE(fs::exists(Copied("a.tif")));
    EXPECT_FALSE(fs::exists(backup + "/Libbackup.ini"));
    ::close(held);
    env.prompter.Clear();
    EXPECT_TRUE(Run());
    EXPECT_TRUE(fs::exists(Copied("a.tif")));
}
