#include "FaultShim.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <mutex>

namespace {

std::atomic<int> flushError{0}, flushesToFail{0};
std::atomic<int> writeError{0}, writesAllowed{0};
std::mutex dirMutex;
std::string failingDir;

template <typename Fn>
Fn Real(const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

// True when this write should fail: its file lies below the failing dir.
bool WriteFails(int fd)
{
    if (writeError.load() == 0) return false;
    char link[PATH_MAX];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1);
    if (n <= 0) return false;
    const std::string path(link, static_cast<std::size_t>(n));
    {
        std::lock_guard lock(dirMutex);
        if (!path.starts_with(failingDir + "/")) return false;
    }
    return writesAllowed.fetch_sub(1) <= 0;
}

} // namespace

namespace faults {

void FailFlushes(int err, int times)
{
    flushesToFail = times;
    flushError = err;
}

void FailWritesBelow(const std::string& dir, int err, int allowed)
{
    {
        std::lock_guard lock(dirMutex);
        failingDir = dir;
    }
    writesAllowed = allowed;
    writeError = err;
}

void Clear()
{
    flushError = 0;
    writeError = 0;
}

} // namespace faults

extern "C" int syncfs(int fd)
{
    static const auto real = Real<int (*)(int)>("syncfs");
    const int result = real(fd);
    if (flushError.load() != 0 && flushesToFail.fetch_sub(1) > 0) {
        errno = flushError.load();
        return -1;
    }
    return result;
}

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    if (WriteFails(fd)) {
        errno = writeError.load();
        return -1;
    }
    return real(fd, data, size);
}

extern "C" ssize_t copy_file_range(int in, loff_t* inOffset, int out, loff_t* outOffset, size_t size,
                                   unsigned int flags)
{
    static const auto real = Real<ssize_t (*)(int, loff_t*, int, loff_t*, size_t, unsigned int)>("copy_file_range");
    if (WriteFails(out)) {
        errno = writeError.load();
        return -1;
    }
    return real(in, inOffset, out, outOffset, size, flags);
}
