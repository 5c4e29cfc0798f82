#pragma once
// Reading and writing keys of the settings file: a key the file lacks is
// read from the site defaults, and every write goes to the file, made with
// its folder on the first one.
#include "core/base/AppState.h"

#include <string>
#include <utility>
#include <vector>

// The trimmed value of the key (cut at 254 characters), or sDefault when that
// is empty and sDefault is not: a key present but blank also gives the default.
std::string ReadIniSetting(const SettingsFile& settings, const std::string& sSection, const std::string& sKey,
                           const std::string& sDefault);

// Writes the key, creating file, section or key as needed; true when written.
bool WriteIniSetting(const SettingsFile& settings, const std::string& sSection, const std::string& sKey,
                     const std::string& sValue);

// Writes several keys of one section in one replacement of the file; false
// with the reason in *why when it could not be written.
bool WriteSettings(const SettingsFile& settings, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& entries, std::string* why = nullptr);
