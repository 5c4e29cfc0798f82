#include "core/common/AtomicFile.h"

#include "core/common/Sha256.h"
#include "core/common/SpareFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPage = 4096;
// Files larger than a page image are read and written in these.
constexpr std::size_t kPourBuffer = std::size_t{1} << 18;

std::error_code LastError() { return std::error_code(errno, std::generic_category()); }

[[noreturn]] void ThrowErrno(const std::string& what, const fs::path& p)
{
    throw fs::filesystem_error(what, p, LastError());
}

[[noreturn]] void ThrowTarget(const std::string& what, const fs::path& p) { throw TargetError(what, p, LastError()); }

// Closes the descriptor and removes the work file unless it was kept. A
// spare is written over rather than emptied first, and cut to length at the
// end: emptying it would give its blocks back only to take new ones.
class WorkFile {
public:
    WorkFile(fs::path path, bool overSpare, std::int64_t oldSize)
        : overSpare_(overSpare), path_(std::move(path)), oldSize_(oldSize)
    {
        const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (overSpare_ ? 0 : O_TRUNC);
        fd_ = ::open(path_.c_str(), flags, 0644);
        // A link under the work file's name is not followed but removed.
        if (fd_ < 0 && errno == ELOOP && ::unlink(path_.c_str()) == 0) fd_ = ::open(path_.c_str(), flags, 0644);
        if (fd_ < 0) ThrowTarget("cannot create work file", path_);
    }
    ~WorkFile()
    {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(path_.c_str());
    }
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;

    int fd() const { return fd_; }
    const fs::path& Path() const { return path_; }
    // Cuts off what is left beyond `length` bytes: a spare's earlier
    // content, whatever its length now, or the padding of the last page.
    void EndAt(std::int64_t length)
    {
        if ((overSpare_ || written_ > length) && ::ftruncate(fd_, length) != 0)
            ThrowTarget("cannot write work file", path_);
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
                ThrowTarget("cannot write work file", path_);
            }
            data += n;
            size -= static_cast<std::size_t>(n);
            written_ += n;
        }
    }
    void SetTimes(const struct stat& st)
    {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::futimens(fd_, times) != 0) ThrowTarget("cannot set file time", path_);
    }
    void Flush()
    {
        if (::fsync(fd_) != 0) ThrowTarget("cannot flush work file", path_);
    }
    // Closes the file and keeps it; its name.
    fs::path Close()
    {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) ThrowTarget("cannot close work file", path_);
        kept_ = true;
        return path_;
    }

private:
    bool overSpare_;
    fs::path path_;
    std::int64_t oldSize_ = 0;
    std::int64_t written_ = 0;
    int fd_ = -1;
    bool kept_ = false;
};

// Puts the closed work file under the target's name. An existing target is
// swapped with it and the old content then set aside: as atomic as a rename
// over it, but ext4 does not start writing the new file back on its own, so
// a run of many replacements leaves the writeback to one flush. A spare
// written over in another directory is swapped from there: the old content
// takes the spare's name.
void Install(const fs::path& work, const fs::path& target, SpareFiles* spares, bool moved = false)
{
    const auto drop = [&] {
        if (!moved) ::unlink(work.c_str());
    };
    // A moved file keeps nothing of what it replaces: a plain rename does.
    struct stat old {};
    if (!moved && ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::renameat2(AT_FDCWD, work.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
            // The old content, now under the work file's name.
            if (spares)
                spares->Keep(work, old, true);
            else
                ::unlink(work.c_str());
            return;
        }
        if (errno != ENOENT && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
            const std::error_code err = LastError();
            drop();
            throw TargetError("cannot replace file", target, err);
        }
    }
    if (::rename(work.c_str(), target.c_str()) != 0) {
        const std::error_code err = LastError();
        drop();
        throw TargetError("cannot replace file", target, err);
    }
}

