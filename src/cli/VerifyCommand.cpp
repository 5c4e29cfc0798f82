// rezud verify: the proof of a backup directory, read-only.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/backup/BackupStart.h"
#include "core/backup/BackupVerify.h"
#include "core/backup/VerifyHistory.h"

#include <ctime>

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
    const std::string backup = a.backup.empty() ? ConfiguredBackupPath(s.App().state.settings) : a.backup;
    if (backup.empty()) {
        s.Prompter().Tell(kNoBackupPath, MsgIcon::Exclamation);
        return Exit::kFailed;
    }
    const VerifyReport report =
        VerifyBackup(backup, OptionsOf(a), [&](const std::string& stage, std::int64_t done, std::int64_t total) {
            s.StageProgress(stage, done, total);
        });
    s.EndProgress();
    s.Count("documents_owed", static_cast<double>(report.Count(VerifyKind::Owed)));
    const int code = s.Report("verify", report, RenderVerifyJson, RenderVerifyText, "The backup was not verified");
    // Kept for the console; a verify whose record failed is done with a warning.
    std::string why;
    if (RecordVerify(s.App().state.stateDir, report, std::time(nullptr), &why)) return code;
    s.Prompter().Tell(kVerifyNotRecorded + why, MsgIcon::Exclamation);
    return std::max(code, Exit::kWarnings);
}
