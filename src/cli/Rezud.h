#pragma once
// rezud: every console command, headless. The whole program behind main, so
// a test runs a command with its own arguments, streams and program folder.
#include "cli/CliIo.h"

#include <filesystem>
#include <string>
#include <vector>

// args without the program name; the exit code.
int RunRezud(const std::vector<std::string>& args, const std::filesystem::path& programDir, CliIo& io);
