// A kill point for rezud in the kill trials: the program's own write,
// pwrite, rename, renameat2, fsync, fdatasync, syncfs, ftruncate and unlink
// count the calls of the whole process, and with REZUD_KILL_AT=N the
// process sends itself SIGKILL instead of making the N-th. With
// REZUD_KILL_PATH only calls on a file whose path holds that text count, so
// a trial can aim at one file: a database copy, the record. With
// REZUD_OPS_FILE it writes the number of calls there when it exits, so a
// trial knows how many points a run has.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <typename Fn>
Fn Real(const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

long Setting(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::atol(value) : 0;
}

std::atomic<long> calls{0};

const char* Aim()
{
    static const char* aim = std::getenv("REZUD_KILL_PATH");
    return aim;
}

bool Aimed(const char* path) { return !Aim() || (path && std::strstr(path, Aim())); }

bool AimedFd(int fd)
{
    if (!Aim()) return true;
    char link[PATH_MAX];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1);
    if (n <= 0) return false;
    link[n] = '\0';
    return Aimed(link);
}

void Point(bool aimed)
{
    static const long killAt = Setting("REZUD_KILL_AT");
    if (aimed && ++calls == killAt) ::kill(::getpid(), SIGKILL);
}

// Tells the count at exit.
struct Count {
    ~Count()
    {
        const char* file = std::getenv("REZUD_OPS_FILE");
        if (!file) return;
        static const auto realWrite = Real<ssize_t (*)(int, const void*, size_t)>("write");
        const int fd = ::open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return;
        const std::string text = std::to_string(calls.load()) + "\n";
        realWrite(fd, text.data(), text.size());
        ::close(fd);
    }
} count;

} // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    Point(AimedFd(fd));
    return real(fd, data, size);
}

extern "C" ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    Point(AimedFd(fd));
    return real(fd, data, size, offset);
}

extern "C" ssize_t pwrite(int fd, const void* data, size_t size, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    Point(AimedFd(fd));
    return real(fd, data, size, offset);
}

extern "C" int rename(const char* from, const char* to)
{
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    Point(Aimed(from) || Aimed(to));
    return real(from, to);
}

extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags)
{
    static const auto real = Real<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    Point(Aimed(from) || Aimed(to));
    return real(fromDir, from, toDir, to, flags);
}

extern "C" int fsync(int fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    Point(AimedFd(fd));
    return real(fd);
}

extern "C" int fdatasync(int fd)
{
    static const auto real = Real<int (*)(int)>("fdatasync");
    Point(AimedFd(fd));
    return real(fd);
}

extern "C" int syncfs(int fd)
{
    static const auto real = Real<int (*)(int)>("syncfs");
    Point(AimedFd(fd));
    return real(fd);
}

extern "C" int ftruncate(int fd, off_t length)
{
    static const auto real = Real<int (*)(int, off_t)>("ftruncate");
    Point(AimedFd(fd));
    return real(fd, length);
}

extern "C" int unlink(const char* path)
{
    static const auto real = Real<int (*)(const char*)>("unlink");
    Point(Aimed(path));
    return real(path);
}
