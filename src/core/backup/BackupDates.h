#pragma once
// Dates of the backup: the record's "mm/dd/yyyy hh:mm:ss" local time, the
// databases' "YYYY-MM-DD HH:MM:SS" local time, and file times.
#include <ctime>
#include <optional>
#include <string>

// The zero date, 30 December 1899 00:00:00, before any backup.
std::time_t ZeroDate();
std::optional<std::time_t> ParseRecordDate(const std::string& text);
std::string FormatRecordDate(std::time_t when);
std::string FormatIsoDate(std::time_t when);
