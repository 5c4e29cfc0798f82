#include "core/backup/RestoreMismatches.h"

#include "core/common/AtomicFile.h"
#include "core/common/Commons.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <system_error>

namespace {

[[noreturn]] void Fail(const std::string& what, const std::string& file)
{
    throw TargetError(what, file, std::error_code(errno, std::generic_category()));
}

} // namespace

RestoreMismatches::RestoreMismatches(const std::string& dir) : dir_(dir), file_(dir + "/" + kRestoreMismatchesName)
{
    if (!IsPlainFile(file_)) return;
    std::ifstream in(file_, std::ios::binary);
    if (!in) Fail("cannot read mismatch list", file_);
    std::string kept, line;
    while (std::getline(in, line))
        if (!line.empty() && IsPlainFile(dir_ + "/" + line)) {
            kept += line + "\n";
            listed_.Add(line);
        }
    if (in.bad()) Fail("cannot read mismatch list", file_);
    WriteFileAtomic(file_, kept);
}

RestoreMismatches::~RestoreMismatches()
{
    if (fd_ >= 0) ::close(fd_);
}

// A new list's name is flushed with the directory.
void RestoreMismatches::Open()
{
    const bool made = !IsPlainFile(file_);
    fd_ = ::open(file_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) Fail("cannot open mismatch list", file_);
    if (made) FlushDirectory(dir_);
}

void RestoreMismatches::Add(const std::string& path)
{
    if (fd_ < 0) Open();
    const std::string line = path + "\n";
    for (std::size_t done = 0; done < line.size();) {
        const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("cannot write mismatch list", file_);
        done += static_cast<std::size_t>(n);
    }
    // On the disk before the file may take its name: a moved file waits
    // for no flush.
    if (::fdatasync(fd_) != 0) Fail("cannot flush mismatch list", file_);
    listed_.Add(path);
}
