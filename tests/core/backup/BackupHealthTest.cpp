// What the console tells about a backup besides its date: the documents
// owed and the last verify, recorded in the user's state directory.
#include "core/backup/BackupHealth.h"
#include "FaultShim.h"
#include "core/backup/BackupDates.h"
#include "core/backup/BackupManifest.h"
#include "core/backup/BackupVerify.h"
#include "core/backup/VerifyHistory.h"
#include "support/BackupFixture.h"

#include <cerrno>

#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

class BackupHealthTest : public BackupTest {
protected:
    fs::path state = env.root / "state";
    const std::time_t now = *ParseRecordDate("12/09/2026 10:00:00");

    BackupHealth Health() { return BackupHealthOf(state, backup, lib, now + 2 * 86400); }
    void Backup(int missing)
    {
        builder.AddDocument(folder, Doc("a.tif"));
        for (int i = 0; i < missing; ++i) {
            auto gone = Doc("gone" + std::to_string(i) + ".tif");
            gone.fileSize.reset();
            builder.AddDocument(folder, gone);
        }
        Run();
        ASSERT_EQ(last.owed, missing);
    }
};

} // namespace

TEST_F(BackupHealthTest, OwedDocumentsAreCountedWithWhatToDo)
{
    Backup(2);
    EXPECT_EQ(Health().owed,
              "Owed to the backup: 2 documents - run Backup.\nVerify Backup tells what to do with them.");
    EXPECT_EQ(OwedLine(1), "Owed to the backup: 1 document - run Backup.\nVerify Backup tells what to do with it.");
    EXPECT_EQ(OwedLine(0), "");
    // A manifest that cannot be read is told, never taken for one owing nothing.
    std::ofstream(ManifestFile(backup), std::ios::trunc) << std::string(8192, 'x');
    EXPECT_TRUE(Health().owed.starts_with("The backup's manifest cannot be read - run Verify Backup:\n"))
        << Health().owed;
    // The backup of another library says nothing of this one.
    EXPECT_EQ(BackupHealthOf(state, backup, "/srv/other", now).owed, "");
}

TEST_F(BackupHealthTest, TheLastVerifyOfEachResultWithItsAge)
{
    Backup(0);
    EXPECT_EQ(Health().lastVerify, "");
    const VerifyReport whole = VerifyBackup(backup);
    ASSERT_TRUE(whole.reached && !whole.HasFindings() && !whole.Failed());
    VerifyReport findings = whole, incomplete = whole, single = whole;
    findings.Add({VerifyKind::FileMissing, 0, "00000001/a.tif", ""});
    findings.Add({VerifyKind::Owed, 3, "00000001/b.tif", ""});
    single.readData = "all";
    single.Add({VerifyKind::SizeDiffers, 0, "00000001/a.tif", ""});
    incomplete.errors.push_back("LIB.MDE copy: disk I/O error");
    const std::string at = "Last verify: " + FormatRecordDate(now) + ", 2 days ago\n";
    const std::map<std::string, const VerifyReport*> cases = {
        {at + "No findings, the backup is whole.", &whole},
        {at + "2 findings - see Verify Backup.", &findings},
        {at + "Every file read: 1 finding - see Verify Backup.", &single},
        {at + "Incomplete - see Verify Backup.", &incomplete},
    };
    for (const auto& [line, verify] : cases) {
        ASSERT_TRUE(RecordVerify(state, *verify, now));
        EXPECT_EQ(Health().lastVerify, line);
    }
    // The same backup however its path is spelled; a backup run since is told.
    EXPECT_TRUE(LastVerifyOf(state, backup + "/", now));
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "Date", FormatRecordDate(now + 3600));
    EXPECT_TRUE(Health().lastVerify.ends_with("\nA backup ran since: verify it again.")) << Health().lastVerify;
}

TEST_F(BackupHealthTest, AVerifyThatReachedNoBackupIsNotRecordedAndAFailureIsTold)
{
    ASSERT_TRUE(RecordVerify(state, VerifyBackup((env.root / "nowhere").string()), now));
    EXPECT_FALSE(LastVerifyOf(state, (env.root / "nowhere").string(), now));
    Backup(0);
    std::ofstream(env.root / "file") << "not a directory";
    std::string why;
    EXPECT_FALSE(RecordVerify(env.root / "file", VerifyBackup(backup), now, &why));
    EXPECT_NE(why.find((env.root / "file").string()), std::string::npos) << why;
}

TEST_F(BackupHealthTest, TheRecordCountsOnlyOnceItsDirectoryIsOnTheDisk)
{
    Backup(0);
    const VerifyReport whole = VerifyBackup(backup);
    ASSERT_TRUE(RecordVerify(state, whole, now)); // the directory is made
    // The file's flush passes; the flush of its new name in the directory fails.
    faults::FailBelow(faults::Op::Fsync, (state / "verify").string(), EIO, 1);
    std::string why;
    const bool recorded = RecordVerify(state, whole, now, &why);
    const int flushes = faults::CallsBelow(faults::Op::Fsync);
    faults::Clear();
    EXPECT_FALSE(recorded);
    EXPECT_EQ(flushes, 2);
    EXPECT_NE(why.find("Input/output error"), std::string::npos) << why;
}

TEST(UserStateDirTest, TheXdgStateHomeThenTheHomeDirectory)
{
    using Env = std::map<std::string, std::string>;
    const std::vector<std::pair<Env, std::string>> cases = {
        {{{"XDG_STATE_HOME", "/x/state"}, {"HOME", "/home/a"}}, "/x/state/rezudizid"},
        {{{"XDG_STATE_HOME", "relative"}, {"HOME", "/home/a"}}, "/home/a/.local/state/rezudizid"},
        {{{"HOME", "/home/a"}}, "/home/a/.local/state/rezudizid"},
        {{}, ""},
    };
    for (const auto& [vars, expected] : cases) {
        const fs::path dir = UserStateDir([&vars](const std::string& name) -> std::optional<std::string> {
            const auto found = vars.find(name);
            return found == vars.end() ? std::nullopt : std::optional<std::string>(found->second);
        });
        EXPECT_EQ(dir.string(), expected);
    }
}
