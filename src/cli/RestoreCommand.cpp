// rezud restore: a new library from a backup.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/backup/BackupStart.h"
#include "core/backup/BackupVerify.h"
#include "core/backup/LibraryRestore.h"
#include "core/backup/RestoreMismatches.h"
#include "core/common/Text.h"
#include "core/offsite/OffsiteSnapshots.h"
#include "core/offsite/SnapshotFetch.h"

#include <ostream>

namespace {

nlohmann::json Named(const NamedCount& named) { return {{"count", named.count}, {"names", named.names}}; }

void Totals(CliSession& s, const RestoreTotals& t, const std::string& backup, const std::string& dir)
{
    nlohmann::json& r = s.Result()["restore"];
    r["from"] = backup;
    r["into"] = dir;
    r["restored"] = t.restored;
    r["skipped"] = t.skipped;
    r["unchecked"] = t.unchecked;
    r["mismatches"] = Named(t.mismatches);
    if (t.mismatches.count > 0) r["mismatches"]["list"] = dir + "/" + kRestoreMismatchesName;
    r["missing"] = Named(t.missing);
    r["notDue"] = Named(t.notDue);
    r["refused"] = Named(t.refused);
    r["unreadable"] = Named(t.unreadable);
}

std::function<void(std::int64_t)> Progress(CliSession& s)
{
    if (!s.ShowsProgress()) return {};
    return [&s](std::int64_t done) {
        if (done % 256 == 0) s.Io().err << "\rFiles restored: " << done << std::flush;
    };
}

// The restore's report, the selection asked for, and the exit code.
int Ended(CliSession& s, bool ran, const RestoreTotals& totals, const std::string& report, const RestoreArgs& a)
{
    if (!ran) return Exit::kFailed;
    s.Prompter().Say(report);
    if (a.select) {
        if (const int code = RunSelect(s, a.dir, std::nullopt); code != Exit::kDone) return code;
    }
    if (totals.Whole()) return Exit::kDone;
    s.Warn("the library is not as the backup has it: " + CountOf(totals.mismatches.count, "mismatch", "mismatches") +
           ", " + CountOf(totals.missing.count, "missing file", "missing files") + ", " +
           CountOf(totals.refused.count, "refused document") + ", " +
           CountOf(totals.unreadable.count, "unreadable file"));
    return Exit::kWarnings;
}

// "latest" is the newest snapshot of the active library, else of the
// configured backup's library, else of any library.
std::string LatestFilter(CliSession& s)
{
    std::string library = s.App().state.gsActiveLibPath;
    if (library.empty())
        if (const auto record = ReadBackupRecord(ConfiguredBackupPath(s.App().state.settings))) library = record->from;
    return library.empty() ? std::string(kRezudTag) : LibraryFilter(library);
}

int RunFromOffsite(CliSession& s, const RestoreArgs& a)
{
    const OffsiteSetup setup = ResolveOffsite(a.offsite, s.Io().env, s.App().state.settings);
    if (!setup.config) {
        s.Prompter().Tell(setup.problem, MsgIcon::Critical);
        return Exit::kFailed;
    }
    const Restic restic(*setup.config);
    if (s.ShowsProgress()) s.Io().err << "Fetching snapshot " << a.snapshot << " ..." << std::endl;
    OffsiteRestore restore(s.Prompter(), a.snapshot, a.dir,
                           FetchSnapshot(restic, a.snapshot, a.snapshot == "latest" ? LatestFilter(s) : std::string()));
    restore.onDone = Progress(s);
    const bool ran = restore.Run(s.App().state.gsActiveLibPath);
    if (s.ShowsProgress()) s.Io().err << '\n';
    if (!restore.Snapshot().id.empty()) s.Result()["snapshot"] = restore.Snapshot().id;
    Totals(s, restore.Totals(), "snapshot " + (restore.Snapshot().id.empty() ? a.snapshot : restore.Snapshot().id),
           a.dir);
    return Ended(s, ran, restore.Totals(), restore.ReportText(), a);
}

} // namespace

int RunRestore(CliSession& s, const RestoreArgs& a)
{
    // The active library, of --library or of the settings file, is never restored into.
    s.LoadLibrary(false);
    if (!a.snapshot.empty()) return RunFromOffsite(s, a);
    LibraryRestore restore(s.Prompter(), a.backup, a.dir);
    restore.onDone = Progress(s);
    const bool ran = restore.Run(s.App().state.gsActiveLibPath);
    if (s.ShowsProgress()) s.Io().err << '\n';
    Totals(s, restore.Totals(), a.backup, a.dir);
    return Ended(s, ran, restore.Totals(), restore.ReportText(), a);
}
