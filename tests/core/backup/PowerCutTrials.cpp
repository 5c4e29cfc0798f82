// Power cuts: the backup disk is an ext4 image on a loop device with direct
// I/O, the kernel's periodic write-back is off and the journal commits only
// when a flush asks, so only what the program flushed reaches the image.
// Right after rezud backup exits 0, or after it is killed at a random time
// or inside the manifest's commit, the image is copied without a sync: the
// copy is the disk as a power cut leaves it. Checked by e2fsck and mounted
// in its place, it must hold the record a run that exited 0 wrote, no torn
// file, a verify that tells the truth; the next run makes it whole. Needs
// root and loop devices, and is skipped elsewhere, saying why.
#include "PowerCutFixture.h"
#include "RezudChild.h"
#include "core/backup/BackupLock.h"
#include "core/backup/BackupVerify.h"
#include "support/BackupCheck.h"

#include <random>

namespace fs = std::filesystem;

namespace {

constexpr int kDocuments = 120;
constexpr int kCuts = 6;

class PowerCutTrials : public PowerCutTest {
protected:
    void SetUp() override
    {
        SetUpDisk(kDocuments, [](int) { return 'a'; });
        if (IsSkipped()) return;
        backup = (env.root / "disk" / "backup").string();
        env.app->state.gsBackupLibPath = backup;
    }

    // A share of the documents changes, in its row and its file.
    void Change(std::mt19937& rng, int version)
    {
        std::bernoulli_distribution changes(0.3);
        std::uniform_int_distribution<int> size(1, 60000);
        const auto later = fs::file_time_type::clock::now() + std::chrono::hours(version);
        builder.Lib().exec("UPDATE images SET `updated-date`='2099-01-01 00:00:" + std::to_string(10 + version) + "'");
        for (const auto& d : docs) {
            if (!changes(rng)) continue;
            WriteFile(builder.FileOf(d),
                      std::string(static_cast<std::size_t>(size(rng)), static_cast<char>('a' + version)));
            fs::last_write_time(builder.FileOf(d), later);
        }
    }

    // Killed after `delay` when given, or at its `killAt`-th operation on
    // the manifest's journal. How many there were, when it ended, is in
    // `journalOps`.
    Ending Backup(std::optional<std::chrono::microseconds> delay, long killAt = 0)
    {
        const std::string ops = (env.root / "ops").string();
        const Ending end =
            RunRezudChild({"--library", lib, "backup", "--to", backup, "--yes", "--create-backup-path"},
                          {"REZUD_ADMIN_PASSWORD=quillset", "REZUD_OPS_FILE=" + ops,
                           "REZUD_KILL_PATH=Libbackup.manifest-journal", "REZUD_KILL_AT=" + std::to_string(killAt)},
                          delay);
        if (end.exit == 0) journalOps = std::stol(ReadFile(ops));
        return end;
    }
    long journalOps = 0;

    // Verify reads every byte: findings there are none but the one that an
    // interrupted run is, first.
    void VerifyTellsTheTruth()
    {
        VerifyOptions all;
        all.readData = VerifySubset::All();
        const VerifyReport r = VerifyBackup(backup, all);
        EXPECT_TRUE(r.errors.empty()) << r.errors.front();
        std::vector<VerifyKind> kinds;
        for (const VerifyFinding& f : r.findings) kinds.push_back(f.kind);
        const bool interrupted = LastRunInterrupted(backup);
        EXPECT_EQ(kinds, interrupted ? std::vector<VerifyKind>{VerifyKind::RunInterrupted} : std::vector<VerifyKind>{})
            << RenderVerifyText(r);
    }

    void Repair()
    {
        env.prompter.Clear();
        LibBackupRun run(*env.app, Plenty);
        EXPECT_TRUE(run.LibBackup(1000)) << (env.prompter.boxes.empty() ? "" : env.prompter.Last().text);
        EXPECT_TRUE(run.Complete()) << run.ReportText();
        EXPECT_TRUE(BackupProblems(lib, backup).empty()) << Lines(BackupProblems(lib, backup));
        VerifyTellsTheTruth();
    }
};

} // namespace

// The first run and every other one end and the cut comes right after; the
// others are cut while they run, after a random time or inside the
// manifest's commit, before its journal is let go. Every cut is followed by
// the checks and a run that makes the backup whole, the next trial's base.
TEST_F(PowerCutTrials, WhatARunSaidIsDoneSurvivesACutAndVerifyTellsTheTruth)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    double seconds = 1;
    for (int trial = 0; trial < kCuts && !HasFailure(); ++trial) {
        const DocumentFiles before = trial == 0 ? DocumentFiles{} : ReadDocumentFiles(lib);
        if (trial > 0) Change(rng, trial);
        const DocumentFiles after = ReadDocumentFiles(lib);
        const std::string date = trial == 0 ? std::string() : Record("Date");
        const bool ends = trial % 2 == 0;
        Ending end;
        if (ends) {
            end = Backup(std::nullopt);
            seconds = end.seconds;
        } else if (trial > 1) {
            // Instead of the end of its commit: the journal is hot on the disk
            // when the run changes as many pages as the last one did.
            end = Backup(std::nullopt, journalOps - 1);
        } else {
            end = Backup(std::chrono::microseconds(
                std::uniform_int_distribution<long>(0, static_cast<long>(seconds * 0.9e6))(rng)));
        }
        SCOPED_TRACE("trial " + std::to_string(trial) + (ends ? ", the run ended" : ", the run was cut") + " after " +
                     std::to_string(end.seconds) + " s");
        ASSERT_TRUE(end.killed || end.exit == 0) << "exit " << end.exit;
        const std::string record = end.exit == 0 ? ReadFile(backup + "/Libbackup.ini") : std::string();
        ASSERT_EQ(disk.Cut(), "");

        if (end.exit == 0) {
            ASSERT_TRUE(fs::exists(backup + "/Libbackup.ini")) << "the record of a run that exited 0 is lost";
            EXPECT_EQ(ReadFile(backup + "/Libbackup.ini"), record);
            EXPECT_FALSE(LastRunInterrupted(backup));
        }
        EXPECT_TRUE(TornFiles(backup, before, after).empty()) << Lines(TornFiles(backup, before, after));
        if (Record("Date") != date) {
            EXPECT_TRUE(CopyProblems(lib, backup).empty()) << "the record says " << Record("Date") << "\n"
                                                           << Lines(CopyProblems(lib, backup));
        }
        VerifyTellsTheTruth();
        Repair();
    }
}
