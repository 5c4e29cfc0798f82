#pragma once
// Where the settings file is: beside the program where the program's
// directory can be written (a build tree, a portable copy), else in the
// user's configuration directory, with a read-only file beside the program
// read as the site's defaults. The console and rezud both ask here.
#include "core/base/AppState.h"

#include <filesystem>
#include <optional>
#include <string>

inline constexpr const char* kSettingsFileName = "Vellarch.ini";
// The folder of the settings file under the user's configuration directory.
inline constexpr const char* kSettingsFolder = "rezudizid";

// The settings file for a program in `programDir`, given the values of
// XDG_CONFIG_HOME and HOME (none when unset). Looks, never writes.
SettingsFile LocateSettings(const std::filesystem::path& programDir, const std::optional<std::string>& configHome,
                            const std::optional<std::string>& home);

// The user's home directory: HOME when set, else the account's; "/" when
// neither is known.
std::string UserHome(const std::optional<std::string>& home);

// Whether the user may write the file or directory. One whose mode gives
// nobody write access counts as read-only, for root as well.
bool MayWrite(const std::filesystem::path& path);
