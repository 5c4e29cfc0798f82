#include "core/library/LibSelection.h"

#include "core/app/AppContext.h"
#include "core/common/Commons.h"
#include "core/common/IniSetting.h"
#include "core/common/Text.h"
#include "core/library/BackupPlace.h"

namespace {

// The root "/" and one more character, as the shortest drive form "C:\x"
// was: a bare root (empty after the separator is cut) is refused.
constexpr std::size_t kMinPathChars = 2;

void Warn(AppContext& app, const std::string& text) { app.prompter.MsgBox(text, MsgButtons::Ok, MsgIcon::Exclamation); }

// True when the backup path may be stored: it exists, or was created on request.
bool BackupPathReady(AppContext& app, const std::string& path)
{
    if (DirExists(path)) return true;
    const MsgAnswer answer = app.prompter.MsgBox(kCreateBackupPathQuestion, MsgButtons::YesNo, MsgIcon::Exclamation);
    if (answer != MsgAnswer::Yes) return false;
    if (CreateFullPath(path, app.prompter)) return true;
    app.prompter.MsgBox("Failed to create the directory ! Please check your access right.", MsgButtons::Ok,
                        MsgIcon::None);
    return false;
}

} // namespace

LibPaths ReadLibPaths(const AppContext& app)
{
    const SettingsFile& settings = app.state.settings;
    return {GetIniString("LIB", "Path", settings), GetIniString("LIB", "Backpath", settings)};
}

LibPathField SaveLibPaths(AppContext& app, const std::string& sLibPath, const std::string& sBackupPath)
{
    const std::string lib = WithoutTrailingSlash(sLibPath);
    const std::string backup = WithoutTrailingSlash(sBackupPath);
    if (CharCount(lib) < kMinPathChars) {
        Warn(app, "Invalid Active Library path !");
        return LibPathField::LibPath;
    }
    if (!DirExists(lib)) {
        Warn(app, "Active Library path does not exist!");
        return LibPathField::LibPath;
    }
    // Decided on the text as typed: a bare "/" is a refused root, as "C:\"
    // was, not an empty backup path.
    if (!sBackupPath.empty()) {
        if (CharCount(backup) < kMinPathChars) {
            Warn(app, "Invalid Backup Library path !");
            return LibPathField::BackupPath;
        }
        // Before the question: a refused path is never created.
        if (const std::string refused = BackupPlaceText(PlaceOfBackup(lib, backup)); !refused.empty()) {
            Warn(app, refused);
            return LibPathField::BackupPath;
        }
        if (!BackupPathReady(app, backup)) return LibPathField::BackupPath;
    }
    if (!WriteSettings(app.state.settings, "Lib", {{"Path", lib}, {"Backpath", backup}})) {
        // Closing as if stored would lose the choice without a word.
        app.prompter.MsgBox("Failed to write the settings file: " + app.state.IniPath(), MsgButtons::Ok,
                            MsgIcon::Critical);
        return LibPathField::LibPath;
    }
    return LibPathField::None;
}
