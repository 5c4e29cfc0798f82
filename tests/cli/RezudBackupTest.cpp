#include "RezudFixture.h"
#include "core/backup/BackupLock.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

class RezudBackupTest : public RezudBackupTestBase {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) AddDocument();
    }
};

TEST_F(RezudBackupTest, ScheduledRunBacksUpAndExitsZero)
{
    Unattended();
    const CliResult r = Rezud({"backup", "--yes", "--create-backup-path"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "Total indexed documents scanned : 3\n"
                     "Total files created or modified since last backup : 3\n"
                     "Total files actually copied : 3\n");
    EXPECT_TRUE(fs::exists(backup + "/00000001"));
    EXPECT_TRUE(fs::exists(backup + "/00000000/LIB.MDE"));
    EXPECT_FALSE(IniRead(backup + "/Libbackup.ini", "LASTBACKUP", "Date").empty());

    const CliResult status = Rezud({"status", "--json"});
    const nlohmann::json j = nlohmann::json::parse(status.out);
    EXPECT_EQ(j["lastBackup"]["ageDays"], 0);
    EXPECT_EQ(j["lastBackup"]["date"], IniRead(backup + "/Libbackup.ini", "LASTBACKUP", "Date"));
    EXPECT_TRUE(j["lastBackupWarning"].is_null());
}

TEST_F(RezudBackupTest, AMissingBackupPathIsCreatedOnlyWhenAskedFor)
{
    Unattended();
    const CliResult r = Rezud({"backup", "--yes"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "Backup Library path does not exist: " + backup +
                         " - quit backup !\nGive --create-backup-path to create it.\n");
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);
    EXPECT_TRUE(fs::exists(backup + "/Libbackup.ini"));
}

// The statistics walk, a second walk over every file, only when asked for:
// its report comes before the run's.
TEST_F(RezudBackupTest, TheStatisticsArePrintedOnlyWhenAskedFor)
{
    Unattended();
    const CliResult r = Rezud({"backup", "--yes", "--stats", "--create-backup-path"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto stats = r.out.find("Number of Documents: 3\n");
    ASSERT_NE(stats, std::string::npos) << r.out;
    EXPECT_LT(stats, r.out.find("Total indexed documents scanned : 3"));
}

TEST_F(RezudBackupTest, WithoutYesAndWithoutTerminalRefusesBeforeAnything)
{
    Unattended();
    const CliResult r = Rezud({"backup"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "This command asks for confirmation and there is no terminal to answer it: run it again with "
                     "--yes.\n");
    EXPECT_FALSE(fs::exists(backup));
}

TEST_F(RezudBackupTest, AtATerminalTheQuestionIsAskedAndNoMeansNothingIsDone)
{
    terminal = true;
    secret = "quillset";
    typed = "n\n";
    const CliResult r = Rezud({"backup"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Backup current active document library to path " + backup + " ?  [y/N] "), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("please make sure that no one else is using the active library !"), std::string::npos);
    EXPECT_FALSE(fs::exists(backup));
}

TEST_F(RezudBackupTest, ADocumentThatCannotBeCopiedIsNamedAndExitsOne)
{
    const std::int64_t id = AddDocument("broken.tif");
    fs::remove(lib + "/00000001/broken.tif");
    fs::create_directory(lib + "/00000001/broken.tif"); // read fails on the source side
    Unattended();
    const CliResult r = Rezud({"backup", "--yes", "--json", "--create-backup-path"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(lib + "/00000001/broken.tif"), std::string::npos) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["totals"]["copied"], 3);
    EXPECT_EQ(j["totals"]["notCopied"], 1);
    EXPECT_EQ(j["totals"]["owed"], 1);
    ASSERT_EQ(j["owed"].size(), 1u);
    EXPECT_EQ(j["owed"][0]["id"], id);
    EXPECT_EQ(j["owed"][0]["path"], "00000001/broken.tif");
    EXPECT_EQ(j["owed"][0]["reason"].get<std::string>().rfind("copy failed: ", 0), 0u) << j["owed"][0];
    // The last line of stderr says why the exit is 1.
    EXPECT_TRUE(r.err.ends_with("\nrezud backup: 1 document owed by the backup: the next backup copies it first\n"))
        << r.err;
    EXPECT_FALSE(j["owed"][0]["since"].get<std::string>().empty());
    EXPECT_EQ(j["exit"], 1);
}

TEST_F(RezudBackupTest, ASecondBackupIntoTheSameDirectoryIsRefusedAtOnce)
{
    fs::create_directories(backup);
    const auto held = BackupLock::Take(backup);
    ASSERT_TRUE(held);
    Unattended();
    const CliResult r = Rezud({"backup", "-y"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "Another backup is running into this backup directory - quit backup !\n");
    EXPECT_FALSE(fs::exists(backup + "/Libbackup.ini"));
}

TEST_F(RezudBackupTest, ToAnotherDirectoryLeavesTheSettingsAsTheyWere)
{
    Unattended();
    const std::string other = (env.root / "other").string();
    ASSERT_EQ(Rezud({"backup", "--to", other, "-y", "--create-backup-path"}).code, 0);
    EXPECT_TRUE(fs::exists(other + "/Libbackup.ini"));
    EXPECT_FALSE(fs::exists(backup));
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Backpath"), backup);
}

TEST_F(RezudBackupTest, CompactAndLockResetAskFirst)
{
    builder.AddLock(1, 1);
    Unattended();
    EXPECT_EQ(Rezud({"reset-locks"}).code, 2);
    EXPECT_EQ(CountRows(Ctrl(), "SELECT COUNT(*) FROM locking"), 1);
    const CliResult reset = Rezud({"reset-locks", "--yes"});
    EXPECT_EQ(reset.code, 0) << reset.err;
    EXPECT_EQ(reset.out, "Done !\n");
    EXPECT_EQ(CountRows(Ctrl(), "SELECT COUNT(*) FROM locking"), 0);

    EXPECT_EQ(Rezud({"compact"}).code, 2);
    const CliResult compact = Rezud({"compact", "--yes"});
    EXPECT_EQ(compact.code, 0) << compact.err;
    EXPECT_EQ(compact.out, "Compact & Repair Library - processed successfully ! \n");
    EXPECT_EQ(CountRows(Lib(), "SELECT COUNT(*) FROM images"), 3);
}

TEST_F(RezudBackupTest, RelativePathsAreTheSameLibraryFromAnywhere)
{
    Unattended();
    const fs::path before = fs::current_path();
    fs::current_path(env.root);
    const CliResult first = Rezud({"--library", "lib/", "backup", "--to", "./rel", "-y", "--create-backup-path"});
    fs::current_path(env.root / "rel");
    const CliResult second = Rezud({"--library", "../lib", "backup", "--to", ".", "-y"});
    fs::current_path(before);
    EXPECT_EQ(first.code, 0) << first.err;
    EXPECT_EQ(second.code, 0) << second.err;
    EXPECT_EQ(IniRead(env.root / "rel/Libbackup.ini", "LASTBACKUP", "FROM"), lib);
}
