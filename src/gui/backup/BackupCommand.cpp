#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/backup/LibBackup.h"
#include "core/common/Commons.h"

void RunPublishLib(LibAdminMain& console)
{
    AppContext& app = console.App();
    const std::string backPath = GetIniString("LIB", "Backpath", app.state.IniPath());
    if (backPath.empty()) {
        app.prompter.MsgBox("Backup library path is not specified ! ", MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    app.state.gsBackupLibPath = backPath;
    if (app.prompter.MsgBox("Backup current active document library to path " + backPath + " ? ", MsgButtons::YesNo,
                            MsgIcon::Question) != MsgAnswer::Yes)
        return;
    LibBackup dialog(console.Ui(), &console);
    dialog.Load();
    console.Ui().dialogs.Run(dialog);
}
