#include "core/backup/RestoreTarget.h"

#include "core/backup/BackupStart.h"
#include "core/common/AtomicFile.h"
#include "core/common/Commons.h"
#include "core/common/IniFile.h"
#include "core/data/Database.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarkerSection = "RESTORE";
constexpr const char* kFromKey = "FROM";

bool SamePath(const std::string& a, const std::string& b)
{
    if (fs::path(a).lexically_normal() == fs::path(b).lexically_normal()) return true;
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
}

// `dir` is `root` or lies below it, as the directories are now.
bool Beneath(const std::string& dir, const std::string& root)
{
    std::error_code ec;
    const fs::path d = fs::weakly_canonical(dir, ec);
    if (ec) return false;
    const fs::path r = fs::weakly_canonical(root, ec);
    if (ec) return false;
    const fs::path rel = d.lexically_relative(r);
    return !rel.empty() && *rel.begin() != "..";
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err)
{
    throw TargetError(what, path, std::error_code(err, std::generic_category()));
}

} // namespace

std::string RestoreMarkerFile(const std::string& dir) { return dir + "/" + kRestoreMarkerName; }

std::string RestoreRefusal(const std::string& backup, const std::string& dir, const std::string& activeLib)
{
    if (!ReadBackupRecord(backup)) return kNoBackupRecord + backup;
    std::error_code ec;
    // The control directory is read through no link, as every other one.
    if (fs::is_symlink(ControlDir(backup), ec) || !IsPlainFile(LibDatabaseFile(backup))) return kNoLibraryCopy + backup;
    if (Beneath(dir, backup)) return kRestoreIntoBackup + dir;
    return TargetRefusal(dir, activeLib, [&] { return IsOwnRestore(dir, backup); });
}

std::string TargetRefusal(const std::string& dir, const std::string& activeLib, const std::function<bool()>& own)
{
    std::error_code ec;
    const fs::file_status status = fs::status(dir, ec);
    if (!fs::exists(status)) return {};
    if (!fs::is_directory(status)) return kRestoreIntoFile + dir;
    if (!activeLib.empty() && SamePath(dir, activeLib)) return kRestoreIntoActive + dir;
    if (own()) return {};
    if (IsPlainFile(RestoreMarkerFile(dir))) return kRestoreIntoOther + dir;
    if (fs::exists(LibDatabaseFile(dir), ec)) return kRestoreIntoLibrary + dir;
    if (!fs::is_empty(dir, ec) || ec) return kRestoreIntoNonEmpty + dir;
    return {};
}

bool IsOwnRestore(const std::string& dir, const std::string& backup)
{
    const std::string from = MarkedBackup(dir);
    return !from.empty() && SamePath(from, backup);
}

std::string MarkedBackup(const std::string& dir)
{
    const std::string marker = RestoreMarkerFile(dir);
    return IsPlainFile(marker) ? IniRead(marker, kMarkerSection, kFromKey) : std::string();
}

void MarkRestore(const std::string& dir, const std::string& backup, const RestoreMarks& more)
{
    RestoreMarks keys{{kFromKey, backup}};
    keys.insert(keys.end(), more.begin(), more.end());
    SetRestoreMarks(dir, keys);
}

std::string RestoreMark(const std::string& dir, const std::string& key)
{
    return IniRead(RestoreMarkerFile(dir), kMarkerSection, key);
}

void SetRestoreMarks(const std::string& dir, const RestoreMarks& keys)
{
    std::string why;
    if (!IniWriteKeys(RestoreMarkerFile(dir), kMarkerSection, keys, &why))
        throw TargetError("cannot mark restore: " + why, RestoreMarkerFile(dir),
                          std::make_error_code(std::errc::io_error));
}

void UnmarkRestore(const std::string& dir)
{
    const std::string marker = RestoreMarkerFile(dir);
    if (::unlink(marker.c_str()) != 0 && errno != ENOENT) Fail("cannot remove restore marker", marker, errno);
    FlushDirectory(dir);
}

std::unique_ptr<RestoreLock> RestoreLock::Take(const std::string& dir)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) Fail("cannot create restore directory", dir, ec.value());
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) Fail("cannot open restore directory", dir, errno);
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::unique_ptr<RestoreLock>(new RestoreLock(fd));
    const int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return nullptr;
    Fail("cannot lock restore directory", dir, err);
}

RestoreLock::~RestoreLock() { ::close(fd_); }
