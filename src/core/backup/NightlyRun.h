#pragma once
// The nightly run: the backup, a verify of a rotating share of its files,
// then, when an offsite repository is configured, the push of the verified
// backup and the retention. Each step is its own command; a step that did
// not end well enough stops the chain, since what comes after it builds on
// it: nothing is verified after a failed backup, and a backup with findings
// is never pushed.
#include <functional>
#include <string>
#include <vector>

enum class NightlyStep { Backup, Verify, OffsitePush, OffsiteForget };

// The command that runs the step ("offsite push").
const char* NightlyStepCommand(NightlyStep step);

struct NightlyOutcome {
    struct Ran {
        NightlyStep step;
        int code;
    };
    std::vector<Ran> ran;
    std::vector<NightlyStep> skipped; // not run after a stop
    bool offsite = false;             // a repository was configured
    int code = 0;                     // the highest exit code of the steps run
    bool Stopped() const { return !skipped.empty(); }
};

inline constexpr const char* kNightlyNoRepository =
    "No offsite repository is configured: the backup is not copied offsite.";

// Runs the steps in order through `run`, which gives a step's exit code,
// and stops after the first one that ended too badly for the next.
NightlyOutcome RunNightly(bool offsite, const std::function<int(NightlyStep)>& run);

// The summary of the run: the steps and their exit codes, and why it stopped.
std::string NightlySummary(const NightlyOutcome& outcome);