// Reads once; -1 with errno on failure.
ssize_t ReadOnce(int in, char* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(in, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

using Reader = std::function<std::size_t(char*, std::size_t, std::int64_t)>;

// Writes what `read` gives from offset `from` on, until it gives nothing,
// each byte passing through `sha` on its way; the offset reached.
// The buffer is on the stack: one on the heap of each copying thread would
// stay there after its first large file, a megabyte a thread.
std::int64_t Pour(const Reader& read, std::int64_t from, WorkFile& out, Sha256& sha)
{
    alignas(kPage) char buffer[kPourBuffer];
    for (std::int64_t at = from;;) {
        const std::size_t n = read(buffer, sizeof buffer, at);
        if (n == 0) return at;
        sha.Update(buffer, n);
        out.WriteAll(buffer, n);
        at += static_cast<std::int64_t>(n);
    }
}

// The number of bytes copied, each passing through `sha` on its way. `size`
// is what the source held when opened.
std::int64_t CopyContent(int in, std::int64_t size, const fs::path& source, WorkFile& out, Sha256& sha)
{
    // A page image fits the buffer: one read and one write.
    alignas(kPage) char buffer[1 << 16];
    std::int64_t copied = ReadOnce(in, buffer, sizeof buffer);
    if (copied < 0) ThrowErrno("cannot read file", source);
    sha.Update(buffer, static_cast<std::size_t>(copied));
    if (copied == size && copied < static_cast<std::int64_t>(sizeof buffer)) {
        out.WriteOver(buffer, static_cast<std::size_t>(copied), sizeof buffer);
        return copied;
    }
    out.WriteAll(buffer, static_cast<std::size_t>(copied));
    if (copied == 0) return 0;
    return Pour(
        [&](char* into, std::size_t room, std::int64_t) {
            const ssize_t n = ReadOnce(in, into, room);
            if (n < 0) ThrowErrno("cannot read file", source);
            return static_cast<std::size_t>(n);
        },
        copied, out, sha);
}

class Source {
public:
    // A link is followed only when `followLink`; anything but a plain file
    // is refused before it is read (opening a pipe would wait for a writer).
    Source(const fs::path& path, bool followLink) : path_(path)
    {
        fd_ = OpenForReading(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLink ? 0 : O_NOFOLLOW));
        if (fd_ < 0) ThrowErrno("cannot open file", path);
        if (::fstat(fd_, &st_) != 0) ThrowErrno("cannot read file attributes", path);
        if (!S_ISREG(st_.st_mode))
            throw fs::filesystem_error("not a plain file", path, std::make_error_code(std::errc::invalid_argument));
    }
    ~Source() { ::close(fd_); }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    CopiedContent CopyInto(WorkFile& work, bool keepTime)
    {
        Sha256 sha;
        CopiedContent content;
        content.size = CopyContent(fd_, st_.st_size, path_, work, sha);
        work.EndAt(content.size);
        content.sha256 = sha.Hex();
        if (keepTime) work.SetTimes(st_);
        content.mtimeNs = static_cast<std::int64_t>(st_.st_mtim.tv_sec) * 1000000000 + st_.st_mtim.tv_nsec;
        return content;
    }
    std::int64_t Size() const { return st_.st_size; }

private:
    fs::path path_;
    int fd_ = -1;
    struct stat st_ {};
};

} // namespace

fs::path WorkFileFor(const fs::path& target)
{
    return target.parent_path() / ("." + target.filename().string() + std::string(kWorkSuffix));
}

bool IsWorkFileName(const std::string& name) { return name.starts_with(".") && name.ends_with(kWorkSuffix); }

void FlushDirectory(const fs::path& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) ThrowTarget("cannot open directory", dir);
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (err != 0 && err != EINVAL)
        throw TargetError("cannot flush directory", dir, std::error_code(err, std::generic_category()));
}

void FlushDirectoryOf(const fs::path& path)
{
    const fs::path dir = path.parent_path();
    FlushDirectory(dir.empty() ? fs::path(".") : dir);
}

void WriteFileAtomic(const fs::path& target, const std::string& content)
{
    WorkFile work(WorkFileFor(target), false, 0);
    work.WriteAll(content.data(), content.size());
    work.Flush();
    Install(work.Close(), target, nullptr);
    FlushDirectoryOf(target);
}

CopiedContent CopyFileAtomic(const fs::path& source, const fs::path& target, bool keepTime)
{
    Source in(source, true);
    WorkFile work(WorkFileFor(target), false, 0);
    CopiedContent content = in.CopyInto(work, keepTime);
    if (!keepTime) content.mtimeNs = 0;
    work.Flush();
    Install(work.Close(), target, nullptr);
    FlushDirectoryOf(target);
    return content;
}

PendingCopy WriteCopy(const fs::path& source, const fs::path& target, SpareFiles& spares)
{
    Source in(source, false);
    const fs::path dir = target.parent_path();
    SpareFiles::Taken spare = spares.TakeFor(dir, in.Size());
    const bool overSpare = !spare.path.empty();
    WorkFile work(overSpare ? std::move(spare.path) : spares.NewName(dir), overSpare, spare.size);
    CopiedContent content = in.CopyInto(work, true);
    return {work.Close(), target, std::move(content)};
}

fs::path WriteWorkFile(const fs::path& target, const Reader& read, CopiedContent& written)
{
    WorkFile work(WorkFileFor(target), false, 0);
    Sha256 sha;
    written = {};
    written.size = Pour(read, 0, work, sha);
    written.sha256 = sha.Hex();
    return work.Close();
}

PendingCopy ReadForMove(const fs::path& source, const fs::path& target)
{
    const FileDigest digest = DigestOfFile(source);
    PendingCopy move{source, target, {digest.size, digest.mtimeNs, digest.sha256}};
    move.moved = true;
    return move;
}

void InstallCopy(const PendingCopy& copy, SpareFiles& spares) { Install(copy.work, copy.target, &spares, copy.moved); }

void DiscardCopy(const PendingCopy& copy) noexcept
{
    if (!copy.moved) ::unlink(copy.work.c_str());
}

int OpenForReading(const fs::path& path, int flags)
{
    const int fd = ::open(path.c_str(), flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM) return fd;
    return ::open(path.c_str(), flags);
}
