#pragma once
// The program-wide state and the program's own directory.
#include <filesystem>
#include <string>

// The settings file in use, and a read-only settings file of site defaults
// read beneath it, whose keys count where the file has none (empty path:
// no defaults).
struct SettingsFile {
    std::filesystem::path file;
    std::filesystem::path defaults;
};

struct AppState {
    std::string gsActiveLibPath;
    std::string gsCtrlLibPath;
    std::string gsBackupLibPath;
    std::string gsLoginUserID;
    std::string gsLoginUserName;

    // Where the blank templates are, and the settings file unless the
    // program's directory cannot be written.
    std::filesystem::path programDir;
    SettingsFile settings;
    // The user's home directory, where the default library goes; empty means
    // $HOME. Tests point it into their own folder.
    std::filesystem::path homeDir;
    // Where this user's own records are kept (the last verify of each
    // backup); nothing is kept when empty. Tests point it into their folder.
    std::filesystem::path stateDir;

    // The settings file written; reads go through `settings`.
    std::string IniPath() const { return settings.file.string(); }
    std::string TemplatePath(const std::string& name) const { return (programDir / name).string(); }

    // Either condition alone counts as logged in.
    bool AdminLoggedIn() const { return gsLoginUserName == "Administrator" || gsLoginUserID == "1"; }
};
