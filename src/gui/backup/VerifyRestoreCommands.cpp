// The console's Verify Backup and Restore Library: neither needs the login,
// as on the command line; verify reads the backup alone.
#include "core/backup/BackupStart.h"
#include "core/backup/BackupVerify.h"
#include "core/library/LibSelection.h"
#include "core/library/Library.h"
#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/backup/LibRestore.h"
#include "gui/backup/LibVerify.h"

namespace {

// As Select Library with the restored directory, the backup path kept.
bool MakeActive(LibAdminMain& console, const std::string& dir)
{
    AppContext& app = console.App();
    if (SaveLibPaths(app, dir, ReadLibPaths(app).backupPath) != LibPathField::None) return false;
    ForgetActiveLibrary(console);
    console.RefreshLibStatus(LoadActiveLibrary(app) ? app.state.gsActiveLibPath : std::string());
    return true;
}

} // namespace

void RunVerifyBackup(LibAdminMain& console)
{
    AppContext& app = console.App();
    const std::string backup = ConfiguredBackupPath(app.state.settings);
    if (backup.empty()) {
        app.prompter.MsgBox(kNoBackupPath, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    LibVerify dialog(console.Ui(), backup, &console);
    console.Ui().dialogs.Run(dialog);
}

void RunRestoreLib(LibAdminMain& console)
{
    LibRestore dialog(
        console.Ui(), ReadLibPaths(console.App()).backupPath,
        [&console](const std::string& dir) { return MakeActive(console, dir); }, &console);
    console.Ui().dialogs.Run(dialog);
}
