#include "core/backup/LibBackupRun.h"
#include "core/common/Text.h"

#include "core/app/AppContext.h"
#include "core/backup/BackupDates.h"
#include "core/backup/BackupLedger.h"
#include "core/backup/BackupLock.h"
#include "core/backup/BackupStart.h"
#include "core/backup/DatabaseCopy.h"
#include "core/backup/DocumentDirs.h"
#include "core/backup/DueFolders.h"
#include "core/backup/FileSystemFlush.h"
#include "core/base/MyErrHandler.h"
#include "core/common/AtomicFile.h"
#include "core/common/Commons.h"
#include "core/common/IniFile.h"
#include "core/common/ReadAhead.h"
#include "core/common/Sha256.h"
#include "core/common/SpareFiles.h"
#include "core/library/BackupPlace.h"
#include "core/library/BackupReach.h"
#include "core/library/DocumentPath.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace fs = std::filesystem;

namespace {

constexpr const char* kLibStampKey = "LIB.MDE Copy";
constexpr const char* kCtrlStampKey = "CTRL.MDE Copy";

// Copies under way at once, and copies handed over but not yet finished.
// Copying everything is bound by the disk's writing, where more copies at
// once only scatter the new files; copying what changed is bound by
// waiting for each changed file to be read from the disk.
constexpr unsigned kCopyAllWorkers = 4;
constexpr unsigned kChangedWorkers = 8;
constexpr std::size_t kCopyWindow = 64;
// Old copies kept to be written over by the next ones, in this run or the
// next. A copy takes its name only after a flush, so the old copy it frees
// comes back a batch later, and those left at the end would each wait for
// the disk's discard if deleted: they wait for the next run instead. A
// copy fits only a spare of no more blocks, so a run replacing 2,000 files
// keeps some 1,700 of their old copies; fewer allowed, the rest are
// deleted, and the run waits for the disk at its end.
constexpr std::size_t kSpareFiles = 4096;
constexpr std::int64_t kSpareBytes = std::int64_t{64} << 20;
// The changed files read ahead, at most: where they are not in the cache,
// an incremental run's copies would wait for the disk to read each.
constexpr std::int64_t kReadAheadBytes = std::int64_t{128} << 20;
// Rows out of reach named in the one message about them.
constexpr std::size_t kUnsafeNamed = 5;

// Owed documents named in the report.
constexpr std::int64_t kOwedNamed = 5;
// How often the copies installed by the last flushes are entered.
constexpr auto kEntering = std::chrono::milliseconds(2);

constexpr const char* kAllDocuments =
    "SELECT id, `filename`, `location` FROM `images` WHERE `folder-id`=? ORDER BY id ";
// Errors of writing the backup that every further file would meet as well;
// told by the operation that failed, never by the path it names.
bool RepeatsForEveryFile(const TargetError& e)
{
    const int code = e.code().value();
    return code == ENOSPC || code == EDQUOT || code == EROFS || code == EACCES || code == EPERM || code == EIO;
}

// Stops the walk: reported once by the run.
class BackupStopped : public AppError {
public:
    using AppError::AppError;
};

// The manifest's writes: a manifest that cannot be written stops the run,
// as a full or failing disk under the copies does.
template <typename Write>
void ToManifest(Write write)
{
    try {
        write();
    } catch (const std::exception& e) {
        throw BackupStopped(75, std::string("cannot write the backup manifest: ") + e.what());
    }
}

// Both databases into the backup's control directory.
DatabaseCopies CopyDatabases(const std::string& lib, const std::string& backup, const std::string& libStamp,
                             const std::string& ctrlStamp, const std::function<void()>& beforeWrite)
{
    if (!MakeDirectoryBeneath(backup, "00000000"))
        throw TargetError("the backup's control directory is a link", ControlDir(backup),
                          std::make_error_code(std::errc::too_many_symbolic_link_levels));
    DatabaseCopies copies;
    copies.lib = CopyDatabase(LibDatabaseFile(lib), LibDatabaseFile(backup), libStamp, beforeWrite);
    copies.ctrl = CopyDatabase(CtrlDatabaseFile(lib), CtrlDatabaseFile(backup), ctrlStamp, beforeWrite);
    return copies;
}

// Why a copy failed, in the words of the failure.
std::string FailureReason(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::system_error& e) {
        return "copy failed: " + e.code().message();
    } catch (const std::exception& e) {
        return std::string("copy failed: ") + e.what();
    } catch (...) {
        return "copy failed";
    }
}

} // namespace

