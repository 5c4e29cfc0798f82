#include "core/common/Directories.h"

#include "core/common/AtomicFile.h"

#include <cerrno>
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
