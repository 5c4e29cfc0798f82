#include "core/backup/DatabaseCopy.h"

#include "core/base/AppError.h"
#include "core/common/AtomicFile.h"
#include "core/common/Sha256.h"

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
        throw TargetError("cannot flush database copy", file, std::error_code(err, std::generic_category()));
    }
    ::close(fd);
}

std::string FileIdentity(const struct stat& st)
{
    auto ns = [](const struct timespec& t) { return std::to_string(t.tv_sec) + "." + std::to_string(t.tv_nsec); };
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
           ns(st.st_mtim) + ":" + ns(st.st_ctim);
}

// SQLite's own descriptor of the file `from` reads.
sqlite3_file* OwnFile(SQLite::Database& from)
{
    sqlite3_file* handle = nullptr;
    if (sqlite3_file_control(from.getHandle(), "main", SQLITE_FCNTL_FILE_POINTER, &handle) != SQLITE_OK || !handle ||
        !handle->pMethods)
        return nullptr;
    return handle;
}

// The committed state of the database that `from` reads, inside its read
// transaction: the file's identity and times plus the header's change
// counter, which every commit in rollback-journal mode raises. The header
// is read through SQLite's own descriptor of the file: opening and closing
// another would drop this process's locks on it. A database in WAL mode
// commits into its -wal file without touching either, so its state cannot
// be told from the file, and its file alone is no copy of it.
std::optional<std::string> SourceState(SQLite::Database& from, const std::string& file)
{
    sqlite3_file* handle = OwnFile(from);
    if (!handle) return std::nullopt;
    std::array<unsigned char, 32> header{};
    if (handle->pMethods->xRead(handle, header.data(), static_cast<int>(header.size()), 0) != SQLITE_OK)
        return std::nullopt;
    if (std::memcmp(header.data(), "SQLite format 3", 16) != 0) return std::nullopt;
    if (header[18] == 2 || header[19] == 2) return std::nullopt; // WAL
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return std::nullopt; // a name, no descriptor
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

// Structure and records; index entries could be rebuilt from the tables.
void QuickCheck(SQLite::Database& copy, const std::string& source)
{
    const std::string check = copy.execAndGet("PRAGMA quick_check").getString();
    if (check != "ok") throw AppError(3049, "Database copy of " + source + " is damaged: " + check);
}

// A copy of the state `from` reads in its read transaction, made page by
// page through SQLite: for a database in WAL mode, whose last commits are
// in its -wal file and not yet in the file itself.
void CopyPages(SQLite::Database& from, const std::string& source, const fs::path& work)
{
    SQLite::Database to(work.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE, kBusyTimeoutMs);
    // The work file is thrown away on any failure, so it needs no journal.
    to.exec("PRAGMA journal_mode=OFF");
    to.exec("PRAGMA synchronous=OFF");
    SQLite::Backup backup(to, from);
    backup.executeStep();
    // The copy holds the stamped state now: clients may commit again while
    // it is checked, hashed and flushed.
    from.exec("COMMIT");
    QuickCheck(to, source);
}

// A copy of the state `from` reads in its read transaction, for a database
// whose state its file tells (rollback-journal mode): the file's bytes as
// they stand under the read lock, read through SQLite's own descriptor
// (closing another would drop this process's locks) and hashed on their
// way. Then checked, with the lock let go.
CopiedContent CopyBytes(SQLite::Database& from, const std::string& source, const fs::path& target)
{
    auto unreadable = [&] { return AppError(3049, "Database " + source + " cannot be read for its copy"); };
    sqlite3_file* file = OwnFile(from);
    sqlite3_int64 size = 0;
    if (!file || file->pMethods->xFileSize(file, &size) != SQLITE_OK) throw unreadable();
    CopiedContent content;
    const fs::path work = WriteWorkFile(
        target,
        [&](char* buffer, std::size_t room, std::int64_t offset) -> std::size_t {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - offset, std::int64_t(room)));
            if (n > 0 && file->pMethods->xRead(file, buffer, static_cast<int>(n), offset) != SQLITE_OK)
                throw unreadable();
            return n;
        },
        content);
    from.exec("COMMIT");
    SQLite::Database copy(work.string(), SQLite::OPEN_READONLY, kBusyTimeoutMs);
    QuickCheck(copy, source);
    return content;
}

} // namespace

DatabaseCopyResult CopyDatabase(const std::string& source, const std::string& target, const std::string& previousStamp,
                                const std::function<void()>& beforeWrite)
{
    // One read transaction from the stamp to the end of the copy: no
    // commit can fall between them, so the copy is of the stamped state.
    SQLite::Database from(source, SQLite::OPEN_READONLY, kBusyTimeoutMs);
    from.exec("BEGIN");
    from.execAndGet("PRAGMA schema_version");
    const auto state = SourceState(from, source);
    if (!previousStamp.empty() && Stamp(state, target) == previousStamp) return {previousStamp, false, {}};
    if (beforeWrite) beforeWrite();
    const fs::path work = WorkFileFor(target);
    fs::remove(work);
    CopiedContent content;
    try {
        if (state) {
            content = CopyBytes(from, source, target);
        } else {
            CopyPages(from, source, work);
            const FileDigest digest = DigestOfFile(work);
            content = {digest.size, 0, digest.sha256};
        }
        FlushFile(work);
        struct stat st {};
        if (::stat(work.c_str(), &st) != 0)
            throw TargetError("cannot read database copy", work, std::error_code(errno, std::generic_category()));
        content.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        fs::rename(work, target);
    } catch (...) {
        std::error_code ignored;
        fs::remove(work, ignored);
        throw;
    }
    return {Stamp(state, target), true, std::move(content)};
}
