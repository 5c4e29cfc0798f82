#pragma once
// rezud offsite: the commands over the restic repository and their options.
#include "core/offsite/OffsiteConfig.h"
#include "core/offsite/OffsitePush.h"

#include <string>

namespace CLI {
class App;
} // namespace CLI
class CliSession;
struct RezudCommand;

struct OffsiteArgs {
    OffsiteOptions options;
    std::string backup; // the configured backup path when empty
    bool force = false;
    bool readData = false;
    std::string readDataSubset; // "N%"
};

int RunOffsiteInit(CliSession& s, const OffsiteArgs& a);
int RunOffsitePush(CliSession& s, const OffsiteArgs& a);
int RunOffsiteList(CliSession& s, const OffsiteArgs& a);
int RunOffsiteForget(CliSession& s, const OffsiteArgs& a);
int RunOffsiteCheck(CliSession& s, const OffsiteArgs& a);

void AddOffsiteCommands(CLI::App& cli, RezudCommand& chosen);
