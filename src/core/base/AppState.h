#pragma once
// The program-wide state and the program's own directory.
#include <filesystem>
#include <string>

struct AppState {
    std::string gsActiveLibPath;
    std::string gsCtrlLibPath;
    std::string gsBackupLibPath;
    std::string gsLoginUserID;
    std::string gsLoginUserName;

    // Where the settings file and the blank templates are.
    std::filesystem::path programDir;
    // The user's home directory, where the default library goes; empty means
    // $HOME. Tests point it into their own folder.
    std::filesystem::path homeDir;
    // Where this user's own records are kept (the last verify of each
    // backup); nothing is kept when empty. Tests point it into their folder.
    std::filesystem::path stateDir;

    std::string IniPath() const { return (programDir / "Vellarch.ini").string(); }
    std::string TemplatePath(const std::string& name) const { return (programDir / name).string(); }

    // Either condition alone counts as logged in.
    bool AdminLoggedIn() const { return gsLoginUserName == "Administrator" || gsLoginUserID == "1"; }
};
