#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"

void RunMiscSetting(LibAdminMain& console) { SayNotAvailable(console, "Misc Setting"); }
