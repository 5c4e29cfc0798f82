// rezud: the administration of a Vellarch document library from the command line.
#include "cli/Rezud.h"
#include "core/data/Connection.h"

#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

namespace {

std::optional<std::string> Environment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// A line typed at the terminal without echo: a password never shows.
std::optional<std::string> ReadSecret(const std::string& prompt)
{
    std::cerr << prompt << std::flush;
    termios saved{};
    const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string line;
    const bool read = static_cast<bool>(std::getline(std::cin, line));
    if (terminal) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::cerr << '\n';
    return read ? std::optional<std::string>(line) : std::nullopt;
}

std::filesystem::path ProgramDir(const char* argv0)
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path();
    return std::filesystem::absolute(argv0).parent_path();
}

} // namespace

int main(int argc, char** argv)
{
    SetUpSqlite();
    CliIo io{std::cin,    std::cout, std::cerr, isatty(STDIN_FILENO) != 0, isatty(STDERR_FILENO) != 0,
             Environment, ReadSecret};
    const std::vector<std::string> args(argv + 1, argv + argc);
    return RunRezud(args, ProgramDir(argv[0]), io);
}
