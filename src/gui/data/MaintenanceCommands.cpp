#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "core/data/Maintenance.h"

void RunCompact(LibAdminMain& console) { CompactAndRepairLibrary(console.App()); }
void RunResetDoc(LibAdminMain& console) { ResetDocumentLocks(console.App()); }
