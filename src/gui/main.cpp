// RezudIzid: the administrator's console of a Vellarch document library.
#include "core/app/AppContext.h"
#include "core/backup/VerifyHistory.h"
#include "core/base/MyErrHandler.h"
#include "core/data/Connection.h"
#include "gui/app/LibAdminMain.h"
#include "gui/ui/QtPrompter.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Qt aborts without a display; say so plainly instead.
bool HasDisplay()
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform) return true;
    const char* x = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wayland && *wayland);
}

std::optional<std::string> Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    SetUpSqlite();
    if (!HasDisplay()) {
        std::fprintf(stderr, "RezudIzid: no display available (set DISPLAY to run the console).\n");
        return 1;
    }
    QApplication qapp(argc, argv);
    QtPrompter prompter;
    // Nothing leaves main: what no window trapped is reported here.
    int code = 1;
    Trapped(prompter, "RezudIzid.main", [&] {
        const std::filesystem::path programDir = QCoreApplication::applicationDirPath().toStdString();
        AppContext app(programDir, prompter,
                       LocateSettings(programDir, Environment("XDG_CONFIG_HOME"), Environment("HOME")));
        app.state.stateDir = UserStateDir([](const std::string& name) { return Environment(name.c_str()); });
        DialogRunner dialogs;
        UiContext ui{app, dialogs};
        LibAdminMain console(ui);
        console.show();
        code = qapp.exec();
    });
    return code;
}
