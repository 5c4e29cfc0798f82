#include "core/backup/BackupFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace {

BackupFileState Failed(int error)
{
    if (error == ENOENT || error == ENOTDIR) return {BackupFileState::Is::Missing, 0, {}, 0};
    if (error == ELOOP) return {BackupFileState::Is::NotPlain, 0, {}, 0};
    return {BackupFileState::Is::Unreadable, 0, std::strerror(error), 0};
}

} // namespace

BackupFiles::BackupFiles(std::string backupDir) : backupDir_(std::move(backupDir)) {}

BackupFiles::~BackupFiles()
{
    if (dirFd_ >= 0) ::close(dirFd_);
}

BackupFileState BackupFiles::Look(const std::string& relative)
{
    const std::size_t slash = relative.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : relative.substr(0, slash);
    const std::string name = relative.substr(slash == std::string::npos ? 0 : slash + 1);
    if (dir != dir_ || (dirFd_ < 0 && dirError_ == 0)) {
        if (dirFd_ >= 0) ::close(dirFd_);
        dirFd_ = ::open((backupDir_ + "/" + dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        dirError_ = dirFd_ < 0 ? errno : 0;
        dir_ = dir;
    }
    if (dirFd_ < 0) return Failed(dirError_);
    struct stat st {};
    if (::fstatat(dirFd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Failed(errno);
    if (!S_ISREG(st.st_mode)) return {BackupFileState::Is::NotPlain, 0, {}, 0};
    return {BackupFileState::Is::Plain,
            st.st_size,
            {},
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool IsBackupPath(const std::string& relative)
{
    if (relative.empty() || relative.front() == '/' || relative.find('\0') != std::string::npos) return false;
    // Each part between slashes: not empty, not "." nor "..".
    for (std::size_t start = 0; start <= relative.size();) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        const std::string_view part(relative.data() + start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}
