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
        if (::rename(path_.c_str(), target.c_str()) != 0) ThrowErrno("cannot replace file", target);
        done_ = true;
    }

private:
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
