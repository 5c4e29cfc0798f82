#include "backup/DatabaseCopy.h"

#include "common/AppError.h"
#include "common/AtomicFile.h"

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/SQLiteCpp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <optional>

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

std::string FileIdentity(const struct stat& st)
{
    auto ns = [](const struct timespec& t) { return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec); };
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
           ns(st.st_mtim) + ":" + ns(st.st_ctim);
}

// The committed state of a database file: its identity and times plus the
// header's change counter, which every commit in rollback-journal mode
// raises. A database in WAL mode commits into its -wal file without
// touching either, so its state cannot be told from the file.
std::optional<std::string> SourceState(const std::string& file)
{
    if (fs::exists(file + "-wal")) return std::nullopt;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    std::array<unsigned char, 32> header{};
    const bool read = ::fstat(fd, &st) == 0 && ::pread(fd, header.data(), header.size(), 0) == static_cast<ssize_t>(header.size());
    ::close(fd);
    if (!read || std::memcmp(header.data(), "SQLite format 3", 16) != 0) return std::nullopt;
    if (header[18] == 2 || header[19] == 2) return std::nullopt; // WAL
    const std::uint32_t counter = (std::uint32_t{header[24]} << 24) | (std::uint32_t{header[25]} << 16) |
                                  (std::uint32_t{header[26]} << 8) | header[27];
    return FileIdentity(st) + ":" + std::to_string(counter);
}

std::optional<std::string> CopyState(const std::string& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity(st);
}

std::string Stamp(const std::optional<std::string>& source, const std::string& target)
{
    const auto copy = CopyState(target);
    return source && copy ? *source + " " + *copy : std::string();
}

void CopyInto(const std::string& source, const fs::path& work)
{
    SQLite::Database from(source, SQLite::OPEN_READONLY, kBusyTimeoutMs);
    SQLite::Database to(work.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, kBusyTimeoutMs);
    // The work file is thrown away on any failure, so it needs no journal.
    to.exec("PRAGMA journal_mode=OFF");
    to.exec("PRAGMA synchronous=OFF");
    SQLite::Backup backup(to, from);
    backup.executeStep();
    // Structure and records; index entries could be rebuilt from the tables.
    const std::string check = to.execAndGet("PRAGMA quick_check").getString();
    if (check != "ok") throw AppError(3049, "Database copy of " + source + " is damaged: " + check);
}

} // namespace

DatabaseCopyResult CopyDatabase(const std::string& source, const std::string& target,
                                const std::string& previousStamp)
{
    const auto before = SourceState(source);
    if (!previousStamp.empty() && Stamp(before, target) == previousStamp) return {previousStamp, false};
    const fs::path work = WorkFileFor(target);
    fs::remove(work);
    try {
        CopyInto(source, work);
        FlushFile(work);
        fs::rename(work, target);
    } catch (...) {
        std::error_code ignored;
        fs::remove(work, ignored);
        throw;
    }
    // A commit during the copy leaves the copy's state unknown.
    const auto after = SourceState(source);
    return {before == after ? Stamp(before, target) : std::string(), true};
}
