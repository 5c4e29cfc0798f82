#include "core/offsite/Restic.h"

#include "core/offsite/ChildProcess.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <optional>
#include <sstream>

namespace {

// restic says in text what it has no JSON for (which snapshot it restores).
constexpr std::size_t kTextLinesKept = 16;

} // namespace

ResticRun Restic::Run(const std::vector<std::string>& args, const ResticMessage& onMessage) const
{
    ChildEnvironment env;
    env.unset = {"RESTIC_PASSWORD", "RESTIC_PASSWORD_COMMAND", "RESTIC_REPOSITORY_FILE", "RESTIC_PASSWORD_FILE",
                 "RESTIC_REPOSITORY"};
    if (!config_.repository.empty()) env.set.emplace_back("RESTIC_REPOSITORY", config_.repository);
    if (!config_.passwordFile.empty()) env.set.emplace_back("RESTIC_PASSWORD_FILE", config_.passwordFile);
    std::vector<std::string> all{"--json"};
    all.insert(all.end(), args.begin(), args.end());
    // restic retries a repository that stopped answering, saying so each time.
    std::optional<std::chrono::steady_clock::time_point> retrying;
    std::string lastRetry;
    const auto onErrLine = [&](const std::string& line) {
        if (line.find("retrying after") == std::string::npos) return;
        if (!retrying) retrying = std::chrono::steady_clock::now();
        lastRetry = line;
    };
    const auto giveUp = [&] {
        return config_.giveUpSeconds > 0 && retrying &&
               std::chrono::steady_clock::now() - *retrying > std::chrono::seconds(config_.giveUpSeconds);
    };
    ResticRun run;
    const ChildOutcome outcome = RunChild(
        config_.restic, all, env,
        [&](const std::string& line) {
            if (line.empty()) return;
            if (line.front() != '{' && line.front() != '[') {
                if (run.textLines.size() < kTextLinesKept) run.textLines.push_back(line);
                return;
            }
            if (!onMessage) return;
            nlohmann::json message = nlohmann::json::parse(line, nullptr, false);
            if (!message.is_discarded()) onMessage(message);
        },
        onErrLine, giveUp);
    run.exitCode = outcome.exitCode;
    run.errorOutput = outcome.err;
    if (outcome.exitCode == 0) return run;
    if (giveUp())
        run.reason = "The repository did not answer for " + std::to_string(config_.giveUpSeconds) + " seconds (" +
                     lastRetry.substr(lastRetry.rfind(": ") + 2) + ").";
    else
        run.reason = outcome.signal ? "restic was ended by signal " + std::to_string(outcome.signal) + "."
                                    : ResticReason(outcome.err);
    return run;
}

ResticRun Restic::RunUnlocking(const std::vector<std::string>& args, const ResticMessage& onMessage) const
{
    ResticRun run = Run(args, onMessage);
    if (run.Done() || run.errorOutput.find("already locked") == std::string::npos) return run;
    if (!Run({"unlock"}).Done()) return run;
    return Run(args, onMessage);
}

std::string ResticReason(const std::string& errorOutput)
{
    std::istringstream lines(errorOutput);
    std::string fatal, first;
    for (std::string line; std::getline(lines, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line.front() == '{') continue;
        if (line.starts_with("Fatal: ") && fatal.empty()) fatal = line.substr(7);
        if (first.empty()) first = line;
    }
    std::string reason = fatal.empty() ? first : fatal;
    if (reason.empty()) return "restic failed without saying why.";
    reason[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0])));
    if (reason.back() != '.') reason += '.';
    return reason;
}
