#pragma once
// One run of one rezud command: the program's context with the command-line
// prompter, the gates the console runs before the same command, and the
// report (text, or one JSON object) with the exit code.
#include "cli/CliIo.h"
#include "cli/CliPrompter.h"
#include "core/app/AppContext.h"
#include "core/app/CommandRules.h"
#include "core/common/MetricsFile.h"
#include "core/common/Text.h"

#include <nlohmann/json.hpp>

#include <optional>

#include <cstdint>
#include <filesystem>
#include <numeric>
#include <string>

struct GlobalOptions {
    std::string library;      // instead of the configured one, for this command only
    std::string passwordFile; // the administrator's password
    std::string metrics;      // the Prometheus text file the run's metrics go into
    bool json = false;
    bool yes = false;
};

// The first line of a file that holds a password, without its line end; none
// when the file cannot be read.
std::optional<std::string> ReadPasswordFile(const std::string& file);

class CliSession {
public:
    CliSession(CliIo& io, const std::filesystem::path& programDir, const GlobalOptions& options, std::string command);

    AppContext& App() { return app_; }
    CliPrompter& Prompter() { return prompter_; }
    CliIo& Io() { return io_; }
    const GlobalOptions& Options() const { return options_; }
    // What the command reports in its JSON object besides its messages.
    nlohmann::json& Result() { return result_; }

    // The gates of the console's command: the active library, the
    // administrator's login, questions that need an answer, the shared-use
    // warning. The exit code when a gate refused, else none.
    std::optional<int> Open(const CommandRule& rule, bool asks = false);
    // Makes the library of --library or of the settings file the active one;
    // false (told, when asked to) when there is none.
    bool LoadLibrary(bool tell = true);
    // The exit code after a question came where nobody could answer it.
    int Outcome(int code) const { return prompter_.Unanswered() ? Exit::kFailed : code; }

    // What the command counted, for its metrics ("documents_copied").
    void Count(const std::string& name, double value) { metrics_.counts[name] = value; }
    void OffsitePushAt(double when) { metrics_.offsitePushAt = when; }
    // Writes the run's metrics into the file of --metrics, when given; the
    // exit code, 2 at least when that failed.
    int WriteMetrics(int code, double durationSeconds);
    // Prints the JSON object when asked for; the exit code unchanged.
    int Finish(int code);

    // Walk progress on a terminal only, never into a log.
    bool ShowsProgress() const { return io_.errTerminal && !options_.json; }
    // "stage: done of total" on one line of the terminal, as ShowsProgress
    // allows; EndProgress ends that line.
    void StageProgress(const std::string& stage, std::int64_t done, std::int64_t total);
    void EndProgress();

    // Why a run ends with warnings (exit 1), in one line: Finish puts it on
    // stderr, where a scheduled run's mail shows it.
    void Warn(std::string why) { why_ = std::move(why); }

    // A read-only report, as JSON under `key` or as text; exit 2, told on
    // stderr as `notRun` and the first reason, when it could not be made
    // whole; 1 with findings.
    template <typename Findings, typename Json, typename Text>
    int Report(const char* key, const Findings& report, Json renderJson, Text renderText, const std::string& notRun)
    {
        Count("findings",
              static_cast<double>(std::accumulate(report.counts.begin(), report.counts.end(), std::int64_t{0})));
        if (options_.json)
            result_[key] = nlohmann::json::parse(renderJson(report, -1));
        else
            prompter_.Say(renderText(report));
        if (report.Failed()) {
            prompter_.Tell(notRun + ": " + report.errors.front(), MsgIcon::Critical);
            return Exit::kFailed;
        }
        if (!report.HasFindings()) return Exit::kDone;
        Warn(CountOf(std::accumulate(report.counts.begin(), report.counts.end(), 0LL), "finding") + ": see the report");
        return Exit::kWarnings;
    }

private:
    // The environment variable's value, none when unset.
    std::optional<std::string> Env(const std::string& name) const;
    bool Login();
    std::optional<std::string> Password();

    CliIo& io_;
    GlobalOptions options_;
    std::string command_;
    CliPrompter prompter_;
    AppContext app_;
    std::string why_;
    nlohmann::json result_ = nlohmann::json::object();
    CommandMetrics metrics_;
};
