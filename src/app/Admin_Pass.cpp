#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"

void ShowAdminPass(LibAdminMain& console) { SayNotAvailable(console, "Administrator login"); }
