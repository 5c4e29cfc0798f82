#include "core/common/Directories.h"

#include "core/common/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <system_error>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const char* what, const fs::path& p, int err)
{
    throw fs::filesystem_error(what, p, std::error_code(err, std::generic_category()));
}

} // namespace

void MakeDirectories(const fs::path& dir, mode_t mode)
{
    fs::path made;
    for (const fs::path& part : dir) {
        const fs::path parent = made;
        made /= part;
        struct stat st {};
        if (parent.empty() || (::stat(made.c_str(), &st) == 0 && S_ISDIR(st.st_mode))) continue;
        if (::mkdir(made.c_str(), mode) != 0) Fail("cannot create directory", made, errno);
        FlushDirectory(parent);
    }
}

int ListDirectory(int fd, const std::function<void(const char* name, unsigned char type)>& each)
{
    const int copy = ::dup(fd);
    DIR* dir = copy < 0 ? nullptr : ::fdopendir(copy);
    if (!dir) {
        const int error = errno;
        if (copy >= 0) ::close(copy);
        return error;
    }
    ::rewinddir(dir); // the copy shares the offset of `fd`
    errno = 0;
    while (const dirent* d = ::readdir(dir)) {
        if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0) {
            unsigned char type = d->d_type;
            struct stat st {};
            if (type == DT_UNKNOWN && ::fstatat(fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                type = static_cast<unsigned char>(IFTODT(st.st_mode));
            each(d->d_name, type);
        }
        errno = 0;
    }
    const int error = errno;
    ::closedir(dir);
    return error;
}
