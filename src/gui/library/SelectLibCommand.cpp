#include "core/library/Library.h"
#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/library/LibSelect.h"

void ForgetActiveLibrary(LibAdminMain& console)
{
    AppContext& app = console.App();
    app.db.CloseLibConnection();
    app.state.gsActiveLibPath.clear();
    app.state.gsLoginUserID.clear();
    app.state.gsLoginUserName.clear();
    console.SetStatus("");
}

void RunSelectLib(LibAdminMain& console)
{
    AppContext& app = console.App();
    // Choosing a library, even the same one again, always logs the
    // administrator out and lets the next use open the chosen files.
    ForgetActiveLibrary(console);

    LibSelect dialog(console.Ui(), &console);
    console.Ui().dialogs.Run(dialog);

    console.RefreshLibStatus(LoadActiveLibrary(app) ? app.state.gsActiveLibPath : std::string());
}
