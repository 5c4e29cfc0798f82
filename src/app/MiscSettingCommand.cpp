#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"
#include "app/MiscSetting.h"

void RunMiscSetting(LibAdminMain& console)
{
    MiscSetting dialog(console.Ui(), &console);
    console.Ui().dialogs.Run(dialog);
}
