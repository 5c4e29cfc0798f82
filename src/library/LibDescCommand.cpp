#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"

void RunLibDesc(LibAdminMain& console) { SayNotAvailable(console, "Library Description"); }
