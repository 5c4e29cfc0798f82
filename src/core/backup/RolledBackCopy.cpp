#include "core/backup/RolledBackCopy.h"

#include "core/common/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string JournalOf(const std::string& database) { return database + "-journal"; }

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err)
{
    throw fs::filesystem_error(what, path, std::error_code(err, std::generic_category()));
}

} // namespace

bool HasHotJournal(const std::string& database)
{
    const std::string journal = JournalOf(database);
    const int fd = ::open(journal.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) return false;
    if (fd < 0) Fail("cannot open journal", journal, errno);
    char first = 0;
    const ssize_t n = ::pread(fd, &first, 1, 0);
    const int err = errno;
    ::close(fd);
    if (n < 0) Fail("cannot read journal", journal, err);
    return n == 1 && first != 0;
}

std::unique_ptr<RolledBackCopy> RolledBackCopy::Make(const std::string& database)
{
    if (!HasHotJournal(database)) return nullptr;
    std::string dir = (fs::temp_directory_path() / "rezud-rollback-XXXXXX").string();
    if (!::mkdtemp(dir.data())) Fail("cannot make a directory for the rolled back copy", dir, errno);
    const std::string file = dir + "/" + fs::path(database).filename().string();
    std::unique_ptr<RolledBackCopy> copy(new RolledBackCopy(dir, file));
    CopyFileAtomic(database, file);
    CopyFileAtomic(JournalOf(database), JournalOf(file));
    return copy;
}

RolledBackCopy::~RolledBackCopy()
{
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
}
