// Power cuts during a restore from offsite, on the power-cut disk (see
// PowerCutTrials): the restore directory is on the image, the snapshot is
// fetched into it by a stand-in for restic that copies the backup. Cut
// right after a restore exited 0, the library must be there whole and
// unmarked; cut while it ran, every file under its name must be whole, and
// the same command run again must make the library.
#include "PowerCutFixture.h"
#include "RezudChild.h"
#include "support/BackupCheck.h"

#include <random>

namespace fs = std::filesystem;

namespace {

constexpr int kDocuments = 120;
constexpr int kCuts = 12;

class RestorePowerCutTrials : public PowerCutTest {
protected:
    std::string dir = (env.root / "disk" / "restored").string();
    std::string restic = (env.root / "restic").string();

    void SetUp() override
    {
        // Each file its own content: one in another's place shows.
        SetUpDisk(kDocuments, [](int i) { return static_cast<char>('a' + i % 26); });
        if (IsSkipped()) return;
        ASSERT_TRUE(Run()) << report;
        // restic as the restore runs it: the snapshot's backup below the target.
        WriteFile(restic, "#!/bin/sh\nwhile [ $# -gt 0 ]; do [ \"$1\" = --target ] && t=$2; shift; done\n"
                          "mkdir -p \"$t/snap\" && cp -a '" +
                              backup +
                              "/.' \"$t/snap/\" || exit 1\n"
                              "echo \"restoring <Snapshot 0123abcd of [/x] at now> to $t\"\n");
        fs::permissions(restic, fs::perms::owner_all);
        WriteFile(env.root / "password", "unused by the stand-in");
    }
    Ending Restore(std::optional<std::chrono::microseconds> delay)
    {
        return RunRezudChild({"restore", "--from-offsite", "0123abcd", dir, "--restic", restic, "--repo",
                              (env.root / "repo").string(), "--repo-password-file", (env.root / "password").string()},
                             {}, delay);
    }

    // Every document file under its name holds what the backup holds.
    std::vector<std::string> Torn() const
    {
        std::vector<std::string> torn;
        for (const auto& d : docs) {
            const std::string relative = d.location + "/" + d.filename, at = dir + "/" + relative;
            if (fs::exists(at) && ReadFile(at) != ReadFile(backup + "/" + relative)) torn.push_back(relative);
        }
        return torn;
    }
    std::vector<std::string> NotRestored() const
    {
        std::vector<std::string> absent;
        for (const auto& d : docs)
            if (!fs::exists(dir + "/" + d.location + "/" + d.filename)) absent.push_back(d.filename);
        for (const char* db : {"00000000/LIB.MDE", "00000000/CTRL.MDE"})
            if (!fs::exists(dir + "/" + db) || ReadFile(dir + "/" + db) != ReadFile(backup + "/" + db))
                absent.push_back(db);
        return absent;
    }
};

} // namespace

TEST_F(RestorePowerCutTrials, ARestoreThatEndedSurvivesACutAndOneCutGoesOn)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    double seconds = 1;
    for (int trial = 0; trial < kCuts && !HasFailure(); ++trial) {
        fs::remove_all(dir);
        const bool ends = trial % 2 == 0;
        const Ending end = Restore(ends ? std::nullopt
                                        : std::optional(std::chrono::microseconds(std::uniform_int_distribution<long>(
                                              0, static_cast<long>(seconds * 0.9e6))(rng))));
        if (ends) seconds = end.seconds;
        SCOPED_TRACE("trial " + std::to_string(trial) + (ends ? ", the restore ended" : ", the restore was cut") +
                     " after " + std::to_string(end.seconds) + " s");
        ASSERT_TRUE(end.killed || end.exit == 0) << "exit " << end.exit;
        ASSERT_EQ(disk.Cut(), "");
        EXPECT_TRUE(Torn().empty()) << Lines(Torn());
        if (end.exit == 0) {
            EXPECT_TRUE(NotRestored().empty()) << "a restore that exited 0 lost\n" << Lines(NotRestored());
            EXPECT_FALSE(fs::exists(dir + "/.rezud-restore"));
            EXPECT_FALSE(fs::exists(dir + "/.rezud-offsite"));
            continue;
        }
        if (!fs::exists(dir + "/.rezud-restore")) continue; // cut before the restore marked its directory
        const Ending again = Restore(std::nullopt);
        ASSERT_EQ(again.exit, 0);
        EXPECT_TRUE(NotRestored().empty()) << Lines(NotRestored());
        EXPECT_TRUE(Torn().empty()) << Lines(Torn());
    }
}
