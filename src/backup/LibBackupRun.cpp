#include "backup/LibBackupRun.h"

#include "app/AppContext.h"
#include "app/MyErrHandler.h"
#include "backup/BackupDates.h"
#include "backup/DatabaseCopy.h"
#include "backup/FileSystemFlush.h"
#include "common/AtomicFile.h"
#include "common/Commons.h"
#include "common/IniFile.h"
#include "common/SpareFiles.h"
#include "data/ReadStretch.h"
#include "library/DocumentPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "LASTBACKUP";
constexpr const char* kLibStampKey = "LIB.MDE Copy";
constexpr const char* kCtrlStampKey = "CTRL.MDE Copy";

// Copies under way at once, and copies handed over but not yet finished.
// Copying everything is bound by the disk's writing, where more copies at
// once only scatter the new files; copying what changed is bound by
// waiting for each changed file to be read from the disk.
constexpr unsigned kCopyAllWorkers = 4;
constexpr unsigned kChangedWorkers = 8;
constexpr std::size_t kCopyWindow = 64;
// Old copies kept to be written over by the next ones.
constexpr std::size_t kSpareFiles = 32;

constexpr const char* kAllDocuments =
    "SELECT id, `filename`, `location` FROM `images` WHERE `folder-id`=? ORDER BY id ";
// The folder's document count, and only the documents whose row passes the
// change test (one row of NULLs when none does): an unchanged folder costs
// one index lookup and no row reads.
constexpr const char* kDueDocuments =
    "SELECT t.total, i.id, i.`filename`, i.`location` "
    "FROM (SELECT count(*) AS total FROM `images` WHERE `folder-id`=?1) AS t "
    "LEFT JOIN `images` AS i ON i.`folder-id`=?1 AND i.`internal` IS NOT NULL "
    "AND i.`internal` NOT IN ('0','C') AND i.`updated-date` > ?2 "
    "ORDER BY i.id ";

// Errors of the target that every further file would meet as well.
bool RepeatsForEveryFile(const fs::filesystem_error& e, const std::string& source)
{
    const int code = e.code().value();
    const bool targetSide = e.path1().string() != source;
    return targetSide && (code == ENOSPC || code == EDQUOT || code == EROFS || code == EACCES || code == EPERM);
}

// Stops the walk: reported once by the run.
class BackupStopped : public AppError {
public:
    using AppError::AppError;
};

// Both databases into the backup's control directory.
DatabaseCopies CopyDatabases(const std::string& lib, const std::string& backup, const std::string& libStamp,
                             const std::string& ctrlStamp)
{
    const std::string control = ControlDir(backup);
    if (!DirExists(control)) fs::create_directory(control);
    DatabaseCopies copies;
    copies.lib = CopyDatabase(LibDatabaseFile(lib), LibDatabaseFile(backup), libStamp);
    copies.ctrl = CopyDatabase(CtrlDatabaseFile(lib), CtrlDatabaseFile(backup), ctrlStamp);
    return copies;
}

bool SameDirectory(const std::string& a, const std::string& b)
{
    if (a == b) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

} // namespace

LibBackupRun::LibBackupRun(AppContext& app, FreeSpaceSource freeSpace, Progress progress)
    : copyFile([this](const fs::path& s, const fs::path& d) { CopyFileAtomic(s, d, true, spares_.get()); }), app_(app),
      freeSpace_(std::move(freeSpace)), progress_(std::move(progress)), m_dLastBackup(ZeroDate()),
      lastBackupIso_(FormatIsoDate(ZeroDate()))
{
}

LibBackupRun::~LibBackupRun() = default;

std::string LibBackupRun::RecordFile() const { return app_.state.gsBackupLibPath + "/Libbackup.ini"; }

