#include "app/ConsoleCommands.h"
#include "app/LibAdminMain.h"
#include "data/Maintenance.h"

void RunCompact(LibAdminMain& console) { CompactAndRepairLibrary(console.App()); }
void RunResetDoc(LibAdminMain& console) { ResetDocumentLocks(console.App()); }
