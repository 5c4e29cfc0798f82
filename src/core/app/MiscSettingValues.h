#pragma once
// The two operating settings of the settings file: the operation mode and
// the compatibility with version 1.xx data. This program only keeps them.
#include "core/base/AppState.h"

#include <string>

struct MiscSettingValues {
    bool network = false; // [Operation] Mode "1"; any other value is single-user
    int compatible = 1;   // [Lib] V1DataCompatible: 0 off, 1 on, 2 undecided (greyed)
};

// "0", "1" or "2" (blanks around allowed) as that number; anything else the default 1.
int CompatibilityValue(const std::string& text);

MiscSettingValues ReadMiscSettings(const SettingsFile& settings);
// Writes both keys; true when both were written.
bool WriteMiscSettings(const SettingsFile& settings, const MiscSettingValues& values);

// Told when the settings file could not be written.
std::string SettingsNotSavedText(const std::string& iniFile);
