#include "core/backup/BackupVerify.h"

#include "core/backup/BackupDates.h"
#include "core/backup/BackupFiles.h"
#include "core/backup/BackupLock.h"
#include "core/backup/BackupStart.h"
#include "core/backup/VerifyRun.h"
#include "core/base/AppError.h"
#include "core/common/Commons.h"
#include "core/data/Database.h"
#include "core/data/IntegrityCheck.h"

#include <cerrno>
#include <filesystem>
#include <future>

namespace {

constexpr const char* kLibCopy = "00000000/LIB.MDE";

// Runs one part; a part that fails leaves its error in the report and the
// others still run.
template <typename Part>
void RunPart(VerifyReport& report, const std::string& what, Part part)
{
    try {
        part();
    } catch (...) {
        report.errors.push_back(what + ": " + CurrentError().description);
    }
}

void VerifyRecord(VerifyRun& run)
{
    const std::optional<BackupRecord> record = ReadBackupRecord(run.backup);
    if (!record) return run.report.Add({VerifyKind::RecordBad, 0, kBackupRecordName, "there is no backup record"});
    run.report.from = record->from;
    run.report.date = record->date;
    if (record->from.empty())
        run.report.Add({VerifyKind::RecordBad, 0, kBackupRecordName, "the record names no library (FROM is empty)"});
    if (!record->date.empty() && !ParseRecordDate(record->date))
        run.report.Add(
            {VerifyKind::RecordBad, 0, kBackupRecordName, "its date \"" + record->date + "\" cannot be read"});
}

// Opens `relative` for reading only with `open`; false, with a finding,
// when it is missing or damaged. Other failures throw.
template <typename Open>
bool OpenCopy(VerifyRun& run, const std::string& relative, Open open)
{
    auto damaged = [&](const std::string& detail) {
        run.report.Add({VerifyKind::DatabaseDamaged, 0, relative, detail});
        return false;
    };
    const BackupFileState state = BackupFiles(run.backup).Look(relative);
    if (state.is == BackupFileState::Is::Missing) return damaged("the copy is missing");
    if (state.is == BackupFileState::Is::NotPlain) return damaged("the copy is not a plain file");
    // SQLite takes an empty file for an empty database.
    if (state.is == BackupFileState::Is::Plain && state.size == 0) return damaged("the copy is empty");
    try {
        open();
    } catch (...) {
        const ErrorInfo e = CurrentError();
        if (!IsDamage(e)) throw;
        return damaged(e.description);
    }
    return true;
}

// A database copy and its full check; true when it passes.
bool VerifyDatabase(VerifyRun& run, Connection& connection, const std::string& name)
{
    const std::string relative = "00000000/" + name;
    if (!OpenCopy(run, relative, [&] { connection.Open(run.backup + "/" + relative, Connection::Mode::ReadOnly); }))
        return false;
    run.Progress("Checking " + name, 0, 0);
    const std::string damage = DamageFound(connection, true);
    if (damage.empty()) return true;
    run.report.Add({VerifyKind::DatabaseDamaged, 0, relative, damage});
    return false;
}

void ListOwed(VerifyRun& run)
{
    run.manifest->ForEachOwed([&](const OwedDocument& owed) {
        run.report.Add({VerifyKind::Owed, owed.id, owed.path, owed.reason + ", owed since " + owed.since});
    });
}

// The manifest is read whole by the parts that use it, so damage shows
// there; a check of its own first would read it twice.
void OpenManifest(VerifyRun& run)
{
    OpenCopy(run, kManifestName, [&] { run.manifest = BackupManifest::OpenForReading(run.backup); });
}

// A part reading the manifest: damage met there is a finding about it.
template <typename Part>
void RunManifestPart(VerifyReport& report, const std::string& what, Part part)
{
    try {
        part();
    } catch (...) {
        const ErrorInfo e = CurrentError();
        if (!IsDamage(e)) return report.errors.push_back(what + ": " + e.description);
        report.Add({VerifyKind::DatabaseDamaged, 0, kManifestName, e.description});
    }
}

// A run holds the backup's lock while it works; what it has half written is
// no finding. Probed, not held: a backup starting meanwhile is not refused.
bool RunWorking(const std::string& dir)
{
    try {
        return BackupReadLock::Take(dir) == nullptr; // released at once
    } catch (const std::exception&) {
        return false; // a lock file that cannot be read locks nothing out
    }
}

// A run that did not end is told first: what it left half done explains
// what the rest of the report leaves out.
void VerifyLastRun(VerifyRun& run)
{
    if (!LastRunInterrupted(run.backup)) return;
    run.interrupted = true;
    run.report.Add({VerifyKind::RunInterrupted, 0, "Libbackup.lock", "a backup run was interrupted: run Backup again"});
}

// Whether the LIB.MDE copy is the interrupted run's: then its documents
// that run had not reached yet have no file, and are no damage.
bool LibCopyByRun(const VerifyRun& run)
{
    if (!run.interrupted) return false;
    const std::optional<ManifestEntry> entry = run.manifest->Entry(kLibCopy);
    return !entry || ByInterruptedRun(run, BackupFiles(run.backup).Look(kLibCopy), entry->mtimeNs);
}

bool IsBackup(const std::string& dir)
{
    std::error_code ec;
    return std::filesystem::exists(BackupRecordFile(dir), ec) || std::filesystem::exists(LibDatabaseFile(dir), ec);
}

} // namespace

