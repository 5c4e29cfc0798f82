#pragma once
// Opening the configured library and reading its information records.
#include <string>

class AppContext;

// True when the settings file's "Path" holds a library (its
// 00000000/LIB.MDE exists); sets gsActiveLibPath and gsCtrlLibPath.
bool LoadActiveLibrary(AppContext& app);

// The value of information record sRecID ("2" version, "3" description,
// "4" creation time); empty when missing or on any failure.
std::string GetLibExtraInfo(AppContext& app, const std::string& sRecID);
