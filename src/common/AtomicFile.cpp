#include "common/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <system_error>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void ThrowErrno(const std::string& what, const fs::path& p)
{
    throw fs::filesystem_error(what, p, std::error_code(errno, std::generic_category()));
}

// Closes the descriptor and removes the work file unless released.
class WorkFile {
public:
    explicit WorkFile(fs::path path) : path_(std::move(path))
    {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd_ < 0) ThrowErrno("cannot create work file", path_);
    }
    ~WorkFile()
    {
        if (fd_ >= 0) ::close(fd_);
        if (!done_) {
            std::error_code ignored;
            fs::remove(path_, ignored);
        }
    }
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;

    int fd() const { return fd_; }
    void WriteAll(const char* data, std::size_t size)
    {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR) continue;
                ThrowErrno("cannot write work file", path_);
            }
            data += n;
            size -= static_cast<std::size_t>(n);
        }
    }
    void CloseAndRename(const fs::path& target)
    {
        if (::close(fd_) != 0) {
            fd_ = -1;
            ThrowErrno("cannot close work file", path_);
        }
        fd_ = -1;
        if (SwapInto(target)) return;
        if (::rename(path_.c_str(), target.c_str()) != 0) ThrowErrno("cannot replace file", target);
        done_ = true;
    }

private:
    // An existing target is swapped with the work file and the old content
    // then removed: as atomic as a rename over it, but ext4 does not start
    // writing the new file back on its own, so a run of many replacements
    // leaves the writeback to one flush. False when there is nothing to swap.
    bool SwapInto(const fs::path& target)
    {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
            if (errno == ENOENT || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) return false;
            ThrowErrno("cannot replace file", target);
        }
        done_ = true;
        ::unlink(path_.c_str()); // the old content; a leftover is overwritten by the next copy
        return true;
    }

    fs::path path_;
    int fd_ = -1;
    bool done_ = false;
};

void CopyContent(int in, const fs::path& source, WorkFile& out)
{
    // The kernel copies without passing the data through user space.
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out.fd(), nullptr, 1 << 30, 0);
        if (n == 0) return;
        if (n > 0) continue;
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
        ThrowErrno("cannot copy file", source);
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0) return;
        if (n < 0) {
            if (errno == EINTR) continue;
            ThrowErrno("cannot read file", source);
        }
        out.WriteAll(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace

fs::path WorkFileFor(const fs::path& target)
{
    return target.parent_path() / ("." + target.filename().string() + ".rztmp");
}

void WriteFileAtomic(const fs::path& target, const std::string& content)
{
    WorkFile work(WorkFileFor(target));
    work.WriteAll(content.data(), content.size());
    if (::fsync(work.fd()) != 0) ThrowErrno("cannot flush work file", WorkFileFor(target));
    work.CloseAndRename(target);
}

void CopyFileAtomic(const fs::path& source, const fs::path& target, bool keepTime)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) ThrowErrno("cannot open file", source);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{in};
    struct stat st {};
    if (::fstat(in, &st) != 0) ThrowErrno("cannot read file attributes", source);

    WorkFile work(WorkFileFor(target));
    CopyContent(in, source, work);
    if (keepTime) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::futimens(work.fd(), times) != 0) ThrowErrno("cannot set file time", target);
    }
    work.CloseAndRename(target);
}
