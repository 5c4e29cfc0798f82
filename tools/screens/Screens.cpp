#include "Screens.h"

#include "core/common/IniFile.h"
#include "core/users/InitialPassword.h"
#include "core/users/Password.h"
#include "gui/app/LibAdminMain.h"
#include "gui/ui/TextFit.h"

#include <QApplication>

#include <cstdio>

namespace fs = std::filesystem;

void Screens::Save(QWidget& w, const std::string& name)
{
    w.show();
    QApplication::processEvents();
    const fs::path file = out / (name + ".png");
    for (const QString& control : CutTexts(w)) cut << QString::fromStdString(name) + ": " + control;
    // In the screen's pixels, the frame included.
    const QSize pixels = w.frameGeometry().size() * w.devicePixelRatioF();
    if (pixels.width() > kScreenWidth || pixels.height() > kScreenHeight)
        tooLarge << QString("%1: %2 x %3").arg(QString::fromStdString(name)).arg(pixels.width()).arg(pixels.height());
    if (!w.grab().save(QString::fromStdString(file.string())))
        std::fprintf(stderr, "screens: cannot write %s\n", file.c_str());
    else
        std::printf("%s\n", file.c_str());
}

std::string Screens::MakeLibrary(const std::string& name)
{
    const fs::path lib = programDir / name;
    fs::create_directories(lib / "00000000");
    fs::copy_file(programDir / "blank-lib.mde", lib / "00000000/LIB.MDE", fs::copy_options::overwrite_existing);
    fs::copy_file(programDir / "blank-ctrl.mde", lib / "00000000/CTRL.MDE", fs::copy_options::overwrite_existing);
    IniWrite(programDir / "Vellarch.ini", "Lib", "Path", lib.string());
    return lib.string();
}

void RenderConsole(Screens& s)
{
    {
        AppContext app(s.programDir, s.prompter);
        UiContext ui{app, s.dialogs};
        LibAdminMain console(ui);
        s.Save(console, "LibAdminMain-no-library");
    }
    s.MakeLibrary();
    AppContext app(s.programDir, s.prompter);
    UiContext ui{app, s.dialogs};
    LibAdminMain console(ui);
    s.Save(console, "LibAdminMain-library");

    // A new library: its administrator still has the initial password.
    app.db.TableExe("INSERT INTO `user-list` (`user-name`,`login-id`,`type`,`password`) VALUES (?,?,'U',?)",
                    {"Administrator", "admin", ScramblePassword(kInitialPassword)});
    app.db.CloseLibConnection();
    console.RefreshLibStatus(app.state.gsActiveLibPath);
    s.Save(console, "LibAdminMain-initial-password");
}
