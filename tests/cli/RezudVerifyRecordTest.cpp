// rezud verify keeps its result where the console reads it.
#include "RezudFixture.h"
#include "core/backup/BackupHealth.h"
#include "core/backup/VerifyHistory.h"

#include <ctime>
#include <fstream>

namespace fs = std::filesystem;

TEST_F(RezudBackupTestBase, VerifyIsRecordedForTheConsoleAndAFailedRecordIsAWarning)
{
    AddDocument("a.tif");
    Unattended();
    ASSERT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);
    std::ofstream(env.root / "file") << "not a directory";
    environment["XDG_STATE_HOME"] = (env.root / "file").string();
    const CliResult unrecorded = Rezud({"verify"});
    EXPECT_EQ(unrecorded.code, 1); // whole, but not recorded
    EXPECT_NE(unrecorded.err.find(kVerifyNotRecorded), std::string::npos) << unrecorded.err;

    environment["XDG_STATE_HOME"] = (env.root / "xdg").string();
    fs::remove(backup + "/00000001/a.tif");
    EXPECT_EQ(Rezud({"verify", backup + "/"}).code, 1);
    const fs::path state = env.root / "xdg/rezudizid";
    const auto last = LastVerifyOf(state, backup, std::time(nullptr));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->result, "findings");
    EXPECT_EQ(last->findings, 1);
    EXPECT_EQ(BackupHealthOf(state, backup, lib, std::time(nullptr)).lastVerify,
              "Last verify: " + last->date + ", 0 days ago\n1 finding - see Verify Backup.");
}
