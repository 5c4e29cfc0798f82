#include "core/backup/OffsiteRestore.h"

#include "core/backup/BackupStart.h"
#include "core/backup/FileSystemFlush.h"
#include "core/backup/LibraryRestore.h"
#include "core/backup/RestoreTarget.h"
#include "core/base/MyErrHandler.h"
#include "core/base/Prompter.h"
#include "core/common/Commons.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kFetchedKey = "FETCHED";
constexpr const char* kWantedKey = "WANTED";
constexpr const char* kSnapshotKey = "SNAPSHOT";

// An absolute path with no "." or ".." in it: below the work directory.
bool PlainAbsolute(const std::string& path)
{
    const fs::path p(path);
    if (!p.is_absolute() || p.relative_path().empty()) return false;
    for (const fs::path& part : p.relative_path())
        if (part == "." || part == ".." || part.empty()) return false;
    return true;
}

// One id names the other's snapshot: either is the start of the other.
bool SameSnapshot(const std::string& a, const std::string& b)
{
    return !a.empty() && !b.empty() && (a.starts_with(b) || b.starts_with(a));
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err)
{
    throw TargetError(what, path, std::error_code(err, std::generic_category()));
}

} // namespace

OffsiteRestore::OffsiteRestore(Prompter& prompter, std::string wanted, std::string dir, Fetch fetch)
    : prompter_(prompter), wanted_(std::move(wanted)), dir_(std::move(dir)), work_(dir_ + "/" + kOffsiteWorkName),
      fetch_(std::move(fetch))
{
}

bool OffsiteRestore::Refuse(const std::string& text)
{
    prompter_.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

// The unfinished restore from offsite into this directory that the same
// command goes on with, or one naming the snapshot it fetched.
bool OffsiteRestore::Own() const
{
    const std::string from = MarkedBackup(dir_);
    if (from != work_ && !from.starts_with(work_ + "/")) return false;
    if (RestoreMark(dir_, kWantedKey) == wanted_) return true;
    return !RestoreMark(dir_, kFetchedKey).empty() && SameSnapshot(RestoreMark(dir_, kSnapshotKey), wanted_);
}

bool OffsiteRestore::Run(const std::string& activeLib)
{
    const auto refusal = [&] { return TargetRefusal(dir_, activeLib, [this] { return Own(); }); };
    if (const std::string r = refusal(); !r.empty()) return Refuse(r);
    return Trapped(
        prompter_, "OffsiteRestore.Run(snapshot,dir)",
        [&] {
            const auto held = RestoreLock::Take(dir_);
            if (!held) return Refuse(kRestoreRunning + dir_);
            if (const std::string r = refusal(); !r.empty()) return Refuse(r);
            if (!Own()) MarkRestore(dir_, work_, {{kWantedKey, wanted_}});
            if (const std::string why = FetchOnce(); !why.empty()) return Refuse(why);
            if (!PlainAbsolute(snapshot_.path)) return Refuse(kNoSnapshotBackup + snapshot_.path);
            backup_ = work_ + snapshot_.path;
            return Restore(activeLib);
        },
        std::vector<ReportValue>{wanted_, dir_});
}

// What a stopped fetch left is not known to be whole. Without the work
// copy, the restore stopped after its check: its files are fetched again,
// to be found in place. Empty when fetched, else why not.
std::string OffsiteRestore::FetchOnce()
{
    const bool fetched = !RestoreMark(dir_, kFetchedKey).empty();
    if (fetched && fs::is_directory(fs::symlink_status(work_))) {
        snapshot_ = {RestoreMark(dir_, kSnapshotKey), MarkedBackup(dir_).substr(work_.size())};
        return {};
    }
    if (fetched) SetRestoreMarks(dir_, {{kFetchedKey, ""}});
    fs::remove_all(work_);
    fs::create_directory(work_);
    // Opened before the fetch writes: the flush then reports every
    // write-back error of the fetch's files.
    const int fd = ::open(work_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) Fail("cannot open work directory", work_, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    Fetched got = fetch_(work_);
    if (got.problem.empty() && !IsBackupAt(got.snapshot.path)) got.problem = kNoSnapshotBackup + got.snapshot.path;
    if (!got.problem.empty()) {
        // Nothing of it stays: the directory may take another snapshot.
        fs::remove_all(work_);
        UnmarkRestore(dir_);
        return got.problem;
    }
    snapshot_ = std::move(got.snapshot);
    // On the disk before the mark says so.
    if (const int err = FileSystemFlush::SyncFileSystem(fd); err != 0) Fail("cannot flush work directory", work_, err);
    MarkRestore(dir_, work_ + snapshot_.path, {{kSnapshotKey, snapshot_.id}, {kFetchedKey, "1"}});
    return {};
}

// A backup record at `path` in the fetched snapshot.
bool OffsiteRestore::IsBackupAt(const std::string& path) const
{
    return PlainAbsolute(path) && IsPlainFile(work_ + path + "/" + kBackupRecordName);
}

bool OffsiteRestore::Restore(const std::string& activeLib)
{
    if (!fs::is_directory(fs::symlink_status(backup_))) return Refuse(kNoSnapshotBackup + snapshot_.path);
    LibraryRestore restore(prompter_, backup_, dir_, LibraryRestore::Files::Moved);
    restore.onDone = onDone;
    restore.copyFile = readForMove;
    restore.onChecked = [this] { fs::remove_all(work_); };
    const bool ok = restore.Run(activeLib, true);
    totals_ = restore.Totals();
    report_ = RestoreReportText(totals_, "snapshot " + snapshot_.id.substr(0, 8), dir_);
    return ok;
}
