#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"

void RunCompact(LibAdminMain& console) { SayNotAvailable(console, "Compact & Repair Library"); }
void RunResetDoc(LibAdminMain& console) { SayNotAvailable(console, "Reset Document Locks"); }
