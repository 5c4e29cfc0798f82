#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/library/LibCheck.h"

void RunCheckLib(LibAdminMain& console)
{
    LibCheck dialog(console.Ui(), &console);
    console.Ui().dialogs.Run(dialog);
}
