#include "core/offsite/ChildProcess.h"

#include "core/base/AppError.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

extern char** environ;

namespace {

constexpr std::size_t kErrKept = 64 * 1024;

[[noreturn]] void Fail(const std::string& what, int err) { throw AppError(err, what + ": " + std::strerror(err)); }

// Closes what it holds when it goes; -1 holds nothing.
struct Fd {
    int fd = -1;
    ~Fd() { Close(); }
    void Close()
    {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

void MakePipe(Fd& read, Fd& write)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) Fail("cannot make a pipe", errno);
    read.fd = fds[0];
    write.fd = fds[1];
}

std::vector<std::string> EnvironmentOf(const ChildEnvironment& env)
{
    std::map<std::string, std::string> vars;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry = *e;
        const auto eq = entry.find('=');
        if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    for (const std::string& name : env.unset) vars.erase(name);
    for (const auto& [name, value] : env.set) vars[name] = value;
    std::vector<std::string> out;
    for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
    return out;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> p;
    for (std::string& t : texts) p.push_back(t.data());
    p.push_back(nullptr);
    return p;
}

// In the child, between fork and exec: async-signal-safe calls only. An
// exec that fails writes its errno into `report`.
[[noreturn]] void BecomeChild(const char* program, char** argv, char** envp, int in, int out, int err, int report,
                              pid_t parent)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127); // the parent is already gone
    ::signal(SIGPIPE, SIG_DFL);
    if (::dup2(in, 0) >= 0 && ::dup2(out, 1) >= 0 && ::dup2(err, 2) >= 0) ::execve(program, argv, envp);
    const int e = errno;
    [[maybe_unused]] const ssize_t n = ::write(report, &e, sizeof e);
    ::_exit(127);
}

struct Handlers {
    const LineHandler& onLine;
    const LineHandler& onErrLine;
    const std::function<bool()>& stop;
};

// Passes on the whole lines gathered in `pending`.
void Lines(std::string& pending, const LineHandler& handler)
{
    for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos; pending.erase(0, nl + 1))
        if (handler) handler(pending.substr(0, nl));
}

// Reads both pipes to their ends: lines to the handlers, the error output
// kept. False when `stop` said to stop.
bool Drain(int out, int err, const Handlers& h, std::string& errText)
{
    std::string pending, pendingErr;
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    char buffer[65536];
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (h.stop && h.stop()) return false;
        const int ready = ::poll(fds, 2, 250);
        if (ready < 0) {
            if (errno == EINTR) continue;
            Fail("cannot wait for restic's output", errno);
        }
        for (pollfd& p : fds) {
            if (p.fd < 0 || p.revents == 0) continue;
            const ssize_t n = ::read(p.fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) Fail("cannot read restic's output", errno);
            if (n == 0) {
                p.fd = -1;
                continue;
            }
            if (&p == &fds[1]) {
                errText.append(buffer, static_cast<std::size_t>(n));
                if (errText.size() > kErrKept) errText.erase(0, errText.size() - kErrKept);
                pendingErr.append(buffer, static_cast<std::size_t>(n));
                Lines(pendingErr, h.onErrLine);
                continue;
            }
            pending.append(buffer, static_cast<std::size_t>(n));
            Lines(pending, h.onLine);
        }
    }
    if (!pending.empty() && h.onLine) h.onLine(pending);
    return true;
}

ChildOutcome Wait(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) Fail("cannot wait for restic", errno);
    ChildOutcome outcome;
    if (WIFEXITED(status)) outcome.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
    return outcome;
}

} // namespace

ChildOutcome RunChild(const std::string& program, const std::vector<std::string>& args, const ChildEnvironment& env,
                      const LineHandler& onLine, const LineHandler& onErrLine, const std::function<bool()>& stop)
{
    std::vector<std::string> argTexts{program};
    argTexts.insert(argTexts.end(), args.begin(), args.end());
    std::vector<std::string> envTexts = EnvironmentOf(env);
    std::vector<char*> argv = Pointers(argTexts), envp = Pointers(envTexts);
    Fd in, outRead, outWrite, errRead, errWrite, reportRead, reportWrite;
    if ((in.fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) < 0) Fail("cannot open /dev/null", errno);
    MakePipe(outRead, outWrite);
    MakePipe(errRead, errWrite);
    MakePipe(reportRead, reportWrite);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) Fail("cannot start " + program, errno);
    if (pid == 0)
        BecomeChild(program.c_str(), argv.data(), envp.data(), in.fd, outWrite.fd, errWrite.fd, reportWrite.fd, parent);
    outWrite.Close();
    errWrite.Close();
    reportWrite.Close();
    std::string errText;
    try {
        if (!Drain(outRead.fd, errRead.fd, {onLine, onErrLine, stop}, errText)) ::kill(pid, SIGKILL);
    } catch (...) {
        ::kill(pid, SIGKILL);
        Wait(pid);
        throw;
    }
    ChildOutcome outcome = Wait(pid);
    int execErr = 0;
    if (::read(reportRead.fd, &execErr, sizeof execErr) == static_cast<ssize_t>(sizeof execErr))
        Fail("cannot run " + program, execErr);
    outcome.err = std::move(errText);
    return outcome;
}

std::string FindOnPath(const std::string& name, const std::string& path)
{
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find(':', start), path.size());
        const std::string dir = end > start ? path.substr(start, end - start) : ".";
        const std::string candidate = dir + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}