LibBackupRun::LibBackupRun(AppContext& app, FreeSpaceSource freeSpace, Progress progress)
    : copyFile([this](const fs::path& s, const fs::path& d) { return WriteDocument(s, d); }), app_(app),
      freeSpace_(std::move(freeSpace)), progress_(std::move(progress)), m_dLastBackup(ZeroDate()),
      lastBackupIso_(FormatIsoDate(ZeroDate()))
{
}

// The members end in the order the run needs: copies, installs, spares.
LibBackupRun::~LibBackupRun() = default;

PendingCopy LibBackupRun::WriteDocument(const fs::path& source, const fs::path& target)
{
    return WriteCopy(source, target, *spares_);
}

std::string LibBackupRun::RecordFile() const { return BackupRecordFile(app_.state.gsBackupLibPath); }

bool LibBackupRun::Refuse(const std::string& text)
{
    refusal_ = text;
    app_.prompter.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

// Held from before the record is read until after it is written.
bool LibBackupRun::TakeLock()
{
    if (lock_) return true;
    lock_ = BackupLock::Take(app_.state.gsBackupLibPath);
    return lock_ ? true : Refuse("Another backup is running into this backup directory - quit backup !");
}

bool LibBackupRun::Checks(std::string& previousDate)
{
    const AppState& s = app_.state;
    if (const std::string refused = BackupPlaceText(PlaceOfBackup(s.gsActiveLibPath, s.gsBackupLibPath));
        !refused.empty())
        return Refuse("Error: " + refused);
    if (!DirExists(s.gsBackupLibPath)) {
        if (!MayCreateBackupPath()) return false;
    } else {
        if (!TakeLock()) return false;
        const std::string from = GetIniString(kRecordSection, "FROM", RecordFile());
        if (!from.empty() && from != s.gsActiveLibPath)
            return Refuse("This backup directory holds a different document library !");
        previousDate = GetIniString(kRecordSection, "DATE", RecordFile());
        libStamp_ = GetIniString(kRecordSection, kLibStampKey, RecordFile());
        ctrlStamp_ = GetIniString(kRecordSection, kCtrlStampKey, RecordFile());
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
    if (!IsEnoughSpace(s.gsBackupLibPath, KilobytesDue(), app_.prompter, freeSpace_))
        return Refuse("Not enough space - quit backup !");
    if (!CreateFullPath(s.gsBackupLibPath, app_.prompter)) return Refuse("Problem creating backup path !");
    return TakeLock();
}

// A missing backup path is most often a drive that is not mounted: made
// anew, it would take a full copy on whatever disk holds the mount point.
bool LibBackupRun::MayCreateBackupPath()
{
    const std::string missing = kBackupPathMissing + app_.state.gsBackupLibPath + " - quit backup !";
    switch (missingPath) {
    case MissingBackupPath::Create:
        return true;
    case MissingBackupPath::Refuse:
        return Refuse(missing);
    case MissingBackupPath::Ask:
        break;
    }
    if (app_.prompter.MsgBox(kCreateBackupPathQuestion, MsgButtons::YesNo, MsgIcon::Exclamation) == MsgAnswer::Yes)
        return true;
    refusal_ = missing; // the person said so; no box to repeat it
    return false;
}

// Room for what the run will write, read before it writes anything: the
// walk finds the folders it reaches, then the files due in them are read.
// The documents each folder holds are counted meanwhile.
std::int64_t LibBackupRun::KilobytesDue()
{
    const AppState& s = app_.state;
    if (!m_bCopyAll) {
        counting_ =
            std::async(std::launch::async, ReadFolderCounts, LibDatabaseFile(s.gsActiveLibPath), dueRanges.folders);
        readAhead_ = std::make_unique<ReadAhead>(kReadAheadBytes);
    }
    ResultSet top = Required(app_.db.QueryExe(kBackupTopNodesSql));
    for (; !top.Eof(); top.MoveNext()) DrawersBackup(top["id"].Int());
    due_ = ReadDueSet(app_.db, {s.gsActiveLibPath, s.gsBackupLibPath, &reached_, m_bCopyAll, lastBackupIso_,
                                m_dLastBackup, dueRanges, readAhead_.get()});
    return KilobytesOf(due_.bytes);
}

// What the walk needs before it writes: leftovers of a run that did not
// end are gone, and the flush sees every write of this run.
void LibBackupRun::Start()
{
    const std::string& backup = app_.state.gsBackupLibPath;
    if (lock_->LastRunUnfinished()) RemoveLeftovers(backup);
    begun_ = false;
    ledger_ = std::make_unique<BackupLedger>(backup);
    dirs_ = std::make_unique<DocumentDirs>(app_.state.gsActiveLibPath, backup);
    spares_ = std::make_unique<SpareFiles>(kSpareFiles, kSpareBytes);
    unadopted_ = lock_->KeptSpares();
    flush_ =
        std::make_unique<FileSystemFlush>(backup, [this](const PendingCopy& copy) { InstallCopy(copy, *spares_); });
    // A storage directory may be another file system's mount point.
    dirs_->targetReady = [this](const std::string& dir) { flush_->Cover(dir); };
    pool_ = std::make_unique<CopyPool>(copyFile, m_bCopyAll ? kCopyAllWorkers : kChangedWorkers, kCopyWindow);
}

// The lock's mark that a run is under way reaches the disk before the
// run's first work file, from whichever thread writes it: a run that
// copies nothing spends no flush on it, and leaves the last run's mark and
// spare list standing.
void LibBackupRun::BeginWriting()
{
    const std::lock_guard guard(beginning_);
    if (begun_) return;
    lock_->Begin();
    begun_ = true;
}

// The database copies are written to the backup's control directory,
// which may be another file system's mount point.
void LibBackupRun::BeforeDatabaseWrites()
{
    BeginWriting();
    flush_->Cover(ControlDir(app_.state.gsBackupLibPath));
}

// The spares an earlier run kept, taken up with the first copy: a run that
// copies nothing leaves them to the next. Those not taken up when a target
// directory fails stay listed for the next run.
void LibBackupRun::AdoptSpares()
{
    while (!unadopted_.empty()) {
        const fs::path path(unadopted_.back().path);
        if (IsSafeDocumentPath(path.parent_path().string(), path.filename().string()) &&
            dirs_->TargetReady(path.parent_path().string()))
            spares_->Adopt(app_.state.gsBackupLibPath + "/" + path.string());
        unadopted_.pop_back();
    }
}

// Ends whatever is under way, in order: copies, database copies, installs,
// spares. With `kept`, the spares left are kept for the next run and named
// there, else deleted. False when a spare could not be deleted.
bool LibBackupRun::End(std::vector<BackupLock::Spare>* kept)
{
    readAhead_.reset();
    // Copies written but never handed to the flush leave no work file.
    if (pool_)
        for (const CopyPool::Outcome& o : pool_->Stop())
            if (!o.error) DiscardCopy(o.written);
    pool_.reset();
    // The database copies may still ask the flush to cover their directory.
    if (databases_.valid()) databases_.wait();
    flush_.reset();
    bool clean = true;
    if (spares_) {
        std::vector<SpareFiles::Taken> left;
        clean = kept ? spares_->Release(left) : spares_->Finish();
        for (const SpareFiles::Taken& s : left)
            kept->push_back({s.path.lexically_relative(app_.state.gsBackupLibPath).string(), s.size});
        if (kept) kept->insert(kept->end(), unadopted_.begin(), unadopted_.end());
    }
    spares_.reset();
    dirs_.reset();
    // After a failure, what was installed and owed is kept all the same.
    if (ledger_) {
        try {
            ledger_->Commit();
        } catch (...) {
            clean = false;
        }
    }
    ledger_.reset();
    return clean;
}

bool LibBackupRun::LibBackup(std::int64_t nStatFileSize)
{
    return Trapped(
        app_.prompter, "LibBackup.LibBackup(nStatFileSize)",
        [&] {
            // Changes made while the run reads, after their own visit, are
            // picked up next time: the record gets the time before it reads.
            const std::time_t walkStart = std::time(nullptr) - 1;
            std::string previousDate;
            totals_ = {};
            reached_.clear();
            copying_ = false;
            if (!Checks(previousDate)) {
                readAhead_.reset();
                lock_.reset();
                return false;
            }
            Start();
            // The databases are copied while the walk runs: a snapshot of the
            // walk's start, as the record's date is.
            databases_ =
                std::async(std::launch::async, CopyDatabases, app_.state.gsActiveLibPath, app_.state.gsBackupLibPath,
                           libStamp_, ctrlStamp_, [this] { BeforeDatabaseWrites(); });
            PayOwed();
            if (m_bCopyAll)
                CopyAllReached();
            else
                CopyChanged();
            Collect(pool_->Drain());
            pool_.reset();
            const bool recorded = Finish(walkStart, previousDate);
            // What could not be deleted, the next run deletes.
            std::vector<BackupLock::Spare> kept;
            if (End(&kept)) lock_->End(kept);
            lock_.reset();
            return recorded;
        },
        BeforeReport{[&] {
            End(); // copies under way end before the run reports
            lock_.reset();
        }},
        nStatFileSize);
}

// The record may only claim what is on the disk: it is written after the
// final flush, and a run whose flush failed never gets that far.
bool LibBackupRun::Finish(std::time_t walkStart, const std::string& previousDate)
{
    const std::string& backup = app_.state.gsBackupLibPath;
    bool databasesCopied = CopyLibData(backup);
    if (!databasesCopied)
        app_.prompter.MsgBox("Copy database not successful. \r\n"
                             "Only image files have been backed up. Please run Backup again. ",
                             MsgButtons::Ok, MsgIcon::Exclamation);
    if (wrote_) FinishFlushing();
    CollectInstalled();
    ReportUnsafe();
    // A document that should have been copied and was not is owed, and the
    // next run copies it first whatever the date: the date may advance once
    // the manifest saying so is on the disk.
    if (databasesCopied) RecordDatabases();
    ledger_->Commit();
    totals_.owed = ledger_->OwedCount();
    owedNamed_ = ledger_->Manifest().FirstOwed(kOwedNamed);
    const bool complete = databasesCopied && !incomplete_;
    complete_ = complete && totals_.notCopied == 0 && unsafe_ == 0 && totals_.owed == 0;
    return WriteRecord(complete ? FormatRecordDate(walkStart) : previousDate);
}

// The last flushes run on a thread of their own; the copies installed
// meanwhile are entered in the manifest while they run, to be committed
// once the last flush is done.
void LibBackupRun::FinishFlushing()
{
    auto finishing = std::async(std::launch::async, [this] { flush_->Finish(); });
    while (finishing.wait_for(kEntering) != std::future_status::ready) CollectInstalled();
    finishing.get();
}

bool LibBackupRun::WriteRecord(const std::string& date)
{
    std::string error;
    if (IniWriteKeys(RecordFile(), kRecordSection,
                     {{"FROM", app_.state.gsActiveLibPath},
                      {"Date", date},
                      {"Total Scan", std::to_string(totals_.scan)},
                      {"Total Modified", std::to_string(totals_.modified)},
                      {"Total Copy", std::to_string(totals_.copy)},
                      {kLibStampKey, libStamp_},
                      {kCtrlStampKey, ctrlStamp_}},
                     &error))
        return true;
    return Refuse("The backup record could not be written: " + error + " (" + RecordFile() + ")");
}

std::string LibBackupRun::ReportText() const
{
    std::string text = "Total indexed documents scanned : " + std::to_string(totals_.scan) + "\r\n" +
                       "Total files created or modified since last backup : " + std::to_string(totals_.modified) +
                       "\r\n" + "Total files actually copied : " + std::to_string(totals_.copy);
    if (totals_.owed == 0) return text;
    text += "\r\nDocuments owed (copied first by the next backup) : " + std::to_string(totals_.owed);
    for (const OwedDocument& d : owedNamed_)
        text += "\r\n" + std::to_string(d.id) + ": " + d.path + " (" + d.reason + ")";
    if (totals_.owed > kOwedNamed) text += "\r\n...";
    return text;
}

bool LibBackupRun::DrawersBackup(std::int64_t sCatID)
{
    // A stop is the run's to report.
    return Trapped<BackupStopped>(
        app_.prompter, "LibBackup.DrawerBackup(sCatID)",
        [&] {
            ResultSet drawers = Required(app_.db.QueryExe(kBackupDrawersSql, "R", {sCatID}));
            for (; !drawers.Eof(); drawers.MoveNext()) {
                ResultSet folders = Required(app_.db.QueryExe(kBackupFoldersSql, "R", {drawers["id"].Int()}));
                for (; !folders.Eof(); folders.MoveNext()) BackupFolder(folders["id"].Int());
            }
        },
        BeforeReport{[&] { incomplete_ = true; }}, std::to_string(sCatID));
}

void LibBackupRun::Scanned(std::int64_t count)
{
    totals_.scan += count;
    if (progress_) progress_(totals_.scan);
}

// Copying everything walks the tree again and copies each folder's
// documents; before that, and in an incremental run, the walk only notes
// the folders it reaches.
void LibBackupRun::CopyAllReached()
{
    copying_ = true;
    ResultSet top = Required(app_.db.QueryExe(kBackupTopNodesSql));
    for (; !top.Eof(); top.MoveNext()) DrawersBackup(top["id"].Int());
}

void LibBackupRun::BackupFolder(std::int64_t folderId)
{
    if (!copying_) {
        reached_.insert(folderId);
        return;
    }
    ResultSet docs = Required(app_.db.QueryExe(kAllDocuments, "R", {folderId}));
    for (; !docs.Eof(); docs.MoveNext()) {
        Scanned(1);
        BackupDocument(DocumentRowOf(docs));
    }
}

// The changed documents of the folders the walk reached, as the space
// check found them; past those it held, read again range by range.
void LibBackupRun::CopyChanged()
{
    for (const DueDocument& due : due_.held) BackupDocument(due.row, false, &due.source);
    due_.held = {};
    readAhead_.reset();
    CountReached();
    if (!due_.resumeAt) return;
    ForEachDueRange(app_.db, {lastBackupIso_, *due_.resumeAt}, dueRanges.ids, [&](const std::vector<DueRow>& rows) {
        for (const DueRow& due : rows)
            if (reached_.contains(due.folder)) BackupDocument(due.row);
    });
}

// The documents of the folders the walk reached, once the counting is done.
void LibBackupRun::CountReached()
{
    if (!counting_.valid()) return;
    const auto counts = counting_.get();
    std::int64_t scanned = 0;
    for (const std::int64_t folder : reached_)
        if (const auto it = counts.find(folder); it != counts.end()) scanned += it->second;
    Scanned(scanned);
}

// One document of the walk; in incremental mode its row has passed the
// change test already and its file time decides. A row without a file name
// has a missing file; one whose file is out of reach can never be copied,
// so it is reported but does not hold the date back.
void LibBackupRun::BackupDocument(const DocumentRow& row, bool owed, const SourceState* known)
{
    const std::int64_t id = row.id;
    if (!owed && ledger_->WasOwed(id)) return; // copied first, before the walk
    const std::string &location = row.location, &filename = row.filename;
    const std::string path = row.Path();
    const AppState& s = app_.state;
    // A row without a file name has a missing file. Copying everything
    // skips missing files silently; copying what changed owes them.
    const bool skipMissing = m_bCopyAll && !owed;
    if (filename.empty()) return skipMissing ? void() : Owe(id, path, "file missing: the row names no file");
    if (!IsSafeDocumentPath(location, filename) || !dirs_->SourceReachable(location)) return Unsafe(row);
    const std::string source = s.gsActiveLibPath + "/" + path;
    const SourceState st = known ? *known : ReadSourceState(source);
    if (st.error != 0)
        return skipMissing ? void() : Owe(id, path, std::string("file missing: ") + std::strerror(st.error));
    if (st.link) return Unsafe(row);
    if (!m_bCopyAll && !owed) {
        if (st.mtime <= m_dLastBackup) return;
        ++totals_.modified;
    }
    const std::string target = s.gsBackupLibPath + "/" + location;
    bool reachable = false;
    try {
        reachable = dirs_->TargetReady(location);
    } catch (...) {
        Owe(id, path, FailureReason(std::current_exception()));
        CopyFailed(std::current_exception(), source, target + "/" + filename);
        return;
    }
    if (!reachable) return Unsafe(row);
    CopyImage(source, target, filename, id);
}

// The owed documents of earlier runs, copied before the walk whatever
// their dates; a row gone since owes nothing.
void LibBackupRun::PayOwed()
{
    ledger_->ForEachOwedAtStart([&](const OwedDocument& d) {
        ResultSet row = Required(app_.db.QueryExe(kOneDocumentSql, "R", {d.id}));
        if (row.Eof())
            ToManifest([&] { ledger_->Forget(d.id); });
        else
            BackupDocument(DocumentRowOf(row), true);
    });
}

void LibBackupRun::Owe(std::int64_t document, const std::string& path, const std::string& reason)
{
    ++totals_.notCopied;
    ToManifest([&] { ledger_->Owe(document, path, reason); });
}

void LibBackupRun::Unsafe(const DocumentRow& row)
{
    Owe(row.id, row.Path(), "unsafe path");
    if (++unsafe_ <= static_cast<std::int64_t>(kUnsafeNamed)) unsafeNames_.push_back(row.Named());
}

void LibBackupRun::ReportUnsafe()
{
    if (unsafe_ == 0) return;
    const bool one = unsafe_ == 1;
    std::string text = CountOf(unsafe_, "document") + (one ? " names" : " name") +
                       " a file outside the library or in its control directory, or reached through a link, and " +
                       (one ? "is" : "are") + " not backed up:";
    for (const std::string& name : unsafeNames_) text += "\r\n" + name;
    if (unsafe_ > static_cast<std::int64_t>(kUnsafeNamed)) text += "\r\n...";
    app_.prompter.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical);
}

// Hands the copy to the pool, whose target directory exists; false when
// that failed. The copy itself is counted once it is installed.
bool LibBackupRun::CopyImage(const std::string& sOrifile, const std::string& sTarget, const std::string& sTargetName,
                             std::int64_t document)
{
    const std::string target = sTarget + "/" + sTargetName;
    try {
        BeginWriting();
        if (!unadopted_.empty()) AdoptSpares();
        Collect(pool_->Submit({sOrifile, target, document}));
        CollectInstalled();
        return true;
    } catch (const BackupStopped&) {
        throw;
    } catch (...) {
        Owe(document, fs::path(target).lexically_relative(app_.state.gsBackupLibPath).generic_string(),
            FailureReason(std::current_exception()));
        CopyFailed(std::current_exception(), sOrifile, target);
        return false;
    }
}

// A failure that every further file would meet as well stops the run;
// any other is reported against the document.
void LibBackupRun::CopyFailed(const std::exception_ptr& error, const std::string& source, const std::string& target)
{
    try {
        std::rethrow_exception(error);
    } catch (const TargetError& e) {
        if (RepeatsForEveryFile(e)) throw BackupStopped(e.code().value(), e.what());
    } catch (...) {
    }
    const fs::path t(target);
    ReportError(app_.prompter, "Libbackup.CopyImage(sOrifile,sTarget,sTargetName)",
                std::vector<ReportValue>{source, t.parent_path().string(), t.filename().string()});
}

// Written copies go to the flush, to be installed once on the disk.
// Every outcome is taken, even after one that stops the run, so no work
// file is left behind.
void LibBackupRun::Collect(const std::vector<CopyPool::Outcome>& outcomes)
{
    std::exception_ptr stop;
    for (const CopyPool::Outcome& o : outcomes) {
        if (!o.error) {
            wrote_ = true;
            PendingCopy written = o.written;
            written.tag = o.job.document;
            flush_->Add(std::move(written));
            continue;
        }
        try {
            Owe(o.job.document, fs::path(o.job.target).lexically_relative(app_.state.gsBackupLibPath).generic_string(),
                FailureReason(o.error));
            CopyFailed(o.error, o.job.source, o.job.target);
        } catch (const BackupStopped&) {
            if (!stop) stop = std::current_exception();
        }
    }
    if (stop) std::rethrow_exception(stop);
}

// Counts the copies that took their names; a failed flush stops the run.
void LibBackupRun::CollectInstalled()
{
    if (const int err = flush_->Failure())
        throw BackupStopped(err, std::string("cannot flush backup: ") + std::strerror(err));
    for (const FileSystemFlush::Outcome& o : flush_->Take()) {
        if (!o.error) {
            ++totals_.copy;
            ToManifest([&] { ledger_->Written(o.copy, o.copy.tag); });
            continue;
        }
        Owe(o.copy.tag, o.copy.target.lexically_relative(app_.state.gsBackupLibPath).generic_string(),
            FailureReason(o.error));
        CopyFailed(o.error, o.copy.target.string(), o.copy.target.string());
    }
}

bool LibBackupRun::CopyLibData(const std::string& sTarget)
{
    return Trapped(
        app_.prompter, "LibBackup.CopyLibData(sTarget)",
        [&] {
            app_.db.CloseLibConnection();
            app_.db.CloseCtrlConnection();
            if (!DirExists(sTarget)) return false;
            // Started with the walk; copied here when called on its own.
            const DatabaseCopies copies =
                databases_.valid() ? databases_.get()
                                   : CopyDatabases(app_.state.gsActiveLibPath, app_.state.gsBackupLibPath, libStamp_,
                                                   ctrlStamp_, [this] { BeforeDatabaseWrites(); });
            libStamp_ = copies.lib.stamp;
            ctrlStamp_ = copies.ctrl.stamp;
            databaseCopies_ = copies;
            if (copies.lib.copied || copies.ctrl.copied) wrote_ = true;
            return true;
        },
        sTarget);
}

// The database copies made now; one made by a run before the manifest
// existed is entered once, read back.
void LibBackupRun::RecordDatabases()
{
    const std::string& backup = app_.state.gsBackupLibPath;
    const std::pair<const DatabaseCopyResult*, std::string> copies[] = {{&databaseCopies_.lib, "00000000/LIB.MDE"},
                                                                        {&databaseCopies_.ctrl, "00000000/CTRL.MDE"}};
    for (const auto& [copy, path] : copies) {
        if (copy->copied) {
            ledger_->Database(path, copy->content);
        } else if (!ledger_->HasEntry(path)) {
            struct stat st {};
            if (::stat((backup + "/" + path).c_str(), &st) != 0)
                throw TargetError("cannot read database copy", backup + "/" + path,
                                  std::error_code(errno, std::generic_category()));
            const FileDigest digest = DigestOfFile(backup + "/" + path);
            ledger_->Database(path, {digest.size,
                                     static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                                     digest.sha256});
        }
    }
}
