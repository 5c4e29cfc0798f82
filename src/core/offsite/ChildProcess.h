#pragma once
// A program run as a child process with pipes: its standard output read
// line by line as it comes, its error output kept for the reason of a
// failure, nothing on its standard input. The child dies with the process
// that started it, so a killed rezud leaves no restic working behind.
#include <functional>
#include <string>
#include <utility>
#include <vector>

struct ChildEnvironment {
    std::vector<std::pair<std::string, std::string>> set; // name, value
    std::vector<std::string> unset;
};

struct ChildOutcome {
    int exitCode = -1; // -1 when a signal ended it
    int signal = 0;
    std::string err; // what it wrote to its error output, the last 64 KiB
};

using LineHandler = std::function<void(const std::string& line)>;

// Runs `program` (a path) with `args` and this process's environment
// changed as `env` says; each line of its standard output goes to `onLine`,
// each of its error output to `onErrLine`. When `stop` (asked at each line
// and every quarter second) says so, the child is killed.
// Throws AppError (with the errno) when it cannot be started or read.
ChildOutcome RunChild(const std::string& program, const std::vector<std::string>& args, const ChildEnvironment& env,
                      const LineHandler& onLine, const LineHandler& onErrLine = {},
                      const std::function<bool()>& stop = {});

// The executable `name` on `path` (a PATH value), or empty.
std::string FindOnPath(const std::string& name, const std::string& path);
