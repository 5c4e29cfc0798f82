// The console's line about the last backup of the active library.
#include "core/backup/LastBackup.h"
#include "core/backup/BackupDates.h"
#include "core/common/IniFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {

class LastBackupTest : public ::testing::Test {
protected:
    TestEnv env;
    std::string backup = (env.root / "backup").string();
    std::string lib = "/srv/lib";
    const std::time_t made = *ParseRecordDate("12/07/2026 23:00:01");

    void Record(const std::string& from, const std::string& date)
    {
        std::filesystem::create_directories(backup);
        IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "FROM", from);
        IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "Date", date);
    }
    std::string At(std::time_t now) { return LastBackupLine(LastBackupOf(backup, lib, now)); }
    std::optional<std::string> WarningAt(std::time_t now) { return LastBackupWarning(LastBackupOf(backup, lib, now)); }
};

} // namespace

TEST_F(LastBackupTest, TheAgeInWholeDaysAndAWarningFromTheSeventhDay)
{
    Record(lib, "12/07/2026 23:00:01");
    EXPECT_EQ(At(made + 3600), "Last backup: 12/07/2026 23:00:01, 0 days ago");
    EXPECT_EQ(At(made + 86400 + 60), "Last backup: 12/07/2026 23:00:01, 1 day ago");
    EXPECT_EQ(At(made + 6 * 86400 + 86399), "Last backup: 12/07/2026 23:00:01, 6 days ago");
    EXPECT_FALSE(WarningAt(made + 6 * 86400 + 86399));
    EXPECT_EQ(WarningAt(made + 7 * 86400 + 1), std::string(kBackupStaleWarning));
}

TEST_F(LastBackupTest, NoneForAnEmptyDirectoryAFirstRunThatFailedOrAnotherLibrary)
{
    EXPECT_EQ(At(made), "Last backup: none");
    EXPECT_EQ(WarningAt(made), std::string(kNoBackupWarning));
    Record(lib, ""); // a first run that did not go through
    EXPECT_EQ(At(made), "Last backup: none");
    Record("/srv/other", "12/07/2026 23:00:01");
    EXPECT_EQ(At(made), "Last backup: none");
    EXPECT_EQ(WarningAt(made), std::string(kOtherLibraryWarning));
    Record(lib, "12/07/2026 23:00:01");
    EXPECT_EQ(At(made), "Last backup: 12/07/2026 23:00:01, 0 days ago");
}
