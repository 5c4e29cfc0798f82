#include "core/backup/LibraryRestore.h"

#include "core/backup/BackupLock.h"
#include "core/backup/BackupManifest.h"
#include "core/backup/DirectoryMoves.h"
#include "core/backup/DocumentDirs.h"
#include "core/backup/DocumentRows.h"
#include "core/backup/FileSystemFlush.h"
#include "core/backup/RestoreCheck.h"
#include "core/backup/RestoreMismatches.h"
#include "core/backup/RestoreTarget.h"
#include "core/base/MyErrHandler.h"
#include "core/base/Prompter.h"
#include "core/common/Commons.h"
#include "core/common/SpareFiles.h"
#include "core/data/Database.h"
#include "core/library/DocumentPath.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace {

// As the backup copies everything: bound by the disk's writing.
constexpr unsigned kWorkers = 4;
constexpr std::size_t kWindow = 64;

// Moved files are only hashed, from memory: bound by the processors, of
// which the walk takes one; more helpers only take turns with it.
unsigned MoveWorkers()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 2 ? cores - 1 : 1;
}

bool SameTime(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A file takes its name only whole, so one with the size and time of its
// source was restored by a run that was stopped.
bool AlreadyThere(const std::string& target, const struct stat& source)
{
    struct stat st {};
    return ::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == source.st_size &&
           SameTime(st.st_mtim, source.st_mtim);
}

} // namespace

LibraryRestore::LibraryRestore(Prompter& prompter, std::string backup, std::string dir, Files files)
    : prompter_(prompter), backup_(std::move(backup)), dir_(std::move(dir)), files_(files)
{
    if (files_ == Files::Moved)
        copyFile = ReadForMove;
    else
        copyFile = [this](const fs::path& s, const fs::path& t) { return WriteCopy(s, t, *spares_); };
}

// The members end in the order the restore needs: copies, installs, spares.
LibraryRestore::~LibraryRestore() { End(); }

std::string LibraryRestore::ReportText() const { return RestoreReportText(totals_, backup_, dir_); }

