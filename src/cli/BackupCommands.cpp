// rezud backup, compact and reset-locks: the commands that work on the
// library's files as a whole.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/backup/BackupManifest.h"
#include "core/backup/BackupStart.h"
#include "core/backup/LibBackupRun.h"
#include "core/common/Text.h"
#include "core/data/Maintenance.h"
#include "core/library/BackupPlace.h"
#include "core/library/LibStatistics.h"

#include <ostream>

namespace {

void Totals(CliSession& s, const LibBackupRun& run)
{
    const BackupTotals& t = run.Totals();
    s.Result()["totals"] = {{"scanned", t.scan},
                            {"modified", t.modified},
                            {"copied", t.copy},
                            {"notCopied", t.notCopied},
                            {"owed", t.owed}};
    s.Result()["fullCopy"] = run.CopyAll();
    s.Count("documents_copied", static_cast<double>(t.copy));
    s.Count("documents_owed", static_cast<double>(t.owed));
}

// The documents the backup lacks, as its manifest lists them.
void Owed(CliSession& s, const std::string& backup)
{
    nlohmann::json owed = nlohmann::json::array();
    if (auto manifest = BackupManifest::OpenForReading(backup))
        manifest->ForEachOwed([&](const OwedDocument& d) {
            owed.push_back({{"id", d.id}, {"path", d.path}, {"reason", d.reason}, {"since", d.since}});
        });
    s.Result()["owed"] = std::move(owed);
}

} // namespace

// The run sizes its space check by what it will write, so the statistics
// walk, a second walk over every file, is made only when asked for.
int RunBackup(CliSession& s, const BackupArgs& a)
{
    if (auto refused = s.Open(Commands::kPublishLib, true)) return *refused;
    const std::optional<std::string> backup = ConfirmBackupPath(s.App(), a.to);
    if (!backup) return Exit::kFailed;
    s.Result()["backup"] = *backup;
    std::ostream& err = s.Io().err;
    const bool progress = s.ShowsProgress();
    StatResult stats;
    if (a.stats) {
        stats = LibStatistics(s.App()).Start();
        s.Result()["statistics"] = {
            {"documents", stats.fileCount}, {"sizeKB", stats.fileSizeKB}, {"report", TerminalText(stats.report)}};
        s.Prompter().Say(stats.report);
    } else {
        stats.fileCount = LibStatistics(s.App()).GetLibDocCount();
    }
    if (stats.fileCount == 0) {
        s.Prompter().Say(kNothingToBackup);
        return Exit::kDone;
    }
    LibBackupRun run(s.App(), FileSystemFreeSpace, [&](std::int64_t scanned) {
        if (progress && (scanned % 256 == 0 || scanned == stats.fileCount))
            err << "\rDocuments scanned: " << scanned << " of " << stats.fileCount << std::flush;
    });
    // Nobody is asked: the option is the answer.
    run.missingPath = a.createPath ? MissingBackupPath::Create : MissingBackupPath::Refuse;
    const bool ran = run.LibBackup(stats.fileSizeKB);
    if (progress) err << '\n';
    Totals(s, run);
    if (s.Options().json) Owed(s, *backup);
    if (!ran) {
        if (run.Refusal().starts_with(kBackupPathMissing))
            s.Prompter().Tell("Give --create-backup-path to create it.", MsgIcon::Exclamation);
        return Exit::kFailed;
    }
    s.Prompter().Say(run.ReportText());
    if (run.Complete()) return Exit::kDone;
    const std::int64_t owed = run.Totals().owed;
    s.Warn(owed > 0 ? CountOf(owed, "document") + " owed by the backup: the next backup copies " +
                          (owed == 1 ? "it" : "them") + " first"
                    : std::string("the backup is incomplete: see the messages above"));
    return Exit::kWarnings;
}

int RunCompact(CliSession& s)
{
    if (auto refused = s.Open(Commands::kCompact, true)) return *refused;
    return CompactAndRepairLibrary(s.App()) ? Exit::kDone : s.Outcome(Exit::kFailed);
}

int RunResetLocks(CliSession& s)
{
    if (auto refused = s.Open(Commands::kResetDoc, true)) return *refused;
    return ResetDocumentLocks(s.App()) ? Exit::kDone : s.Outcome(Exit::kFailed);
}
