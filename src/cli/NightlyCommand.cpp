// rezud nightly: the chain a scheduler runs, each step the command an
// administrator would type, in this process.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "cli/Rezud.h"
#include "core/backup/BackupVerify.h"
#include "core/backup/NightlyRun.h"
#include "core/common/Commons.h"
#include "core/offsite/LastOffsite.h"
#include "core/offsite/OffsiteConfig.h"
#include "core/offsite/OffsiteSnapshots.h"

#include <ctime>
#include <sstream>

namespace {

// The options every step shares with the nightly run itself.
std::vector<std::string> Shared(const GlobalOptions& g)
{
    std::vector<std::string> args;
    auto add = [&](const char* option, const std::string& value) {
        if (!value.empty()) args.insert(args.end(), {option, value});
    };
    add("--library", g.library);
    add("--password-file", g.passwordFile);
    add("--metrics", g.metrics);
    if (g.yes) args.push_back("--yes");
    if (g.json) args.push_back("--json");
    return args;
}

std::vector<std::string> StepArgs(NightlyStep step, const NightlyArgs& a)
{
    std::vector<std::string> args;
    auto add = [&](const char* option, const std::string& value) {
        if (!value.empty()) args.insert(args.end(), {option, value});
    };
    switch (step) {
    case NightlyStep::Backup:
        args = {"backup"};
        add("--to", a.to);
        break;
    case NightlyStep::Verify:
        args = {"verify", "--read-data-subset", a.readDataSubset};
        if (!a.to.empty()) args.push_back(a.to);
        break;
    case NightlyStep::OffsitePush:
    case NightlyStep::OffsiteForget:
        args = {"offsite", step == NightlyStep::OffsitePush ? "push" : "forget"};
        if (step == NightlyStep::OffsitePush && !a.to.empty()) args.push_back(a.to);
        add("--repo", a.repo);
        add("--repo-password-file", a.repoPasswordFile);
        add("--restic", a.restic);
        break;
    }
    return args;
}

// Whether the offsite steps run; restic itself is looked for only by them,
// so a missing restic fails the push instead of skipping it.
// The last push the backup's manifest books, for the run's metrics.
void LastPush(CliSession& s, const NightlyArgs& a)
{
    const std::string backup = a.to.empty() ? ConfiguredBackupPath(s.App().state.settings) : a.to;
    const LastOffsite last = LastOffsiteOf(backup, std::time(nullptr));
    if (last.push)
        if (const auto when = ParseResticTime(last.push->time)) s.OffsitePushAt(static_cast<double>(*when));
}

} // namespace

int RunNightly(CliSession& s, const NightlyArgs& a)
{
    const bool json = s.Options().json;
    nlohmann::json steps = nlohmann::json::array();
    const NightlyOutcome outcome =
        RunNightly(!ConfiguredRepository(a.repo, s.Io().env, s.App().state.settings).empty(), [&](NightlyStep step) {
            std::vector<std::string> args = StepArgs(step, a);
            const std::vector<std::string> shared = Shared(s.Options());
            args.insert(args.end(), shared.begin(), shared.end());
            std::ostringstream captured;
            CliIo io{s.Io().in,         json ? captured : s.Io().out, s.Io().err,
                     s.Io().inTerminal, s.Io().errTerminal,           s.Io().env,
                     s.Io().readSecret};
            const int code = RunRezud(args, s.App().state.programDir, io);
            if (json) steps.push_back(nlohmann::json::parse(captured.str(), nullptr, false));
            return code;
        });
    if (outcome.offsite) LastPush(s, a);
    s.Result()["steps"] = std::move(steps);
    s.Result()["offsite"] = outcome.offsite;
    const std::string summary = NightlySummary(outcome);
    if (json)
        s.Result()["summary"] = summary;
    else
        s.Prompter().Say(summary);
    return outcome.code;
}
