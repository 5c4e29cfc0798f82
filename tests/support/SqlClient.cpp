#include "support/SqlClient.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

SqlClient::SqlClient(const std::string& file, int busyTimeoutMs, long count, const std::string& sql, int pauseMs)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) throw std::runtime_error("cannot make a pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    const std::string timeout = std::to_string(busyTimeoutMs), rounds = std::to_string(count),
                      pause = std::to_string(pauseMs);
    std::vector<char*> argv = {const_cast<char*>(SQL_CLIENT),
                               const_cast<char*>(file.c_str()),
                               const_cast<char*>(timeout.c_str()),
                               const_cast<char*>(rounds.c_str()),
                               const_cast<char*>(sql.c_str()),
                               const_cast<char*>(pause.c_str()),
                               nullptr};
    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, SQL_CLIENT, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        throw std::runtime_error("cannot start " + std::string(SQL_CLIENT));
    }
    pid_ = pid;
    out_ = pipeFds[0];
}

SqlClient::~SqlClient() { Wait(); }

int SqlClient::Wait()
{
    if (pid_ < 0) return status_;
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(out_, buffer, sizeof buffer)) != 0;)
        if (n > 0) text.append(buffer, static_cast<std::size_t>(n));
    ::close(out_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        committed_.push_back(std::stol(text.substr(start, end - start)));
    return status_;
}

void SqlClient::Stop()
{
    if (pid_ >= 0) ::kill(pid_, SIGTERM);
    Wait();
}

int SqlClientRun(const std::string& file, int busyTimeoutMs, const std::string& sql)
{
    return SqlClient(file, busyTimeoutMs, 1, sql).Wait();
}
