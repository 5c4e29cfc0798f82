#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/users/ActiveUser.h"
#include "gui/users/User_Admin.h"
#include "gui/users/User_Group.h"

void RunUsers(LibAdminMain& console)
{
    User_Admin window(console.Ui(), &console);
    console.Ui().dialogs.Run(window);
}

void RunGroups(LibAdminMain& console)
{
    User_Group window(console.Ui(), &console);
    console.Ui().dialogs.Run(window);
}

void RunResetUser(LibAdminMain& console)
{
    ActiveUser dialog(console.Ui(), &console);
    console.Ui().dialogs.Run(dialog);
}
