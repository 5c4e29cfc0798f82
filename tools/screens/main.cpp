// Renders every window of the program offscreen to PNG files, so anyone can
// look at them without a display: screens OUTDIR
#include "Screens.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: screens OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir work;
    Screens s;
    s.out = fs::absolute(argv[1]);
    s.programDir = work.path().toStdString();
    fs::create_directories(s.out);
    const fs::path exeDir = QCoreApplication::applicationDirPath().toStdString();
    for (const char* name : {"blank-lib.mde", "blank-ctrl.mde"}) fs::copy_file(exeDir / name, s.programDir / name);

    // Each module adds its windows here.
    RenderConsole(s);
    RenderLibraryCreation(s);
    RenderBackup(s);
    RenderLibCheck(s);
    RenderActiveUser(s);
    RenderMiscSetting(s);
    RenderLibSelect(s);
    RenderAdminPass(s);
    RenderUserWindows(s);
    return 0;
}
