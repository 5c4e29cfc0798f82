#include "core/offsite/OffsitePush.h"

#include "core/backup/BackupLock.h"
#include "core/backup/BackupStart.h"
#include "core/backup/BackupVerify.h"
#include "core/common/AtomicFile.h"
#include "core/common/SpareFiles.h"
#include "core/offsite/OffsiteSnapshots.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <sstream>

namespace {

std::string HostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
    return name;
}

std::vector<std::string> BackupArgs(const std::string& dir, const BackupRecord& record, bool verified)
{
    std::vector<std::string> args{"backup",
                                  "--host",
                                  HostName(),
                                  "--tag",
                                  kRezudTag,
                                  "--tag",
                                  LibraryTag(record.from),
                                  "--tag",
                                  RecordTag(record.date),
                                  "--exclude",
                                  std::string(kSparePrefix) + "*",
                                  "--exclude",
                                  ".*" + std::string(kWorkSuffix),
                                  "--exclude",
                                  BackupLock::FileName(dir)};
    if (verified) args.insert(args.end(), {"--tag", kVerifiedTag});
    args.push_back(dir);
    return args;
}

// The files of restic's error messages: "item" of each JSON one.
std::vector<std::string> UnreadFiles(const std::string& errorOutput)
{
    std::vector<std::string> files;
    std::istringstream lines(errorOutput);
    for (std::string line; std::getline(lines, line);) {
        const nlohmann::json m = nlohmann::json::parse(line, nullptr, false);
        if (m.is_object() && m.value("message_type", "") == "error") files.push_back(m.value("item", ""));
    }
    return files;
}

// The backup may be pushed: a record, no run working, the last one ended,
// and (unless forced) a verify without findings. Else the report says why.
bool MayPush(const std::string& dir, const BackupReadLock* lock, bool force, PushReport& report)
{
    if (!lock) {
        report.message = "A backup run is working in " + dir + "; push it when the run has ended.";
        return false;
    }
    if (lock->LastRunUnfinished()) {
        report.message = "The last backup run into " + dir + " did not end; run the backup again, then push it.";
        return false;
    }
    const VerifyReport verify = VerifyBackup(dir);
    report.verifyFindings = static_cast<std::int64_t>(verify.findings.size()) + verify.findingsOmitted;
    if (force || (!verify.Failed() && !verify.HasFindings())) return true;
    if (verify.Failed()) {
        report.message = "The backup in " + dir + " could not be verified: " + verify.errors.front();
        return false;
    }
    report.result = OffsiteResult::Warnings;
    report.message = "The backup in " + dir + " has " + std::to_string(report.verifyFindings) +
                     " verify findings; nothing was pushed (rezud verify names them; --force pushes it anyway).";
    return false;
}

} // namespace

PushReport PushBackup(const Restic& restic, const std::string& dir, bool force, const PushProgress& progress)
{
    PushReport report;
    const std::optional<BackupRecord> record = ReadBackupRecord(dir);
    if (!record || record->date.empty()) {
        report.message = "There is no backup in " + dir + ".";
        return report;
    }
    const auto lock = BackupReadLock::Take(dir);
    if (!MayPush(dir, lock.get(), force, report)) return report;
    OffsitePush push;
    push.recordDate = record->date;
    push.verified = report.verifyFindings == 0;
    const ResticRun run = restic.RunUnlocking(BackupArgs(dir, *record, push.verified), [&](const nlohmann::json& m) {
        const std::string type = m.value("message_type", "");
        if (type == "status" && progress)
            progress(m.value("percent_done", 0.0), m.value("files_done", std::int64_t{0}),
                     m.value("total_files", std::int64_t{0}));
        if (type != "summary") return;
        push.snapshot = m.value("snapshot_id", "");
        push.filesNew = m.value("files_new", std::int64_t{0});
        push.filesChanged = m.value("files_changed", std::int64_t{0});
        push.bytesAdded = m.value("data_added", std::int64_t{0});
    });
    if ((run.exitCode != 0 && run.exitCode != 3) || push.snapshot.empty()) {
        report.message = "Nothing was pushed: " + run.reason;
        return report;
    }
    push.time = BackupManifest::Now();
    BackupManifest::OpenForWriting(dir)->RecordPush(push);
    report.push = push;
    report.result = run.exitCode == 3 ? OffsiteResult::Warnings : OffsiteResult::Done;
    if (run.exitCode == 3) report.unread = UnreadFiles(run.errorOutput);
    report.message = run.exitCode == 3 ? "Snapshot " + push.snapshot + " was made without files restic could not read."
                                       : "Snapshot " + push.snapshot + " holds the backup of " + record->date + ".";
    return report;
}
