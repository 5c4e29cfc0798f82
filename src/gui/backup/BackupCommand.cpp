#include "core/backup/BackupStart.h"
#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/backup/LibBackup.h"

void RunPublishLib(LibAdminMain& console)
{
    AppContext& app = console.App();
    if (!ConfirmBackupPath(app)) return;
    LibBackup dialog(console.Ui(), &console);
    dialog.Load();
    console.Ui().dialogs.Run(dialog);
}
