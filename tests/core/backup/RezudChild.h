#pragma once
// rezud, the build with a kill point, run in a process of its own: how the
// kill and power-cut trials start a backup they may kill.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

// How a run of the child ended.
struct Ending {
    bool killed = false;
    int exit = -1;
    double seconds = 0;
};

// Runs the child with `args` and the environment without REZUD_ settings
// but `settings` ("NAME=value"); killed with SIGKILL after `delay` when
// given. Its output goes nowhere.
Ending RunRezudChild(const std::vector<std::string>& args, const std::vector<std::string>& settings,
                     std::optional<std::chrono::microseconds> delay);
