#include "core/backup/NightlyRun.h"

#include <algorithm>

namespace {

// The highest exit code after which the next step still runs. A backup
// with documents owed (1) is still verified; the verify lists them, and a
// finding (1) keeps the backup from being pushed.
int GoesOnUpTo(NightlyStep step) { return step == NightlyStep::Backup ? 1 : 0; }

} // namespace

const char* NightlyStepCommand(NightlyStep step)
{
    switch (step) {
    case NightlyStep::Backup:
        return "backup";
    case NightlyStep::Verify:
        return "verify";
    case NightlyStep::OffsitePush:
        return "offsite push";
    case NightlyStep::OffsiteForget:
        return "offsite forget";
    }
    return "";
}

NightlyOutcome RunNightly(bool offsite, const std::function<int(NightlyStep)>& run)
{
    std::vector<NightlyStep> steps{NightlyStep::Backup, NightlyStep::Verify};
    if (offsite) steps.insert(steps.end(), {NightlyStep::OffsitePush, NightlyStep::OffsiteForget});
    NightlyOutcome outcome;
    outcome.offsite = offsite;
    for (auto step = steps.begin(); step != steps.end(); ++step) {
        const int code = run(*step);
        outcome.ran.push_back({*step, code});
        outcome.code = std::max(outcome.code, code);
        if (code > GoesOnUpTo(*step)) {
            outcome.skipped.assign(step + 1, steps.end());
            break;
        }
    }
    return outcome;
}

std::string NightlySummary(const NightlyOutcome& outcome)
{
    std::string text = "Nightly run:";
    for (const NightlyOutcome::Ran& r : outcome.ran)
        text += std::string(" ") + NightlyStepCommand(r.step) + " " + std::to_string(r.code) + ",";
    text.back() = '.';
    if (outcome.Stopped()) {
        text += " Stopped after " + std::string(NightlyStepCommand(outcome.ran.back().step)) + "; not run:";
        for (const NightlyStep step : outcome.skipped) text += std::string(" ") + NightlyStepCommand(step) + ",";
        text.back() = '.';
    }
    if (!outcome.offsite) text += std::string(" ") + kNightlyNoRepository;
    return text;
}
