#include "cli/Rezud.h"

#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "cli/RezudCommands.h"
#include "core/base/MyErrHandler.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <ostream>

namespace {

void AddGlobalOptions(CLI::App& cli, GlobalOptions& g)
{
    cli.add_option("--library", g.library, "Work on this library for this command only; the settings file is kept")
        ->transform(AbsolutePath());
    cli.add_option("--password-file", g.passwordFile,
                   "Read the administrator password from the first line of this file "
                   "(or set REZUD_ADMIN_PASSWORD, or type it at a terminal)");
    cli.add_option("--metrics", g.metrics,
                   "Write the run's metrics into FILE, Prometheus text format for node_exporter's textfile "
                   "collector; the other commands' series in it are kept")
        ->transform(AbsolutePath());
    cli.add_flag("--json", g.json, "Print one JSON object: what was done, its counts and every message");
    cli.add_flag("-y,--yes", g.yes, "Answer yes to every question; without a terminal a question is refused");
}

int Usage(CLI::App& cli, const CLI::ParseError& e, CliIo& io)
{
    const int code = cli.exit(e, io.out, io.err);
    return code == 0 ? Exit::kDone : Exit::kUsage;
}

} // namespace

int RunRezud(const std::vector<std::string>& args, const std::filesystem::path& programDir, CliIo& io)
{
    CLI::App cli{"rezud: the administration of a Vellarch document library, headless", "rezud"};
    cli.footer(kExitCodesHelp);
    cli.fallthrough();
    cli.require_subcommand(1);
    GlobalOptions global;
    AddGlobalOptions(cli, global);
    RezudCommand chosen;
    AddCommands(cli, chosen);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        cli.parse(reversed);
    } catch (const CLI::ParseError& e) {
        return Usage(cli, e, io);
    }
    const auto started = std::chrono::steady_clock::now();
    CliSession session(io, programDir, global, chosen.name);
    int code = Exit::kFailed;
    Trapped(session.Prompter(), ("rezud " + chosen.name).c_str(), [&] { code = chosen.run(session); });
    code =
        session.WriteMetrics(code, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    return session.Finish(code);
}
