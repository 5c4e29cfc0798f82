#pragma once
// The commands and options rezud understands, and the one that was chosen.
#include <functional>
#include <string>

namespace CLI {
class App;
class Validator;
} // namespace CLI
class CliSession;

struct RezudCommand {
    std::string name;
    std::function<int(CliSession&)> run;
};

void AddCommands(CLI::App& cli, RezudCommand& chosen);

// Turns a path given on the command line into the absolute one, as the
// settings file and the backup record hold paths.
const CLI::Validator& AbsolutePath();
