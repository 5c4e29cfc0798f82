#include "RezudChild.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

extern char** environ;

Ending RunRezudChild(const std::vector<std::string>& args, const std::vector<std::string>& settings,
                     std::optional<std::chrono::microseconds> delay)
{
    std::vector<std::string> values = settings, arguments = args;
    std::vector<char*> envp;
    for (char** e = environ; *e; ++e)
        if (!std::string(*e).starts_with("REZUD_")) envp.push_back(*e);
    for (std::string& s : values) envp.push_back(s.data());
    envp.push_back(nullptr);
    arguments.insert(arguments.begin(), KILLABLE_REZUD);
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, KILLABLE_REZUD, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + std::string(KILLABLE_REZUD));
    if (delay) {
        std::this_thread::sleep_for(*delay);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    Ending end;
    end.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    end.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    end.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return end;
}
