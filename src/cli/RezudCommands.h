#pragma once
// The commands and options rezud understands, and the one that was chosen.
#include <functional>
#include <string>

namespace CLI {
class App;
}
class CliSession;

struct RezudCommand {
    std::string name;
    std::function<int(CliSession&)> run;
};

void AddCommands(CLI::App& cli, RezudCommand& chosen);
