#include "core/backup/NightlyRun.h"

#include <gtest/gtest.h>

#include <map>

using Step = NightlyStep;

TEST(NightlyRun, AStepThatFailedStopsTheChainAndTheHighestCodeIsTheRunsCode)
{
    struct Case {
        bool offsite;
        std::map<Step, int> codes; // 0 when not named
        std::vector<Step> ran;
        int code;
    };
    const std::vector<Step> all{Step::Backup, Step::Verify, Step::OffsitePush, Step::OffsiteForget};
    const Case cases[] = {
        {false, {}, {Step::Backup, Step::Verify}, 0},
        {false, {{Step::Verify, 1}}, {Step::Backup, Step::Verify}, 1},
        {true, {}, all, 0},
        {true, {{Step::Backup, 1}}, all, 1}, // owed documents are still verified
        {true, {{Step::Backup, 2}}, {Step::Backup}, 2},
        {true, {{Step::Backup, 3}}, {Step::Backup}, 3},
        {true, {{Step::Backup, 1}, {Step::Verify, 1}}, {Step::Backup, Step::Verify}, 1},
        {true, {{Step::Verify, 2}}, {Step::Backup, Step::Verify}, 2},
        {true, {{Step::OffsitePush, 1}}, {Step::Backup, Step::Verify, Step::OffsitePush}, 1},
        {true, {{Step::OffsiteForget, 2}}, all, 2},
    };
    for (const Case& c : cases) {
        std::vector<Step> ran;
        const NightlyOutcome outcome = RunNightly(c.offsite, [&](Step step) {
            ran.push_back(step);
            auto code = c.codes.find(step);
            return code == c.codes.end() ? 0 : code->second;
        });
        const std::vector<Step> expectedSkipped(all.begin() + static_cast<long>(c.ran.size()),
                                                all.begin() + (c.offsite ? 4 : 2));
        const std::string summary = NightlySummary(outcome);
        EXPECT_EQ(ran, c.ran) << summary;
        EXPECT_EQ(outcome.ran.size(), c.ran.size()) << summary;
        EXPECT_EQ(outcome.skipped, expectedSkipped) << summary;
        EXPECT_EQ(outcome.code, c.code) << summary;
    }
}

TEST(NightlyRun, TheSummaryNamesTheStepsTheirCodesAndWhatWasNotRun)
{
    const NightlyOutcome stopped = RunNightly(true, [](Step step) { return step == Step::Verify ? 1 : 0; });
    EXPECT_EQ(NightlySummary(stopped),
              "Nightly run: backup 0, verify 1. Stopped after verify; not run: offsite push, offsite forget.");
    const NightlyOutcome local = RunNightly(false, [](Step) { return 0; });
    EXPECT_EQ(NightlySummary(local), "Nightly run: backup 0, verify 0. No offsite repository is configured: the "
                                     "backup is not copied offsite.");
}
