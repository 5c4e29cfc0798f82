#include "core/library/LibraryCreate.h"

#include "core/app/AppContext.h"
#include "core/base/MyErrHandler.h"
#include "core/common/AtomicFile.h"
#include "core/common/Commons.h"
#include "core/common/IniFile.h"
#include "core/common/Text.h"
#include "core/library/LibrarySql.h"
#include "core/users/InitialPassword.h"
#include "core/users/Password.h"

#include <cstdlib>
#include <ctime>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSetupTitle = "Library setup";
constexpr std::size_t kMaxDescChars = 50;

std::string HomeDirectory(const AppState& state)
{
    if (!state.homeDir.empty()) return state.homeDir.string();
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

// Local time as the databases store it: "YYYY-MM-DD HH:MM:SS".
std::string NowIso()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

// Removes the database files this creation copied unless it was kept, so a
// failed creation never leaves a directory that counts as a library but has
// no administrator. Files that were there before are never removed.
class CreationUndo {
public:
    CreationUndo(AppContext& app, std::string libPath)
        : app_(app), libPath_(std::move(libPath)), previousActive_(app.state.gsActiveLibPath)
    {
    }
    CreationUndo(const CreationUndo&) = delete;
    CreationUndo& operator=(const CreationUndo&) = delete;
    ~CreationUndo()
    {
        if (kept_ || (!copiedLib_ && !copiedCtrl_)) return;
        try {
            // No open connection may hold a file being removed.
            app_.db.CloseLibConnection();
            app_.db.CloseCtrlConnection();
            if (copiedLib_) KillFile(LibDatabaseFile(libPath_), true);
            if (copiedCtrl_) KillFile(CtrlDatabaseFile(libPath_), true);
            app_.state.gsActiveLibPath = previousActive_;
        } catch (...) {
        }
    }
    void CopyingLib() { copiedLib_ = true; }
    void CopyingCtrl() { copiedCtrl_ = true; }
    void Keep() { kept_ = true; }

private:
    AppContext& app_;
    std::string libPath_;
    std::string previousActive_;
    bool copiedLib_ = false;
    bool copiedCtrl_ = false;
    bool kept_ = false;
};

} // namespace

std::string SettingsNotWrittenText(const std::string& sLibPath, const std::string& iniFile, const std::string& why)
{
    return "The new library is created in: \r\n\r\n" + sLibPath +
           "\r\n\r\nbut it could not be made the active library, because the settings file " + iniFile +
           " could not be written: " + why + "\r\n\r\nUse Select Active Library to make it the active library.";
}

std::string DefaultLibraryPath(const AppState& state) { return (fs::path(HomeDirectory(state)) / "VrchLib").string(); }

NewLibPathCheck CheckNewLibPath(const std::string& text)
{
    if (Trim(text).empty()) return {NewLibPathCheck::Result::Blank, {}};
    // Only an absolute path below the root names a directory for a library.
    const DrivePath parts = SplitDrivePath(text);
    if (parts.dir.find_first_not_of('/') == std::string::npos) return {NewLibPathCheck::Result::NotSpecified, {}};
    return {NewLibPathCheck::Result::Ok, parts.drive + parts.dir};
}

bool CreateNewLib(AppContext& app, const std::function<std::string()>& chooseLocation)
{
    return Trapped(app.prompter, "Library.CreateNewLib", [&] {
        const MsgAnswer answer = app.prompter.MsgBox(
            "Would you like the system to create a default document library for you (Click Yes) \r\n"
            " or would you prefer to choose the drive and directory for the new library ? (Click No) ",
            MsgButtons::YesNo, MsgIcon::Question);
        std::string target;
        if (answer == MsgAnswer::Yes) {
            target = DefaultLibraryPath(app.state);
            // Yes removes nothing: CreateLibNow still refuses a directory
            // that holds a library.
            if (DirExists(target) &&
                app.prompter.MsgBox("A default document library already exists, overwrite it ?", MsgButtons::YesNo,
                                    MsgIcon::Question, kSetupTitle) == MsgAnswer::No)
                return false;
        } else {
            target = chooseLocation();
            if (target.empty()) return false;
        }
        return CreateLibNow(app, target);
    });
}

