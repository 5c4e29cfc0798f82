#pragma once
// The rules behind the library selection window: reading the two stored
// paths and checking and storing them on OK.
#include <string>

class AppContext;

struct LibPaths {
    std::string libPath;
    std::string backupPath;
};

// "Path" and "Backpath" of section "LIB" of the settings file.
LibPaths ReadLibPaths(const AppContext& app);

// Which box a refused OK sends the focus to; None when the paths were stored.
enum class LibPathField { None, LibPath, BackupPath };

// The OK checks in their order, with their messages and questions; on
// success "Path" and "Backpath" go into section "Lib" of the settings file.
LibPathField SaveLibPaths(AppContext& app, const std::string& sLibPath, const std::string& sBackupPath);
