#include "core/backup/BackupLock.h"

#include "core/common/AtomicFile.h"
#include "core/common/SpareFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

constexpr const char* kFinished = "finished\n";
constexpr const char* kUnfinished = "unfinished\n";

[[noreturn]] void Fail(const std::string& what, const std::string& file)
{
    throw TargetError(what, file, std::error_code(errno, std::generic_category()));
}

bool IsLeftover(const std::string& name) { return SpareFiles::IsSpareName(name) || IsWorkFileName(name); }

} // namespace

std::string BackupLock::FileName(const std::string& backupDir) { return backupDir + "/Libbackup.lock"; }

std::unique_ptr<BackupLock> BackupLock::Take(const std::string& backupDir)
{
    const std::string file = FileName(backupDir);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) Fail("cannot open backup lock", file);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) return nullptr;
        errno = err;
        Fail("cannot lock backup", file);
    }
    std::unique_ptr<BackupLock> lock(new BackupLock(file, fd));
    lock->Read();
    return lock;
}

// "finished", then a line "size<TAB>path" for each spare kept; anything else
// is a run that did not end.
void BackupLock::Read()
{
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = ::pread(fd_, buffer, sizeof buffer, static_cast<off_t>(text.size()))) != 0;) {
        if (n < 0) Fail("cannot read backup lock", file_);
        text.append(buffer, static_cast<std::size_t>(n));
    }
    unfinished_ = !text.starts_with(kFinished);
    if (unfinished_) return;
    std::istringstream lines(text.substr(std::strlen(kFinished)));
    Spare spare;
    while (lines >> spare.size && lines.get() == '\t' && std::getline(lines, spare.path)) kept_.push_back(spare);
}

BackupLock::BackupLock(std::string file, int fd) : file_(std::move(file)), fd_(fd) {}

BackupLock::~BackupLock() { ::close(fd_); }

void BackupLock::Mark(const std::string& state)
{
    const auto size = static_cast<ssize_t>(state.size());
    if (::ftruncate(fd_, 0) != 0 || ::pwrite(fd_, state.data(), state.size(), 0) != size)
        Fail("cannot write backup lock", file_);
    if (::fdatasync(fd_) != 0) Fail("cannot flush backup lock", file_);
}

// Flushed, so that after a crash the mark is there whenever the run's
// files are.
void BackupLock::Begin() { Mark(kUnfinished); }

// Flushed: a verify after a power cut must not take a run that ended for
// one that did not.
void BackupLock::End(const std::vector<Spare>& kept)
{
    std::string state = kFinished;
    for (const Spare& s : kept) state += std::to_string(s.size) + "\t" + s.path + "\n";
    Mark(state);
}

bool LastRunInterrupted(const std::string& backupDir)
{
    const std::string file = BackupLock::FileName(backupDir);
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) return false;
    if (fd < 0) Fail("cannot open backup lock", file);
    char start[16];
    const ssize_t n = ::pread(fd, start, sizeof start, 0);
    const int err = errno;
    ::close(fd);
    if (n < 0) {
        errno = err;
        Fail("cannot read backup lock", file);
    }
    // Empty, it was made by a run that never began, or cut while a run that
    // ended marked it.
    return std::string_view(start, static_cast<std::size_t>(n)).starts_with(kUnfinished);
}

void RemoveLeftovers(const std::string& backupDir)
{
    std::error_code walk;
    for (fs::recursive_directory_iterator it(backupDir, walk), end; !walk && it != end; it.increment(walk)) {
        std::error_code ec;
        if (!IsLeftover(it->path().filename().string()) || it->symlink_status(ec).type() != fs::file_type::regular)
            continue;
        fs::remove(it->path(), ec);
        if (ec) throw TargetError("cannot delete leftover file", it->path(), ec);
    }
    if (walk) throw TargetError("cannot search backup for leftover files", backupDir, walk);
}

std::unique_ptr<BackupReadLock> BackupReadLock::Take(const std::string& backupDir)
{
    const std::string file = BackupLock::FileName(backupDir);
    // Read only, so a backup on a read-only medium can be read too.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOENT) return std::unique_ptr<BackupReadLock>(new BackupReadLock(-1));
        throw std::filesystem::filesystem_error("cannot open backup lock", file,
                                                std::error_code(errno, std::generic_category()));
    }
    if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) return nullptr;
        throw std::filesystem::filesystem_error("cannot lock backup", file,
                                                std::error_code(err, std::generic_category()));
    }
    return std::unique_ptr<BackupReadLock>(new BackupReadLock(fd));
}

BackupReadLock::~BackupReadLock()
{
    if (fd_ >= 0) ::close(fd_);
}
