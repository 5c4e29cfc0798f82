#include "core/library/LocationFiles.h"

#include "core/library/DocumentPath.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

LocationFiles::LocationFiles(std::string libPath) : libPath_(std::move(libPath)) {}

LocationFiles::~LocationFiles()
{
    if (dirFd_ >= 0) ::close(dirFd_);
}

std::int64_t LocationFiles::FileLength(const std::string& location, const std::string& filename)
{
    if (!IsSafeDocumentPath(location, filename) || filename.front() == '.') return 0;
    if (location != location_) { // never empty once safe
        if (dirFd_ >= 0) ::close(dirFd_);
        dirFd_ = ::open((libPath_ + "/" + location).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        location_ = location;
    }
    struct stat st {};
    if (dirFd_ < 0 || ::fstatat(dirFd_, filename.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)) return 0;
    return st.st_size;
}
