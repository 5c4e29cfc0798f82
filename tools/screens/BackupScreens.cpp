#include "Screens.h"

#include "gui/backup/LibBackup.h"
#include "gui/library/LibStat.h"

#include <QPushButton>
#include <SQLiteCpp/SQLiteCpp.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

// One cabinet, drawer and folder with a few documents and their files, and
// more whose files are missing: the backup owes them.
void FillLibrary(const std::string& lib)
{
    SQLite::Database db(lib + "/00000000/LIB.MDE", SQLite::OPEN_READWRITE);
    db.exec("INSERT INTO `level` (id, pid, type) VALUES (1, 0, 'C'), (2, 1, 'D'), (3, 2, 'F')");
    fs::create_directories(lib + "/00000001");
    for (int i = 1; i <= 3; ++i) {
        const std::string name = "DOC" + std::to_string(i) + ".TIF";
        db.exec("INSERT INTO `images` (`folder-id`, filename, location, internal, `page-count`, `updated-date`) "
                "VALUES (3, '" +
                name + "', '00000001', '1', 2, '2026-01-01 10:00:00')");
        std::ofstream(lib + "/00000001/" + name) << std::string(40000 * i, 'x');
    }
    for (int i = 1; i <= 8; ++i)
        db.exec("INSERT INTO `images` (`folder-id`, filename, location, internal, `page-count`, `updated-date`) "
                "VALUES (3, 'MISSING-SCAN-OF-A-LONG-NAMED-LETTER-" +
                std::to_string(i) + ".TIF', '00000001', '1', 1, '2026-01-01 10:00:00')");
}

} // namespace

void RenderBackup(Screens& s)
{
    const std::string lib = s.MakeLibrary("StatLib");
    FillLibrary(lib);
    AppContext app(s.programDir, s.prompter);
    UiContext ui{app, s.dialogs};
    app.state.gsActiveLibPath = app.state.gsCtrlLibPath = lib;
    app.state.gsBackupLibPath = (s.programDir / "Backup").string();

    LibStat stat(ui);
    stat.gm_sNodeLevel = "LIBRARY";
    stat.gm_sNodeID = "0";
    s.Save(stat, "LibStat");

    LibBackup ready(ui);
    ready.Load();
    s.Save(ready, "LibBackup-ready");
    ready.findChild<QPushButton*>("Command1")->click();
    s.Save(ready, "LibBackup-finished");
}
