#include "core/backup/OffsiteRestore.h"

#include "core/backup/FileSystemFlush.h"
#include "core/backup/LibraryRestore.h"
#include "core/backup/RestoreTarget.h"
#include "core/base/MyErrHandler.h"
#include "core/base/Prompter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kFetchedKey = "FETCHED";

// An absolute path with no "." or ".." in it: below the work directory.
bool PlainAbsolute(const std::string& path)
{
    const fs::path p(path);
    if (!p.is_absolute() || p.relative_path().empty()) return false;
    for (const fs::path& part : p.relative_path())
        if (part == "." || part == ".." || part.empty()) return false;
    return true;
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err)
{
    throw TargetError(what, path, std::error_code(err, std::generic_category()));
}

} // namespace

OffsiteRestore::OffsiteRestore(Prompter& prompter, RestoredSnapshot snapshot, std::string dir, Fetch fetch)
    : prompter_(prompter), snapshot_(std::move(snapshot)), dir_(std::move(dir)), work_(dir_ + "/" + kOffsiteWorkName),
      backup_(work_ + snapshot_.path), fetch_(std::move(fetch))
{
}

bool OffsiteRestore::Refuse(const std::string& text)
{
    prompter_.MsgBox(text, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}

// The unfinished restore of this very snapshot.
bool OffsiteRestore::Own() const { return IsOwnRestore(dir_, backup_) && MarkedSnapshot(dir_) == snapshot_.id; }

bool OffsiteRestore::Run(const std::string& activeLib)
{
    if (!PlainAbsolute(snapshot_.path)) return Refuse(kNoSnapshotBackup + snapshot_.path);
    const auto refusal = [&] { return TargetRefusal(dir_, activeLib, [this] { return Own(); }); };
    if (const std::string r = refusal(); !r.empty()) return Refuse(r);
    return Trapped(
        prompter_, "OffsiteRestore.Run(snapshot,dir)",
        [&] {
            const auto held = RestoreLock::Take(dir_);
            if (!held) return Refuse(kRestoreRunning + dir_);
            if (const std::string r = refusal(); !r.empty()) return Refuse(r);
            if (!Own()) MarkRestore(dir_, backup_, snapshot_.id);
            if (const std::string why = FetchOnce(); !why.empty()) return Refuse(why);
            return Restore(activeLib);
        },
        std::vector<ReportValue>{snapshot_.id, dir_});
}

// What a stopped fetch left is not known to be whole. Without the work
// copy, the restore stopped after its check: its files are fetched again,
// to be found in place. Empty when fetched, else why not.
std::string OffsiteRestore::FetchOnce()
{
    const bool fetched = !RestoreMark(dir_, kFetchedKey).empty();
    if (fetched && fs::is_directory(fs::symlink_status(work_))) return {};
    if (fetched) SetRestoreMark(dir_, kFetchedKey, "");
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
    if (std::string why = fetch_(work_); !why.empty()) return why;
    // On the disk before the mark says so.
    if (const int err = FileSystemFlush::SyncFileSystem(fd); err != 0) Fail("cannot flush work directory", work_, err);
    SetRestoreMark(dir_, kFetchedKey, "1");
    return {};
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
