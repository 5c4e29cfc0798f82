#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"

void RunSelectLib(LibAdminMain& console) { SayNotAvailable(console, "Select Active Library"); }
