#pragma once
// What rezud works with: its streams, whether a person is at a terminal, the
// environment, and a line typed without echo. Tests give their own.
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

struct CliIo {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool inTerminal = false;  // questions and passwords can be asked
    bool errTerminal = false; // progress can be shown
    std::function<std::optional<std::string>(const std::string& name)> env;
    std::function<std::optional<std::string>(const std::string& prompt)> readSecret;
};

// The exit codes, as scripts and monitoring read them.
namespace Exit {
inline constexpr int kDone = 0;
inline constexpr int kWarnings = 1;    // done with warnings: not everything copied, or findings
inline constexpr int kFailed = 2;      // refused or failed
inline constexpr int kBadPassword = 3; // administrator password wrong or missing
inline constexpr int kUsage = 64;      // the command line itself is wrong
} // namespace Exit

inline constexpr const char* kExitCodesHelp =
    "Exit codes:\n"
    "  0   done\n"
    "  1   done with warnings (documents or databases not copied; check findings;\n"
    "      restored files unlike the backup's manifest, or missing from the backup)\n"
    "  2   refused or failed\n"
    "  3   administrator password wrong or missing\n"
    "  64  usage error\n";
