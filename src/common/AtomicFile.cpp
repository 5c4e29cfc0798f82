#include "common/AtomicFile.h"

#include "common/SpareFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPage = 4096;

[[noreturn]] void ThrowErrno(const std::string& what, const fs::path& p)
{
    throw fs::filesystem_error(what, p, std::error_code(errno, std::generic_category()));
}

// Closes the descriptor and removes the work file unless released. A spare
// is written over rather than emptied first, and cut to length at the end:
// emptying it would give its blocks back only to take new ones.
class WorkFile {
public:
    // Writes into `spare` when it names one, else beside `target`.
    WorkFile(const fs::path& target, SpareFiles* spares, SpareFiles::Taken spare)
        : isSpare_(!spare.path.empty()), path_(isSpare_ ? std::move(spare.path) : WorkFileFor(target)),
          spares_(spares), oldSize_(spare.size)
    {
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (isSpare_ ? 0 : O_TRUNC);
        fd_ = ::open(path_.c_str(), flags, 0644);
        // A link under the work file's name is not followed but removed.
        if (fd_ < 0 && errno == ELOOP && ::unlink(path_.c_str()) == 0) fd_ = ::open(path_.c_str(), flags, 0644);
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
    // Cuts off what is left beyond `length` bytes: a spare's earlier
    // content, whatever its length now, or the padding of the last page.
    void EndAt(std::int64_t length)
    {
        if ((isSpare_ || written_ > length) && ::ftruncate(fd_, length) != 0)
            ThrowErrno("cannot write work file", path_);
    }
    // Content that the kernel copied into the file.
    void Copied(std::int64_t size) { written_ += size; }
    // Writes the whole content, the first `size` bytes of `buffer`, which
    // holds `capacity`. Over old content the last page is filled with zeros:
    // the kernel reads an old page before writing part of it, not before
    // writing all of it.
    void WriteOver(char* buffer, std::size_t size, std::size_t capacity)
    {
        const std::size_t lastPage = size / kPage * kPage;
        std::size_t padded = (size + kPage - 1) / kPage * kPage;
        if (static_cast<std::int64_t>(lastPage) >= oldSize_ || padded > capacity) padded = size;
        std::memset(buffer + size, 0, padded - size);
        WriteAll(buffer, padded);
    }
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
            written_ += n;
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
    // then set aside: as atomic as a rename over it, but ext4 does not start
    // writing the new file back on its own, so a run of many replacements
    // leaves the writeback to one flush. False when there is nothing to swap.
    bool SwapInto(const fs::path& target)
    {
        struct stat old {};
        if (::lstat(target.c_str(), &old) != 0 || !S_ISREG(old.st_mode)) return false;
        if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
            if (errno == ENOENT || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) return false;
            ThrowErrno("cannot replace file", target);
        }
        done_ = true;
        // The old content: a spare for a later copy, or deleted. A leftover
        // is emptied by the next copy.
        if (spares_)
            spares_->Keep(path_, old, isSpare_);
        else
            ::unlink(path_.c_str());
        return true;
    }

    bool isSpare_;
    fs::path path_;
    SpareFiles* spares_;
    std::int64_t oldSize_ = 0;
    std::int64_t written_ = 0;
    int fd_ = -1;
    bool done_ = false;
};

// Reads once; -1 with errno on failure.
ssize_t ReadOnce(int in, char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(in, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

// The number of bytes copied. `size` is what the source held when opened.
std::int64_t CopyContent(int in, std::int64_t size, const fs::path& source, WorkFile& out)
{
    // A page image fits the buffer: one read and one write.
    alignas(kPage) char buffer[1 << 16];
    std::int64_t copied = ReadOnce(in, buffer, sizeof buffer);
    if (copied < 0) ThrowErrno("cannot read file", source);
    if (copied == size && copied < static_cast<std::int64_t>(sizeof buffer)) {
        out.WriteOver(buffer, static_cast<std::size_t>(copied), sizeof buffer);
        return copied;
    }
    out.WriteAll(buffer, static_cast<std::size_t>(copied));
    // The kernel copies the rest without passing it through user space.
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out.fd(), nullptr, 1 << 30, 0);
        if (n == 0) return copied;
        if (n > 0) {
            copied += n;
            out.Copied(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
        ThrowErrno("cannot copy file", source);
    }
    for (;;) {
        const ssize_t n = ReadOnce(in, buffer, sizeof buffer);
        if (n == 0) return copied;
        if (n < 0) ThrowErrno("cannot read file", source);
        out.WriteAll(buffer, static_cast<std::size_t>(n));
        copied += n;
    }
}

} // namespace

fs::path WorkFileFor(const fs::path& target)
{
    return target.parent_path() / ("." + target.filename().string() + ".rztmp");
}

void WriteFileAtomic(const fs::path& target, const std::string& content)
{
    WorkFile work(target, nullptr, {});
    work.WriteAll(content.data(), content.size());
    if (::fsync(work.fd()) != 0) ThrowErrno("cannot flush work file", WorkFileFor(target));
    work.CloseAndRename(target);
}

void CopyFileAtomic(const fs::path& source, const fs::path& target, bool keepTime, SpareFiles* spares)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) ThrowErrno("cannot open file", source);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{in};
    struct stat st {};
    if (::fstat(in, &st) != 0) ThrowErrno("cannot read file attributes", source);

    WorkFile work(target, spares, spares ? spares->TakeFor(target.parent_path(), st.st_size) : SpareFiles::Taken{});
    work.EndAt(CopyContent(in, st.st_size, source, work));
    if (keepTime) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::futimens(work.fd(), times) != 0) ThrowErrno("cannot set file time", target);
    }
    work.CloseAndRename(target);
}
