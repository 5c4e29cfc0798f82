#pragma once
// The metrics of rezud's commands for node_exporter's textfile collector:
// Prometheus text format, one series of each metric per command (the label
// `command`), so one file gathers every command a job runs and one alert
// rule covers them all. A command rewrites its own series and keeps those
// of the others, and its last success when this run failed. The file is
// replaced whole (written beside, flushed, renamed over), under a lock on
// its directory so two commands never lose each other's series.
#include <filesystem>
#include <map>
#include <optional>
#include <string>

// One run of one command.
struct CommandMetrics {
    std::string command; // "backup", "offsite push", "nightly"
    int exitCode = 0;
    double endedAt = 0; // seconds since 1970
    double durationSeconds = 0;
    // What the command counted: "documents_copied", "documents_owed", "findings".
    std::map<std::string, double> counts;
    // When the backup was last copied offsite, when this run knows it.
    std::optional<double> offsitePushAt;
};

// Whether an exit code counts as the command's success: it did its work,
// warnings included (those have their own metrics).
inline bool MetricsSuccess(int exitCode) { return exitCode == 0 || exitCode == 1; }

// Puts `run` into `file`. Throws std::filesystem::filesystem_error (a
// TargetError for the writing) when it cannot; the old file stays whole.
void UpdateMetricsFile(const std::filesystem::path& file, const CommandMetrics& run);

// The file's text with `run` put in; `old` is the file's text before.
std::string MergeMetrics(const std::string& old, const CommandMetrics& run);
