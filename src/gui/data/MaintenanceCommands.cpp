#include "core/data/Maintenance.h"
#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"

void RunCompact(LibAdminMain& console) { CompactAndRepairLibrary(console.App()); }
void RunResetDoc(LibAdminMain& console) { ResetDocumentLocks(console.App()); }
