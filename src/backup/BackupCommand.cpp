#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"

void RunPublishLib(LibAdminMain& console) { SayNotAvailable(console, "Backup Document Library"); }
