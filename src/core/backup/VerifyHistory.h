#pragma once
// The last verify of each backup directory, kept in the user's state
// directory, never in the backup, which a verify only reads. Both front
// ends record it there, so the console shows the verify the nightly job
// ran as well as its own.
#include "core/backup/VerifyReport.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// $XDG_STATE_HOME/rezudizid, or ~/.local/state/rezudizid; empty when the
// environment names neither as an absolute path.
std::filesystem::path UserStateDir(const std::function<std::optional<std::string>(const std::string&)>& env);

inline constexpr const char* kVerifyNotRecorded = "The verify could not be recorded for the console: ";

struct LastVerify {
    std::string date;       // when it ran, "mm/dd/yyyy hh:mm:ss"
    long long days = 0;     // whole days since, at `now`
    std::string backupDate; // the record's date of the backup it verified
    std::string result;     // "whole", "findings" or "incomplete"
    std::int64_t findings = 0;
    std::string readData; // as the report had it
};

// Records the verify of `report.backup` that ended at `now`, replacing the
// one before; a verify that never reached a backup is not recorded. False
// with the reason in *why when it could not be written.
bool RecordVerify(const std::filesystem::path& stateDir, const VerifyReport& report, std::time_t now,
                  std::string* why = nullptr);
// The last verify of `backup`; none when none was recorded.
std::optional<LastVerify> LastVerifyOf(const std::filesystem::path& stateDir, const std::string& backup,
                                       std::time_t now);
// "Last verify: 12/08/2026 02:00:00, 1 day ago" and its result with what to
// do, on short lines; `backupDate` is the backup's record date now.
std::string LastVerifyLine(const LastVerify& last, const std::string& backupDate);
