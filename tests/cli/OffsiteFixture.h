#pragma once
// A backup of the test library and a restic repository for it: on the
// disk, or served on 127.0.0.1 by rclone; programs started as processes
// of their own so a test can kill them.
#include "RezudFixture.h"

#include <nlohmann/json.hpp>

#include <sys/types.h>

// A process started with its output to files; killed with SIGKILL when
// still running at the end.
class Process {
public:
    Process(const std::vector<std::string>& args, const std::filesystem::path& log);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    void Kill();
    int Wait(); // the exit code; -1 when a signal ended it
    bool Running();
    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

// `rclone serve restic` over a directory, on a free port of 127.0.0.1.
class RestServer {
public:
    explicit RestServer(const std::filesystem::path& dir);
    std::string Url() const { return "rest:http://127.0.0.1:" + std::to_string(port_) + "/"; }
    void Kill() { process_->Kill(); }

private:
    int port_ = 0;
    std::unique_ptr<Process> process_;
};

class OffsiteTest : public RezudBackupTestBase {
protected:
    std::string pw = (env.root / "repo-pw").string();
    std::string repo = (env.root / "repo").string();

    void SetUp() override;
    // rezud offsite COMMAND on `repo`, with `more` arguments.
    CliResult Offsite(const std::string& command, const std::vector<std::string>& more = {});
    nlohmann::json OffsiteJson(const std::string& command, const std::vector<std::string>& more = {});
    // A plain restic on `repo`: its exit code.
    int Restic(const std::string& args);
    // A document changed and backed up again.
    void ChangeAndBackUp(const std::string& name);
};
