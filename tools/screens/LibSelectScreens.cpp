// The library selection window and the folder browser behind its "..." buttons.
#include "Screens.h"

#include "core/common/IniFile.h"
#include "gui/library/LibSelect.h"
#include "gui/ui/FolderDialog.h"

#include <QApplication>
#include <QElapsedTimer>

#include <filesystem>

void RenderLibSelect(Screens& s)
{
    const std::string lib = s.MakeLibrary();
    IniWrite(s.programDir / "Vellarch.ini", "Lib", "Backpath", lib + "-backup");
    AppContext app(s.programDir, s.prompter);
    UiContext ui{app, s.dialogs};
    {
        LibSelect dialog(ui);
        s.Save(dialog, "LibSelect");
    }
    std::filesystem::create_directories(s.programDir / "Archive");
    FolderDialog browser(nullptr, {0, "Select a folder", lib});
    browser.resize(640, 420);
    browser.show();
    // Let the folder list load before the picture is taken.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 1000) QApplication::processEvents();
    s.Save(browser, "FolderDialog");
}