std::string ConfiguredBackupPath(const SettingsFile& settings) { return GetIniString("LIB", "Backpath", settings); }

VerifyReport VerifyBackup(const std::string& backupDir, const VerifyOptions& options, const VerifyProgress& progress)
{
    VerifyReport report;
    report.backup = backupDir;
    std::error_code ec;
    if (!std::filesystem::is_directory(backupDir, ec)) {
        report.errors.push_back(backupDir + " is no directory");
        return report;
    }
    if (!IsBackup(backupDir)) {
        report.errors.push_back(backupDir + " is no backup: it holds neither " + kBackupRecordName +
                                " nor 00000000/LIB.MDE");
        return report;
    }
    if (RunWorking(backupDir)) {
        report.errors.push_back("a backup run is working in " + backupDir + ": verify once it has ended");
        return report;
    }
    report.reached = true;
    VerifyRun run{backupDir, options, progress, report, {}, {}, {}, false, false};
    RunPart(report, "Backup lock", [&] { VerifyLastRun(run); });
    RunPart(report, "Backup record", [&] { VerifyRecord(run); });
    RunPart(report, "CTRL.MDE copy", [&] {
        Connection ctrl;
        VerifyDatabase(run, ctrl, "CTRL.MDE");
    });
    report.manifest = std::filesystem::exists(ManifestFile(backupDir), ec);
    if (report.manifest) RunPart(report, "Manifest", [&] { OpenManifest(run); });
    if (run.manifest) RunManifestPart(report, "Documents owed", [&] { ListOwed(run); });
    // The LIB.MDE copy and its documents wait mostly for SQLite, the files
    // of the manifest for the file system: they run side by side.
    VerifyReport documents, files;
    bool libByRun = run.interrupted; // without a manifest nothing tells
    if (run.manifest) RunManifestPart(report, "Manifest", [&] { libByRun = LibCopyByRun(run); });
    const std::string attach = run.manifest ? run.manifest->File() : "";
    VerifyRun lib{backupDir, options, {}, documents, {}, {}, attach, run.interrupted, libByRun};
    std::future<void> libDone = std::async(std::launch::async, [&] {
        bool sound = false;
        RunPart(documents, "LIB.MDE copy", [&] { sound = VerifyDatabase(lib, lib.lib, "LIB.MDE"); });
        // The copy passed its check: damage met now is the attached manifest's.
        if (sound) RunManifestPart(documents, "Documents", [&] { VerifyDocuments(lib); });
    });
    VerifyRun manifest{backupDir, options, progress, files, {}, std::move(run.manifest), {}, run.interrupted, false};
    if (manifest.manifest) RunManifestPart(files, "Files of the manifest", [&] { VerifyManifestFiles(manifest); });
    libDone.get();
    report.Merge(std::move(documents));
    report.Merge(std::move(files));
    run.Progress("Done", 1, 1);
    return report;
}
