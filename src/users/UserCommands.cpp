#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"
#include "users/ActiveUser.h"

void RunUsers(LibAdminMain& console) { SayNotAvailable(console, "User Account"); }
void RunGroups(LibAdminMain& console) { SayNotAvailable(console, "User Group"); }
void RunResetUser(LibAdminMain& console)
{
    ActiveUser dialog(console.Ui(), &console);
    console.Ui().dialogs.Run(dialog);
}
