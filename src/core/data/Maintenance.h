#pragma once
// The two maintenance commands on the active library's database files. The
// console has shown the shared-use warning (and, for the locks, checked the
// login) before calling them.
#include "core/data/Compact.h"

class AppContext;

// Asks, closes both connections, then repairs and compacts CTRL.MDE and
// LIB.MDE; True (with the success message) only when both succeeded.
bool CompactAndRepairLibrary(AppContext& app, int busyTimeoutMs = kCompactBusyTimeoutMs);

// Asks, then empties `locking` in the control database; "Done !" only when
// the delete succeeded.
bool ResetDocumentLocks(AppContext& app);
