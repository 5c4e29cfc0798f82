// The library check window, over a library with a few things wrong with it:
// a bare library (no administrator, no records 2 to 4), a document without
// its file and a file that no document names.
#include "Screens.h"

#include "core/data/Database.h"
#include "gui/library/LibCheck.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <fstream>

void RenderLibCheck(Screens& s)
{
    const std::string lib = s.MakeLibrary("CheckLib");
    {
        SQLite::Database db(LibDatabaseFile(lib), SQLite::OPEN_READWRITE);
        db.exec("INSERT INTO `level` (id, pid, `type`) VALUES (1, 0, 'C'), (2, 1, 'D'), (3, 2, 'F')");
        db.exec("INSERT INTO `images` (`folder-id`, `filename`, `location`) VALUES (3, 'DOC1.TIF', '00000001')");
    }
    std::filesystem::create_directories(lib + "/00000001");
    std::ofstream(lib + "/00000001/STRAY.TIF") << "no document names this file";
    AppContext app(s.programDir, s.prompter);
    app.state.gsActiveLibPath = app.state.gsCtrlLibPath = lib;
    UiContext ui{app, s.dialogs};
    LibCheck check(ui);
    s.Save(check, "LibCheck");
}
