#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"

void RunCreateLib(LibAdminMain& console) { SayNotAvailable(console, "Create Document Library"); }
