#pragma once
// Reading and writing one key of the settings file with a default.
#include <string>

// The trimmed value of the key (cut at 254 characters), or sDefault when that
// is empty and sDefault is not: a key present but blank also gives the default.
std::string ReadIniSetting(const std::string& iniFile, const std::string& sSection, const std::string& sKey,
                           const std::string& sDefault);

// Writes the key, creating file, section or key as needed; true when written.
bool WriteIniSetting(const std::string& iniFile, const std::string& sSection, const std::string& sKey,
                     const std::string& sValue);
