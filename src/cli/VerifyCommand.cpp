// rezud verify: the proof of a backup directory, read-only.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/backup/BackupStart.h"
#include "core/backup/BackupVerify.h"

#include <ostream>

namespace {

VerifyOptions OptionsOf(const VerifyArgs& a)
{
    VerifyOptions options;
    if (a.readData)
        options.readData = VerifySubset::All();
    else if (!a.readDataSubset.empty())
        options.readData =
            VerifySubset::Share(VerifySubset::ParsePercent(a.readDataSubset).value_or(100), VerifySubset::Today());
    return options;
}

} // namespace

int RunVerify(CliSession& s, const VerifyArgs& a)
{
    // No library, no login and no question: verify reads the backup alone.
    const std::string backup = a.backup.empty() ? ConfiguredBackupPath(s.App().state.IniPath()) : a.backup;
    if (backup.empty()) {
        s.Prompter().Tell(kNoBackupPath, MsgIcon::Exclamation);
        return Exit::kFailed;
    }
    std::ostream& err = s.Io().err;
    const bool progress = s.ShowsProgress();
    const VerifyReport report =
        VerifyBackup(backup, OptionsOf(a), [&](const std::string& stage, std::int64_t done, std::int64_t total) {
            if (progress) err << "\r" << stage << ": " << done << " of " << total << "\x1b[K" << std::flush;
        });
    if (progress) err << '\n';
    if (s.Options().json)
        s.Result()["verify"] = nlohmann::json::parse(RenderVerifyJson(report, -1));
    else
        s.Prompter().Say(RenderVerifyText(report));
    if (report.Failed()) return Exit::kFailed;
    return report.HasFindings() ? Exit::kWarnings : Exit::kDone;
}
