#include "core/backup/BackupStart.h"

#include "core/app/AppContext.h"
#include "core/common/Commons.h"

#include <filesystem>

std::optional<std::string> ConfirmBackupPath(AppContext& app, const std::string& givenPath)
{
    const std::string backPath = givenPath.empty() ? GetIniString("LIB", "Backpath", app.state.settings) : givenPath;
    if (backPath.empty()) {
        app.prompter.MsgBox(kNoBackupPath, MsgButtons::Ok, MsgIcon::Exclamation);
        return std::nullopt;
    }
    app.state.gsBackupLibPath = backPath;
    if (app.prompter.MsgBox("Backup current active document library to path " + backPath + " ? ", MsgButtons::YesNo,
                            MsgIcon::Question) != MsgAnswer::Yes)
        return std::nullopt;
    return backPath;
}

std::string BackupRecordFile(const std::string& backupDir) { return backupDir + "/" + kBackupRecordName; }

std::optional<BackupRecord> ReadBackupRecord(const std::string& backupDir)
{
    const std::string file = BackupRecordFile(backupDir);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
    return BackupRecord{GetIniString(kRecordSection, "FROM", file), GetIniString(kRecordSection, "DATE", file)};
}
