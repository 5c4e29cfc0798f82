#include "backup/DatabaseCopy.h"

#include "common/AppError.h"
#include "common/AtomicFile.h"

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/SQLiteCpp.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

constexpr int kBusyTimeoutMs = 5000;

void FlushFile(const fs::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        throw fs::filesystem_error("cannot flush database copy", file, std::error_code(err, std::generic_category()));
    }
    ::close(fd);
}

} // namespace

void CopyDatabase(const std::string& source, const std::string& target)
{
    const fs::path work = WorkFileFor(target);
    fs::remove(work);
    try {
        {
            SQLite::Database from(source, SQLite::OPEN_READONLY, kBusyTimeoutMs);
            SQLite::Database to(work.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, kBusyTimeoutMs);
            SQLite::Backup backup(to, from);
            backup.executeStep();
            const std::string check = to.execAndGet("PRAGMA integrity_check").getString();
            if (check != "ok") throw AppError(3049, "Database copy of " + source + " is damaged: " + check);
        }
        FlushFile(work);
        fs::rename(work, target);
    } catch (...) {
        std::error_code ignored;
        fs::remove(work, ignored);
        throw;
    }
}
