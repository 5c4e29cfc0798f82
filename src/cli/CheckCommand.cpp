// rezud check: the library check, read-only.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/library/LibraryCheck.h"

int RunCheck(CliSession& s, const CheckOptions& options)
{
    if (auto refused = s.Open(Commands::kCheckLib)) return *refused;
    const CheckReport report = CheckLibrary(
        s.App().state.gsActiveLibPath, options,
        [&](const std::string& stage, std::int64_t done, std::int64_t total) { s.StageProgress(stage, done, total); });
    s.EndProgress();
    return s.Report("check", report, RenderCheckJson, RenderCheckText, "The library was not checked");
}
