#include "core/data/Maintenance.h"

#include "core/app/AppContext.h"

bool CompactAndRepairLibrary(AppContext& app, int busyTimeoutMs)
{
    if (app.prompter.MsgBox("Compact & repair library now?", MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::No)
        return false;
    // An open connection must not hold a file being rewritten.
    app.db.CloseLibConnection();
    app.db.CloseCtrlConnection();
    const std::string& lib = app.state.gsActiveLibPath;
    // Both are compacted whatever the first one gives.
    const bool ctrlDone = CompactDB(app, CtrlDatabaseFile(lib), busyTimeoutMs);
    const bool libDone = CompactDB(app, LibDatabaseFile(lib), busyTimeoutMs);
    if (!ctrlDone || !libDone) return false;
    app.prompter.MsgBox("Compact & Repair Library - processed successfully ! ", MsgButtons::Ok, MsgIcon::Information);
    return true;
}

bool ResetDocumentLocks(AppContext& app)
{
    if (app.prompter.MsgBox("Reset all document locks now ?", MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return false;
    // CtrlTableExe has reported a failure; it is not followed by "Done !".
    if (!app.db.CtrlTableExe("DELETE FROM `locking`")) return false;
    app.prompter.MsgBox("Done !", MsgButtons::Ok, MsgIcon::None);
    return true;
}
