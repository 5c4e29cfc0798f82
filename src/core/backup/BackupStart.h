#pragma once
// What comes before a backup run: the backup path from the settings file and
// the person's consent, then the statistics walk that sizes the run.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class AppContext;

inline constexpr const char* kNoBackupPath = "Backup library path is not specified ! ";
inline constexpr const char* kNothingToBackup = "Library has no document to backup ";

// The backup path of the settings file, or the one given instead; told and
// none when there is none or the person declines. Sets gsBackupLibPath.
std::optional<std::string> ConfirmBackupPath(AppContext& app, const std::string& givenPath = "");

// The section of the backup record that the runs read and write.
inline constexpr const char* kRecordSection = "LASTBACKUP";

// The record of the last backup into a backup directory.
struct BackupRecord {
    std::string from; // the library it was made from
    std::string date; // "mm/dd/yyyy hh:mm:ss"; empty before the first run
};
std::optional<BackupRecord> ReadBackupRecord(const std::string& backupDir);
inline constexpr const char* kBackupRecordName = "Libbackup.ini";
std::string BackupRecordFile(const std::string& backupDir);
