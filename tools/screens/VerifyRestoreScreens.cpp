// Verify Backup, Restore Library and the console's backup health, over a
// backup that owes a document (its file is gone from the library) and lost
// a file after it was written.
#include "Screens.h"

#include "core/backup/BackupVerify.h"
#include "core/backup/IsLogic.h"
#include "core/backup/LibBackupRun.h"
#include "core/backup/VerifyHistory.h"
#include "core/common/IniFile.h"
#include "gui/app/LibAdminMain.h"
#include "gui/backup/LibRestore.h"
#include "gui/backup/LibVerify.h"

#include <QLineEdit>
#include <QPushButton>

#include <ctime>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// Four documents in one folder; the last has no file in the library.
void AddDocuments(AppContext& app, const std::string& lib)
{
    app.db.TableExe("INSERT INTO `level` (id, pid, type) VALUES (1, 0, 'C'), (2, 1, 'D'), (3, 2, 'F')");
    fs::create_directories(lib + "/00000001");
    for (int i = 1; i <= 4; ++i) {
        const std::string name = "SCAN" + std::to_string(i) + ".TIF";
        app.db.TableExe("INSERT INTO `images` (`folder-id`, filename, location, internal, `updated-date`) "
                        "VALUES (3, ?, '00000001', '1', '2026-01-01 10:00:00')",
                        {name});
        if (i < 4) std::ofstream(lib + "/00000001/" + name) << std::string(30000 * i, 'x');
    }
    app.db.CloseLibConnection();
}

} // namespace

void RenderVerifyRestore(Screens& s)
{
    const std::string lib = s.MakeLibrary("HealthLib");
    const std::string backup = (s.programDir / "HealthBackup").string();
    IniWrite(s.programDir / "Vellarch.ini", "Lib", "Backpath", backup);
    AppContext app(s.programDir, s.prompter);
    app.state.stateDir = s.programDir / "state";
    app.state.gsActiveLibPath = app.state.gsCtrlLibPath = lib;
    app.state.gsBackupLibPath = backup;
    AddDocuments(app, lib);
    LibBackupRun(app, FileSystemFreeSpace).LibBackup(1000);
    fs::remove(backup + "/00000001/SCAN2.TIF");
    UiContext ui{app, s.dialogs};

    LibVerify verify(ui, backup);
    s.Save(verify, "LibVerify-ready");
    verify.findChild<QPushButton*>("cmdStart")->click();
    s.Save(verify, "LibVerify-findings");

    LibAdminMain console(ui);
    s.Save(console, "LibAdminMain-backup-health");

    LibRestore restore(ui, backup, [](const std::string&) { return true; });
    s.Save(restore, "LibRestore-ready");
    restore.findChild<QLineEdit*>("txtDir")->setText(QString::fromStdString((s.programDir / "Restored").string()));
    restore.findChild<QPushButton*>("cmdStart")->click();
    s.Save(restore, "LibRestore-restored");
}
