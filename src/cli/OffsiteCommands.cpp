// rezud offsite init, push, list, forget and check: the backup's copies
// with history in a restic repository.
#include "cli/OffsiteCommands.h"
#include "cli/CliSession.h"
#include "core/backup/BackupDates.h"
#include "core/backup/BackupStart.h"
#include "core/backup/BackupVerify.h"
#include "core/offsite/OffsiteForget.h"
#include "core/offsite/OffsiteSnapshots.h"

#include <cmath>

namespace {

int ExitOf(OffsiteResult result)
{
    return result == OffsiteResult::Done       ? Exit::kDone
           : result == OffsiteResult::Warnings ? Exit::kWarnings
                                               : Exit::kFailed;
}

// The repository and restic, or told why not.
std::optional<Restic> Repository(CliSession& s, const OffsiteArgs& a)
{
    const OffsiteSetup setup = ResolveOffsite(a.options, s.Io().env, s.App().state.IniPath());
    if (!setup.config) {
        s.Prompter().Tell(setup.problem, MsgIcon::Critical);
        return std::nullopt;
    }
    return Restic(*setup.config);
}

std::string BackupOf(CliSession& s, const OffsiteArgs& a)
{
    return a.backup.empty() ? ConfiguredBackupPath(s.App().state.IniPath()) : a.backup;
}

// The library whose snapshots are meant: the active one, else the one the
// configured backup was made from.
std::string LibraryOf(CliSession& s, const OffsiteArgs& a)
{
    if (s.LoadLibrary(false)) return s.App().state.gsActiveLibPath;
    const auto record = ReadBackupRecord(BackupOf(s, a));
    return record ? record->from : std::string();
}

int Told(CliSession& s, OffsiteResult result, const std::string& message)
{
    s.Result()["message"] = message;
    s.Prompter().Say(message);
    return ExitOf(result);
}

} // namespace

int RunOffsiteInit(CliSession& s, const OffsiteArgs& a)
{
    const auto restic = Repository(s, a);
    if (!restic) return Exit::kFailed;
    const ResticRun run = restic->Run({"init"});
    if (!run.Done()) return Told(s, OffsiteResult::Refused, "The repository was not made: " + run.reason);
    return Told(s, OffsiteResult::Done, "The repository is ready.");
}

int RunOffsitePush(CliSession& s, const OffsiteArgs& a)
{
    const auto restic = Repository(s, a);
    const std::string backup = BackupOf(s, a);
    if (!restic) return Exit::kFailed;
    if (backup.empty()) {
        s.Prompter().Tell(kNoBackupPath, MsgIcon::Exclamation);
        return Exit::kFailed;
    }
    const PushReport report = PushBackup(*restic, backup, a.force, [&](double, std::int64_t done, std::int64_t all) {
        s.StageProgress("push", done, all);
    });
    s.EndProgress();
    s.Result()["backup"] = backup;
    s.Result()["verifyFindings"] = report.verifyFindings;
    if (report.push)
        s.Result()["push"] = {{"snapshot", report.push->snapshot},         {"time", report.push->time},
                              {"backupDate", report.push->recordDate},     {"filesNew", report.push->filesNew},
                              {"filesChanged", report.push->filesChanged}, {"bytesAdded", report.push->bytesAdded},
                              {"verified", report.push->verified}};
    s.Result()["unread"] = report.unread;
    for (const std::string& file : report.unread) s.Prompter().Say("Not read: " + file);
    return Told(s, report.result, report.message);
}

int RunOffsiteList(CliSession& s, const OffsiteArgs& a)
{
    const auto restic = Repository(s, a);
    if (!restic) return Exit::kFailed;
    ResticRun run;
    const std::string library = LibraryOf(s, a);
    const auto snapshots = ListSnapshots(*restic, library, run);
    if (!snapshots) return Told(s, OffsiteResult::Refused, "The snapshots cannot be listed: " + run.reason);
    nlohmann::json list = nlohmann::json::array();
    const std::time_t now = std::time(nullptr);
    s.Result()["library"] = library;
    for (const OffsiteSnapshot& snap : *snapshots) {
        const auto days = static_cast<long long>(std::difftime(now, snap.time) / 86400);
        list.push_back({{"id", snap.id},
                        {"time", FormatRecordDate(snap.time)},
                        {"backupDate", snap.recordDate},
                        {"ageDays", days},
                        {"verified", snap.verified}});
        s.Prompter().Say(snap.id + "  " + FormatRecordDate(snap.time) + "  backup of " + snap.recordDate + "  " +
                         std::to_string(days) + (days == 1 ? " day ago" : " days ago"));
    }
    s.Result()["snapshots"] = list;
    if (snapshots->empty()) s.Prompter().Say("No snapshot of " + library + " is in the repository.");
    return Exit::kDone;
}

int RunOffsiteForget(CliSession& s, const OffsiteArgs& a)
{
    const auto restic = Repository(s, a);
    if (!restic) return Exit::kFailed;
    const ForgetReport report = ForgetSnapshots(*restic, LibraryOf(s, a));
    s.Result()["forgotten"] = report.removed;
    s.Result()["kept"] = report.kept;
    return Told(s, report.result, report.message);
}

int RunOffsiteCheck(CliSession& s, const OffsiteArgs& a)
{
    const auto restic = Repository(s, a);
    if (!restic) return Exit::kFailed;
    std::vector<std::string> args;
    if (a.readData) args.push_back("--read-data");
    if (!a.readDataSubset.empty()) args.push_back("--read-data-subset=" + a.readDataSubset);
    const CheckOutcome outcome = CheckRepository(*restic, args);
    return Told(s, outcome.result, outcome.message);
}
