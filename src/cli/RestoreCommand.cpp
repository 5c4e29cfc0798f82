// rezud restore: a new library from a backup.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/backup/LibraryRestore.h"
#include "core/backup/RestoreMismatches.h"
#include "core/common/Text.h"

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

} // namespace

int RunRestore(CliSession& s, const std::string& backup, const std::string& dir, bool select)
{
    // The active library, of --library or of the settings file, is never restored into.
    s.LoadLibrary(false);
    std::ostream& err = s.Io().err;
    const bool progress = s.ShowsProgress();
    LibraryRestore restore(s.Prompter(), backup, dir);
    restore.onDone = [&](std::int64_t done) {
        if (progress && done % 256 == 0) err << "\rFiles restored: " << done << std::flush;
    };
    const bool ran = restore.Run(s.App().state.gsActiveLibPath);
    if (progress) err << '\n';
    Totals(s, restore.Totals(), backup, dir);
    if (!ran) return Exit::kFailed;
    s.Prompter().Say(restore.ReportText());
    if (select) {
        if (const int code = RunSelect(s, dir, std::nullopt); code != Exit::kDone) return code;
    }
    const RestoreTotals& t = restore.Totals();
    if (t.Whole()) return Exit::kDone;
    s.Warn("the library is not as the backup has it: " + CountOf(t.mismatches.count, "mismatch", "mismatches") + ", " +
           CountOf(t.missing.count, "missing file", "missing files") + ", " +
           CountOf(t.refused.count, "refused document") + ", " + CountOf(t.unreadable.count, "unreadable file"));
    return Exit::kWarnings;
}
