#include "core/library/Library.h"
#include "core/library/LibraryCreate.h"
#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/library/LibCreate.h"

void RunCreateLib(LibAdminMain& console)
{
    AppContext& app = console.App();
    try {
        const auto chooseLocation = [&console]() {
            // A new window each time: an earlier choice is never reused.
            LibCreate form(console.App(), &console);
            console.Ui().dialogs.Run(form);
            return form.sCreateLibPath;
        };
        if (!CreateNewLib(app, chooseLocation))
            app.prompter.MsgBox(kCreateNotSuccessful, MsgButtons::Ok, MsgIcon::Exclamation);
        console.RefreshLibStatus(LoadActiveLibrary(app) ? app.state.gsActiveLibPath : std::string());
    } catch (...) {
        // The console's trap reports it as LibAdminMain.cmdCreateLib_Click.
        app.state.gsActiveLibPath.clear();
        console.RefreshLibStatus("");
        throw;
    }
}
