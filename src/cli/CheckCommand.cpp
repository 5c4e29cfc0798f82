// rezud check: the library check, read-only.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/library/LibraryCheck.h"

#include <ostream>

int RunCheck(CliSession& s, const CheckOptions& options)
{
    if (auto refused = s.Open(Commands::kCheckLib)) return *refused;
    std::ostream& err = s.Io().err;
    const bool progress = s.ShowsProgress();
    const CheckReport report = CheckLibrary(
        s.App().state.gsActiveLibPath, options, [&](const std::string& stage, std::int64_t done, std::int64_t total) {
            if (progress) err << "\r" << stage << ": " << done << " of " << total << "\x1b[K" << std::flush;
        });
    if (progress) err << '\n';
    if (s.Options().json)
        s.Result()["check"] = nlohmann::json::parse(RenderCheckJson(report, -1));
    else
        s.Prompter().Say(RenderCheckText(report));
    if (report.Failed()) return Exit::kFailed;
    return report.HasFindings() ? Exit::kWarnings : Exit::kDone;
}