bool LibraryRestore::Refuse(const std::string& text)
{
    prompter_.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

bool LibraryRestore::Run(const std::string& activeLib, bool dirLocked)
{
    // Told before anything is made; checked again under the lock.
    if (const std::string refusal = Refusal(activeLib); !refusal.empty()) return Refuse(refusal);
    return Trapped(
        prompter_, "LibraryRestore.Run(backup,dir)",
        [&] {
            // Held to the end: no backup run changes what is read, and no
            // other restore writes where this one does.
            const auto lock = BackupReadLock::Take(backup_);
            if (!lock) return Refuse(kRestoreBackupBusy);
            std::unique_ptr<RestoreLock> held;
            if (!dirLocked && !(held = RestoreLock::Take(dir_))) return Refuse(kRestoreRunning + dir_);
            if (const std::string refusal = Refusal(activeLib); !refusal.empty()) return Refuse(refusal);
            Start();
            CopyFiles();
            End();
            if (!Checked()) return false;
            manifest_.reset(); // nothing of the backup stays open
            if (onChecked) onChecked();
            UnmarkRestore(dir_);
            return true;
        },
        BeforeReport{[&] { End(); }}, std::vector<ReportValue>{backup_, dir_});
}

// Leftovers of a stopped run go first; a new restore is marked before
// anything else is written.
void LibraryRestore::Start()
{
    if (IsOwnRestore(dir_, backup_))
        RemoveLeftovers(dir_);
    else
        MarkRestore(dir_, backup_);
    mismatches_ = std::make_unique<RestoreMismatches>(dir_);
    manifest_ = BackupManifest::OpenForReading(backup_);
    dirs_ = std::make_unique<DocumentDirs>(backup_, dir_, DocumentDirs::StorageLinks::Refused);
    spares_ = std::make_unique<SpareFiles>(0, 0);
    flush_ = std::make_unique<FileSystemFlush>(dir_, [this](const PendingCopy& c) { InstallCopy(c, *spares_); });
    pool_ = std::make_unique<CopyPool>(copyFile, files_ == Files::Moved ? MoveWorkers() : kWorkers, kWindow);
}

// Copies written but never handed to the flush leave no work file; nor do
// those the flush did not install.
void LibraryRestore::End()
{
    if (pool_)
        for (const CopyPool::Outcome& o : pool_->Stop())
            if (!o.error) DiscardCopy(o.written);
    pool_.reset();
    flush_.reset();
    if (spares_) spares_->Finish();
    spares_.reset();
    if (mismatches_) totals_.mismatches = mismatches_->Listed();
}

// Moved files go in after the rows were read: the database copy read goes
// last, and one moved by a stopped run is read in the library.
void LibraryRestore::CopyFiles()
{
    const bool moved = files_ == Files::Moved;
    if (!moved) CopyDatabases();
    {
        Connection lib;
        lib.Open(LibDatabaseFile(DatabasesMoved() ? dir_ : backup_), Connection::Mode::ReadOnly);
        if (moved) moves_ = std::make_unique<DirectoryMoves>(backup_, dir_);
        ForEachDocumentRow(lib, [&](const DocumentRow& row) {
            if (!IsSafeDocumentPath(row.location, row.filename)) return totals_.refused.Add(row.Named());
            if (CopyFile(row.location, row.filename, row.Named(), row.dueWhenChanged) && moved)
                moved_.push_back(row.id);
        });
        if (moved) MoveDirectories(lib);
    }
    if (moved) CopyDatabases();
    Collect(pool_->Drain());
    flush_->Finish();
    CollectInstalled();
}

// Once every file was read, each directory that waited takes its name;
// the files read of one that cannot go whole take theirs one by one.
void LibraryRestore::MoveDirectories(Connection& lib)
{
    Collect(pool_->Drain());
    const std::vector<std::string> left = moves_->Move([this](std::int64_t files) {
        totals_.restored += files;
        for (std::int64_t i = 0; i < files; ++i) Done();
    });
    if (!left.empty()) {
        const std::set<std::string> again(left.begin(), left.end());
        again_ = true;
        ForEachDocumentRow(lib, [&](const DocumentRow& row) {
            if (again.count(row.location)) MoveAgain(row.location, row.filename);
        });
        Collect(pool_->Drain());
        again_ = false;
    }
    moves_.reset();
}

// Read and checked once, and counted: one missing now was moved already,
// by a row naming the same file.
void LibraryRestore::MoveAgain(const std::string& location, const std::string& filename)
{
    const std::string relative = location + "/" + filename;
    const std::string source = backup_ + "/" + relative, target = dir_ + "/" + relative;
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || moves_->Unread(location, filename)) return;
    if (!dirs_->TargetReady(location)) return totals_.refused.Add(relative);
    if (moves_->ReadAgain(location)) {
        Collect(pool_->Submit({source, target}));
    } else {
        PendingCopy move{source, target, {}};
        move.moved = true;
        flush_->Add(move);
    }
    CollectInstalled();
}

void LibraryRestore::CopyDatabases()
{
    CopyFile("00000000", "LIB.MDE", "00000000/LIB.MDE");
    CopyFile("00000000", "CTRL.MDE", "00000000/CTRL.MDE");
}

bool LibraryRestore::DatabasesMoved() const
{
    return files_ == Files::Moved && !IsPlainFile(LibDatabaseFile(backup_)) && IsPlainFile(LibDatabaseFile(dir_));
}

std::string LibraryRestore::Refusal(const std::string& activeLib) const
{
    if (DatabasesMoved() && IsOwnRestore(dir_, backup_)) return TargetRefusal(dir_, activeLib, [] { return true; });
    return RestoreRefusal(backup_, dir_, activeLib);
}

