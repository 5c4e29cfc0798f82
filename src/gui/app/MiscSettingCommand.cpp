#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/app/MiscSetting.h"

void RunMiscSetting(LibAdminMain& console)
{
    MiscSetting dialog(console.Ui(), &console);
    console.Ui().dialogs.Run(dialog);
}
