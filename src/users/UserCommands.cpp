#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"

void RunUsers(LibAdminMain& console) { SayNotAvailable(console, "User Account"); }
void RunGroups(LibAdminMain& console) { SayNotAvailable(console, "User Group"); }
void RunResetUser(LibAdminMain& console) { SayNotAvailable(console, "Reset Active User List"); }
