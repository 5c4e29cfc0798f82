#include "core/library/LibraryDesc.h"
#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"

void RunLibDesc(LibAdminMain& console)
{
    AppContext& app = console.App();
    // The refresh shows the description read back from the library.
    if (EditLibDesc(app)) console.RefreshLibStatus(app.state.gsActiveLibPath);
}
