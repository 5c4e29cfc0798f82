#include "FaultShim.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <mutex>

namespace {

using faults::Op;

std::atomic<int> flushError{0}, flushesToFail{0};

// One rule an operation: the directory it watches, how many calls below it
// pass before they fail, and how many there were.
struct Rule {
    std::atomic<bool> on{false};
    std::atomic<int> error{0}, allowed{0}, calls{0};
    std::string dir;
};
std::array<Rule, 5> rules;
std::mutex dirMutex;

Rule& RuleOf(Op op) { return rules[static_cast<std::size_t>(op)]; }

template <typename Fn>
Fn Real(const char* name)
{
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

std::string PathOfFd(int fd)
{
    char link[PATH_MAX];
    const ssize_t n = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), link, sizeof link - 1);
    return n > 0 ? std::string(link, static_cast<std::size_t>(n)) : std::string();
}

// A name as given to a call relative to `dirFd`, made absolute.
std::string PathAt(int dirFd, const char* name)
{
    if (name[0] == '/') return name;
    if (dirFd != AT_FDCWD) return PathOfFd(dirFd) + "/" + name;
    char cwd[PATH_MAX];
    return ::getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + name : std::string(name);
}

bool Below(const Rule& rule, const std::string& path)
{
    std::lock_guard lock(dirMutex);
    return path == rule.dir || path.starts_with(rule.dir + "/");
}

// 0, or the errno this call below the watched directory must fail with.
int Failure(Op op, const std::string& path, const std::string& other = {})
{
    Rule& rule = RuleOf(op);
    if (!rule.on.load() || !(Below(rule, path) || (!other.empty() && Below(rule, other)))) return 0;
    ++rule.calls;
    const int err = rule.error.load();
    return err != 0 && rule.allowed.fetch_sub(1) <= 0 ? err : 0;
}

int FdFailure(Op op, int fd) { return RuleOf(op).on.load() ? Failure(op, PathOfFd(fd)) : 0; }

// The real call, or -1 with the errno planned for `op` on `fd`.
template <typename Fn, typename... Args>
auto FailOrCall(Fn real, Op op, int fd, Args... args)
{
    if (const int err = FdFailure(op, fd)) {
        errno = err;
        return static_cast<decltype(real(args...))>(-1);
    }
    return real(args...);
}

} // namespace

namespace faults {

void FailBelow(Op op, const std::string& dir, int err, int allowed)
{
    Rule& rule = RuleOf(op);
    rule.on = false;
    {
        std::lock_guard lock(dirMutex);
        rule.dir = dir;
    }
    rule.allowed = allowed;
    rule.calls = 0;
    rule.error = err;
    rule.on = true;
}

int CallsBelow(Op op) { return RuleOf(op).calls.load(); }

void FailFlushes(int err, int times)
{
    flushesToFail = times;
    flushError = err;
}

void FailWritesBelow(const std::string& dir, int err, int allowed) { FailBelow(Op::Write, dir, err, allowed); }

void Clear()
{
    flushError = 0;
    for (Rule& rule : rules) rule.on = false;
}

} // namespace faults

extern "C" int syncfs(int fd)
{
    static const auto real = Real<int (*)(int)>("syncfs");
    if (const int err = FdFailure(Op::Syncfs, fd)) {
        errno = err;
        return -1;
    }
    const int result = real(fd);
    if (flushError.load() != 0 && flushesToFail.fetch_sub(1) > 0) {
        errno = flushError.load();
        return -1;
    }
    return result;
}

extern "C" int fsync(int fd)
{
    static const auto real = Real<int (*)(int)>("fsync");
    return FailOrCall(real, Op::Fsync, fd, fd);
}

extern "C" int fdatasync(int fd)
{
    static const auto real = Real<int (*)(int)>("fdatasync");
    return FailOrCall(real, Op::Fsync, fd, fd);
}

extern "C" ssize_t write(int fd, const void* data, size_t size)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t)>("write");
    return FailOrCall(real, Op::Write, fd, fd, data, size);
}

extern "C" ssize_t pwrite64(int fd, const void* data, size_t size, off64_t offset)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t, off64_t)>("pwrite64");
    return FailOrCall(real, Op::Pwrite, fd, fd, data, size, offset);
}

extern "C" ssize_t pwrite(int fd, const void* data, size_t size, off_t offset)
{
    static const auto real = Real<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite");
    return FailOrCall(real, Op::Pwrite, fd, fd, data, size, offset);
}

extern "C" int rename(const char* from, const char* to)
{
    static const auto real = Real<int (*)(const char*, const char*)>("rename");
    if (RuleOf(Op::Rename).on.load())
        if (const int err = Failure(Op::Rename, PathAt(AT_FDCWD, from), PathAt(AT_FDCWD, to))) {
            errno = err;
            return -1;
        }
    return real(from, to);
}

extern "C" int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned int flags)
{
    static const auto real = Real<int (*)(int, const char*, int, const char*, unsigned int)>("renameat2");
    if (RuleOf(Op::Rename).on.load())
        if (const int err = Failure(Op::Rename, PathAt(fromDir, from), PathAt(toDir, to))) {
            errno = err;
            return -1;
        }
    return real(fromDir, from, toDir, to, flags);
}