// The backup's file is read only when it is a plain file reached through
// no link, and written only below the restore directory, through none.
bool LibraryRestore::CopyFile(const std::string& location, const std::string& filename, const std::string& named,
                              bool due)
{
    const auto count = [](NamedCount& list, const std::string& name) {
        list.Add(name);
        return false;
    };
    if (!dirs_->SourceReachable(location)) return count(totals_.refused, named);
    const std::string relative = location + "/" + filename;
    const std::string source = backup_ + "/" + relative, target = dir_ + "/" + relative;
    struct stat st {};
    if (::lstat(source.c_str(), &st) != 0) {
        if (errno == ENOENT && files_ == Files::Moved && IsPlainFile(target)) return Skipped(relative), true;
        if (errno == ENOENT || errno == ENOTDIR) return count(due ? totals_.missing : totals_.notDue, named);
        return count(totals_.unreadable, named + ": " + std::strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) return count(totals_.refused, named);
    if (moves_ && moves_->Waits(location)) {
        Collect(pool_->Submit({source, target}));
        return true;
    }
    if (AlreadyThere(target, st)) return Skipped(relative), true;
    if (!dirs_->TargetReady(location)) return count(totals_.refused, named);
    Collect(pool_->Submit({source, target}));
    CollectInstalled();
    return true;
}

// Restored by a stopped run: checked then, its mismatch listed before it
// took its name.
void LibraryRestore::Skipped(const std::string& relative)
{
    ++totals_.skipped;
    if (!Expected(relative)) ++totals_.unchecked;
    Done();
}

// The file the check expects: one that CopyFile copies.
// A moved file's source is gone: the check expects what was moved.
bool LibraryRestore::Reachable(const DocumentRow& row)
{
    if (files_ == Files::Moved) return std::binary_search(moved_.begin(), moved_.end(), row.id);
    if (!IsSafeDocumentPath(row.location, row.filename) || !dirs_->SourceReachable(row.location)) return false;
    return IsPlainFile(backup_ + "/" + row.Path());
}

std::optional<ManifestEntry> LibraryRestore::Expected(const std::string& relative)
{
    return manifest_ ? manifest_->Entry(relative) : std::nullopt;
}

// Written copies are checked and go to the flush, to take their names once
// on the disk. A failure to write stops the restore, after every outcome
// is taken, so no work file is left behind; one to read is the file's.
void LibraryRestore::Collect(const std::vector<CopyPool::Outcome>& outcomes)
{
    std::exception_ptr stop;
    for (const CopyPool::Outcome& o : outcomes) {
        const std::string location = moves_ ? moves_->LocationOf(o.job.target) : std::string();
        const bool waits = moves_ && moves_->Waiting(location);
        if (waits) moves_->Read(location, o.job.target.substr(o.job.target.rfind('/') + 1), !o.error);
        if (o.error && again_) continue;
        if (o.error) {
            try {
                std::rethrow_exception(o.error);
            } catch (const TargetError&) {
                if (!stop) stop = o.error;
            } catch (const std::exception& e) {
                totals_.unreadable.Add(fs::path(o.job.target).lexically_relative(dir_).string() + ": " + e.what());
            }
            continue;
        }
        if (stop) {
            DiscardCopy(o.written);
            continue;
        }
        try {
            if (!again_) Verify(o.written);
            if (!waits) flush_->Add(o.written);
        } catch (...) {
            DiscardCopy(o.written);
            stop = std::current_exception();
        }
    }
    if (stop) std::rethrow_exception(stop);
}

// Listed before the copy may take its name: the flush that lets it puts
// the line on the disk too.
void LibraryRestore::Verify(const PendingCopy& copy)
{
    const std::string relative = copy.target.lexically_relative(dir_).string();
    const std::optional<ManifestEntry> entry = Expected(relative);
    if (!entry)
        ++totals_.unchecked;
    else if (entry->sha256 != copy.content.sha256 || entry->size != copy.content.size)
        mismatches_->Add(relative);
}

// Counts the copies that took their names; a failed flush stops the restore.
void LibraryRestore::CollectInstalled()
{
    if (const int err = flush_->Failure())
        throw TargetError("cannot flush restore", dir_, std::error_code(err, std::generic_category()));
    for (const FileSystemFlush::Outcome& o : flush_->Take()) {
        if (o.error) std::rethrow_exception(o.error);
        ++totals_.restored;
        Done();
    }
}

void LibraryRestore::Done()
{
    ++done_;
    if (onDone) onDone(done_);
}

bool LibraryRestore::Checked()
{
    const std::vector<std::string> problems =
        CheckRestoredLibrary(dir_, [this](const DocumentRow& row) { return Reachable(row); });
    if (problems.empty()) return true;
    std::string text = kRestoreCheckFailed;
    for (const std::string& p : problems) text += "\r\n" + p;
    return Refuse(text);
}