bool CreateLibNow(AppContext& app, const std::string& sLibPath)
{
    Prompter& prompter = app.prompter;
    std::string detail;
    // On a failure the undo has removed what this run copied before the report.
    return Trapped(
        prompter, "Library.CreateLibNow(sLibPath)",
        [&] {
            if (prompter.MsgBox("You are about to create a new library in location: \r\n\r\n" + sLibPath +
                                    "\r\n\r\nContinue ? ",
                                MsgButtons::YesNo, MsgIcon::Question, kSetupTitle) == MsgAnswer::No)
                return false;
            const std::string libFile = LibDatabaseFile(sLibPath);
            const std::string ctrlFile = CtrlDatabaseFile(sLibPath);
            if (FileExists(libFile)) {
                prompter.MsgBox("A document library already exists in the specified directory, \r\n"
                                "This process will  stop!",
                                MsgButtons::Ok, MsgIcon::Critical, kSetupTitle);
                return false;
            }
            const std::string desc =
                Trim(prompter.InputBox("Enter library description (max 50 characters): ", kAppTitle, ""));

            // No open connection may hold a database file being replaced.
            app.db.CloseLibConnection();
            app.db.CloseCtrlConnection();
            if (!DirExists(sLibPath)) {
                CreateFullPath(sLibPath, prompter);
                if (!DirExists(sLibPath)) return false; // CreateFullPath has told why
            }
            if (!DirExists(ControlDir(sLibPath))) CreateFullPath(ControlDir(sLibPath), prompter);

            CreationUndo undo(app, sLibPath);
            detail = "The file blank-lib.mde is missing !";
            if (!FileExists(app.state.TemplatePath("blank-lib.mde"))) return false;
            undo.CopyingLib();
            CopyFileAtomic(app.state.TemplatePath("blank-lib.mde"), libFile, false);

            detail = "The file blank-ctrl.mde is missing !";
            if (!FileExists(app.state.TemplatePath("blank-ctrl.mde"))) return false;
            if (!FileExists(ctrlFile)) undo.CopyingCtrl();
            CopyFileAtomic(app.state.TemplatePath("blank-ctrl.mde"), ctrlFile, false);

            if (!FileExists(libFile)) {
                prompter.MsgBox("Problem creating new library !", MsgButtons::Ok, MsgIcon::Critical);
                return false;
            }
            if (!InitialiseDatabase(app, sLibPath, kLibVersion, desc)) return false;
            // Its commit ends by deleting the journal: a journal the disk
            // still held would take the first rows back.
            FlushDirectory(ControlDir(sLibPath));
            // The library is whole now: a settings file that cannot be written
            // costs its configuration, never the library itself.
            undo.Keep();
            std::string why;
            if (!IniWrite(app.state.IniPath(), "Lib", "Path", sLibPath, &why)) {
                prompter.MsgBox(SettingsNotWrittenText(sLibPath, app.state.IniPath(), why), MsgButtons::Ok,
                                MsgIcon::Exclamation);
                return true;
            }
            prompter.MsgBox("New Library is created succussfully !", MsgButtons::Ok, MsgIcon::Information);
            return true;
        },
        sLibPath, detail);
}

bool InitialiseDatabase(AppContext& app, const std::string& sLibPath, const std::string& sVerStr,
                        const std::string& sLibDesc)
{
    Database& db = app.db;
    // All rows or none: a library without its administrator is no library.
    // Held past the trap, so a failure is reported before it is rolled back.
    std::optional<Database::Transaction> rows;
    return Trapped(
        app.prompter, "Library.InitialiseDatabase(sLibPath)",
        [&] {
            app.state.gsActiveLibPath = sLibPath;
            const std::string password = ScramblePassword(kInitialPassword);
            const std::string desc = sLibDesc.empty() ? std::string(" ") : LeftChars(sLibDesc, kMaxDescChars);

            RequireBegun(rows.emplace(db));
            RequireTableExe(db,
                            "INSERT INTO `user-list` (`user-name`,`login-id`,`type`,`password`) "
                            " VALUES ( 'Administrator','admin','U', ? )",
                            {password});
            RequireTableExe(db, "INSERT INTO `user-list` (`user-name`,`login-id`,`type`) "
                                " VALUES ( 'Admin Group','admin','G' ) ");
            RequireTableExe(db, " INSERT INTO `user-group` (gid, uid) VALUES ( 2, 1 ) ");
            RequireTableExe(db, "INSERT INTO `doccat-list` (`doccat-desc`,`key1-name`,`key2-name`) "
                                " VALUES ( 'Un-classified','Received by','From Source' ) ");
            RequireTableExe(db, "UPDATE `lib-ctrl` SET `subpath`= '00000001' , `filecount` = 0  WHERE `rec-id`= 1 ");
            RequireTableExe(db, "INSERT INTO `lib-ctrl` (`subpath`,`filecount`) VALUES ( ?, 2 )", {sVerStr});
            RequireTableExe(db, "INSERT INTO `lib-ctrl` (`subpath`,`filecount`) VALUES ( ?, 3 )", {desc});
            RequireTableExe(db, "INSERT INTO `lib-ctrl` (`subpath`,`filecount`) VALUES ( ?, 4 )", {NowIso()});
            RequireCommit(*rows);
        },
        sLibPath);
}

std::string FixQuote(const std::string& text) { return ReplaceAll(text, "'", "''"); }
