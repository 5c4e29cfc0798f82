#pragma once
// restic, run as a child process with --json on one repository: the
// repository and the password file reach it through its environment, never
// its arguments, and a password set in this process's environment is not
// passed on. Its exit codes: 0 done, 1 failed, 3 a snapshot without some
// files it could not read; -1 when a signal ended it.
#include "core/offsite/OffsiteConfig.h"

#include <nlohmann/json_fwd.hpp>

#include <functional>
#include <string>
#include <vector>

struct ResticRun {
    int exitCode = -1;
    std::string reason;                 // restic's own reason for a failure, in one sentence
    std::string errorOutput;            // all it wrote there, the last 64 KiB
    std::vector<std::string> textLines; // its first lines of output that are not JSON
    bool Done() const { return exitCode == 0; }
};

using ResticMessage = std::function<void(const nlohmann::json& message)>;

class Restic {
public:
    explicit Restic(OffsiteConfig config) : config_(std::move(config)) {}
    const OffsiteConfig& Config() const { return config_; }

    // restic --json with `args`; each JSON value it prints goes to `onMessage`
    // (other lines are skipped). Throws AppError when it cannot be run.
    ResticRun Run(const std::vector<std::string>& args, const ResticMessage& onMessage = {}) const;
    // The same, but when the repository was locked, restic's unlock (which
    // removes only the stale locks: of a dead process of this host, or
    // too old) and one more try. A live lock stays and the run fails.
    ResticRun RunUnlocking(const std::vector<std::string>& args, const ResticMessage& onMessage = {}) const;

private:
    OffsiteConfig config_;
};

// The sentence of restic's error output that says why it failed: its
// "Fatal:" line without the prefix, else its first line.
std::string ResticReason(const std::string& errorOutput);