bool LibBackupRun::Refuse(const std::string& text)
{
    app_.prompter.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

bool LibBackupRun::Checks(std::int64_t nStatFileSize, std::string& previousDate)
{
    const AppState& s = app_.state;
    if (SameDirectory(s.gsActiveLibPath, s.gsBackupLibPath))
        return Refuse("Error: The backup library path can not be the same as the active library path !");
    if (DirExists(s.gsBackupLibPath)) {
        const std::string from = GetIniString(kSection, "FROM", RecordFile());
        if (!from.empty() && from != s.gsActiveLibPath)
            return Refuse("This backup directory holds a different document library !");
        previousDate = GetIniString(kSection, "DATE", RecordFile());
        libStamp_ = GetIniString(kSection, kLibStampKey, RecordFile());
        ctrlStamp_ = GetIniString(kSection, kCtrlStampKey, RecordFile());
        if (previousDate.empty()) {
            m_bCopyAll = true;
        } else {
            const auto when = ParseRecordDate(previousDate);
            if (!when) throw AppError(13, "Type mismatch: backup date '" + previousDate + "'");
            m_dLastBackup = *when;
            lastBackupIso_ = FormatIsoDate(*when);
            m_bCopyAll = false;
        }
    }
    if (!IsEnoughSpace(s.gsBackupLibPath, nStatFileSize, app_.prompter, freeSpace_))
        return Refuse("Not enough space - quit backup !");
    if (!CreateFullPath(s.gsBackupLibPath, app_.prompter)) return Refuse("Problem creating backup path !");
    return true;
}

bool LibBackupRun::LibBackup(std::int64_t nStatFileSize)
{
    try {
        std::string previousDate;
        if (!Checks(nStatFileSize, previousDate)) return false;
        totals_ = {};
        // Changes made while the walk runs, after their own visit, are
        // picked up next time: the record gets the start of the walk.
        const std::time_t walkStart = std::time(nullptr) - 1;
        auto top = app_.db.QueryExe("SELECT id FROM `level` WHERE `pid`= 0 ORDER BY `id` ");
        if (!top) throw AppError(91, "Object variable or With block variable not set");
        // The databases are copied while the walk runs: a snapshot of the
        // walk's start, as the record's date is.
        databases_ = std::async(std::launch::async, CopyDatabases, app_.state.gsActiveLibPath,
                                app_.state.gsBackupLibPath, libStamp_, ctrlStamp_);
        spares_ = std::make_unique<SpareFiles>(kSpareFiles);
        pool_ = std::make_unique<CopyPool>(copyFile, m_bCopyAll ? kCopyAllWorkers : kChangedWorkers, kCopyWindow);
        for (; !top->Eof(); top->MoveNext()) DrawersBackup((*top)["id"].Int());
        Collect(pool_->Drain());
        pool_.reset();
        spares_.reset();
        Finish(walkStart, previousDate);
        return true;
    } catch (...) {
        pool_.reset(); // copies under way end before the run reports
        spares_.reset();
        if (databases_.valid()) databases_.wait();
        ReportError(app_.prompter, "LibBackup.LibBackup(nStatFileSize)", nStatFileSize);
        return false;
    }
}

void LibBackupRun::Finish(std::time_t walkStart, const std::string& previousDate)
{
    const std::string& backup = app_.state.gsBackupLibPath;
    bool databasesCopied = CopyLibData(backup);
    if (!databasesCopied)
        app_.prompter.MsgBox("Copy database not successful. \r\n"
                             "Only image files have been backed up. Please run Backup again. ",
                             MsgButtons::Ok, MsgIcon::Exclamation);
    // The record may only claim what is on the disk.
    if (flush_) flush_->Finish();
    // A document that should have been copied and was not keeps the old
    // date, so the next run tries it again.
    const bool complete = databasesCopied && totals_.notCopied == 0 && !incomplete_;
    IniWriteKeys(RecordFile(), kSection,
                 {{"FROM", app_.state.gsActiveLibPath},
                  {"Date", complete ? FormatRecordDate(walkStart) : previousDate},
                  {"Total Scan", std::to_string(totals_.scan)},
                  {"Total Modified", std::to_string(totals_.modified)},
                  {"Total Copy", std::to_string(totals_.copy)},
                  {kLibStampKey, libStamp_},
                  {kCtrlStampKey, ctrlStamp_}});
}

std::string LibBackupRun::ReportText() const
{
    std::string text = "Total indexed documents scanned : " + std::to_string(totals_.scan) + "\r\n" +
                       "Total files created or modified since last backup : " + std::to_string(totals_.modified) +
                       "\r\n" + "Total files actually copied : " + std::to_string(totals_.copy);
    if (totals_.notCopied > 0)
        text += "\r\nFiles not copied (tried again by the next backup) : " + std::to_string(totals_.notCopied);
    return text;
}

bool LibBackupRun::DrawersBackup(std::int64_t sCatID)
{
    try {
        ReadStretch stretch(app_.db);
        auto drawers = app_.db.QueryExe("SELECT id FROM `level` WHERE `type`='D' AND `pid`=? ORDER BY id ", "R", {sCatID});
        if (!drawers) throw AppError(91, "Object variable or With block variable not set");
        for (; !drawers->Eof(); drawers->MoveNext()) {
            auto folders = app_.db.QueryExe("SELECT id FROM `level` WHERE `type`='F' AND `pid`=? ORDER BY id ", "R",
                                            {(*drawers)["id"].Int()});
            if (!folders) throw AppError(91, "Object variable or With block variable not set");
            for (; !folders->Eof(); folders->MoveNext()) BackupFolder((*folders)["id"].Int(), stretch);
        }
        return true;
    } catch (const BackupStopped&) {
        throw;
    } catch (...) {
        incomplete_ = true;
        ReportError(app_.prompter, "LibBackup.DrawerBackup(sCatID)", std::to_string(sCatID));
        return false;
    }
}

void LibBackupRun::Wrote()
{
    if (!flush_) flush_ = std::make_unique<FileSystemFlush>(app_.state.gsBackupLibPath);
}

void LibBackupRun::Scanned(std::int64_t count)
{
    totals_.scan += count;
    if (progress_) progress_(totals_.scan);
}

void LibBackupRun::BackupFolder(std::int64_t folderId, ReadStretch& stretch)
{
    if (m_bCopyAll) {
        auto docs = app_.db.QueryExe(kAllDocuments, "R", {folderId});
        if (!docs) throw AppError(91, "Object variable or With block variable not set");
        for (; !docs->Eof(); docs->MoveNext()) {
            Scanned(1);
            BackupDocument(*docs);
        }
        return;
    }
    stretch.Begin();
    auto docs = app_.db.QueryExe(kDueDocuments, "R", {folderId, lastBackupIso_});
    if (!docs) throw AppError(91, "Object variable or With block variable not set");
    if (!(*docs)["id"].IsNull() || stretch.Expired()) stretch.End();
    Scanned((*docs)["total"].Int());
    for (; !docs->Eof(); docs->MoveNext())
        if (!(*docs)["id"].IsNull()) BackupDocument(*docs);
}

// One document of the walk; in incremental mode its row has passed the
// change test already and its file time decides.
void LibBackupRun::BackupDocument(const ResultSet& row)
{
    const std::string location = row["location"].Text(), filename = row["filename"].Text();
    const AppState& s = app_.state;
    if (!IsSafeDocumentPath(location, filename)) {
        ++totals_.notCopied;
        app_.prompter.MsgBox("Document " + row["id"].Text() + " names a file outside the library and is not backed up: " +
                                 location + "/" + filename,
                             MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    const std::string source = s.gsActiveLibPath + "/" + location + "/" + filename;
    const std::string target = s.gsBackupLibPath + "/" + location;
    if (!m_bCopyAll) {
        struct stat st {};
        if (::stat(source.c_str(), &st) != 0) {
            ++totals_.notCopied; // its file vanished: try again next time
            return;
        }
        if (st.st_mtime <= m_dLastBackup) return;
        ++totals_.modified;
    }
    if (!CopyImage(source, target, filename) && (!m_bCopyAll || FileExists(source))) ++totals_.notCopied;
}

// Hands the copy to the pool; false when the file is missing or its target
// directory cannot be made. The copy itself is counted by Collect.
bool LibBackupRun::CopyImage(const std::string& sOrifile, const std::string& sTarget, const std::string& sTargetName)
{
    try {
        if (!FileExists(sOrifile)) return false;
        if (sTarget != lastTargetDir_) {
            if (!DirExists(sTarget)) fs::create_directories(sTarget);
            lastTargetDir_ = sTarget;
        }
        Collect(pool_->Submit({sOrifile, sTarget + "/" + sTargetName}));
        return true;
    } catch (const BackupStopped&) {
        throw;
    } catch (const fs::filesystem_error& e) {
        if (RepeatsForEveryFile(e, sOrifile)) throw BackupStopped(e.code().value(), e.what());
        ReportCopyError(sOrifile, sTarget, sTargetName);
        return false;
    } catch (...) {
        ReportCopyError(sOrifile, sTarget, sTargetName);
        return false;
    }
}

void LibBackupRun::ReportCopyError(const std::string& sOrifile, const std::string& sTarget, const std::string& sTargetName)
{
    ReportError(app_.prompter, "Libbackup.CopyImage(sOrifile,sTarget,sTargetName)",
                std::vector<ReportValue>{sOrifile, sTarget, sTargetName});
}

// Counts and reports finished copies; a failure that every further file
// would meet as well stops the run.
void LibBackupRun::Collect(const std::vector<CopyPool::Outcome>& outcomes)
{
    for (const CopyPool::Outcome& o : outcomes) {
        if (!o.error) {
            ++totals_.copy;
            Wrote();
            continue;
        }
        const fs::path target(o.job.target);
        try {
            std::rethrow_exception(o.error);
        } catch (const fs::filesystem_error& e) {
            if (RepeatsForEveryFile(e, o.job.source)) throw BackupStopped(e.code().value(), e.what());
            ReportCopyError(o.job.source, target.parent_path().string(), target.filename().string());
        } catch (...) {
            ReportCopyError(o.job.source, target.parent_path().string(), target.filename().string());
        }
        ++totals_.notCopied;
    }
}

bool LibBackupRun::CopyLibData(const std::string& sTarget)
{
    try {
        app_.db.CloseLibConnection();
        app_.db.CloseCtrlConnection();
        if (!DirExists(sTarget)) return false;
        // Started with the walk; copied here when called on its own.
        const DatabaseCopies copies =
            databases_.valid() ? databases_.get()
                               : CopyDatabases(app_.state.gsActiveLibPath, app_.state.gsBackupLibPath, libStamp_, ctrlStamp_);
        libStamp_ = copies.lib.stamp;
        ctrlStamp_ = copies.ctrl.stamp;
        if (copies.lib.copied || copies.ctrl.copied) Wrote();
        return true;
    } catch (...) {
        ReportError(app_.prompter, "LibBackup.CopyLibData(sTarget)", sTarget);
        return false;
    }
}
