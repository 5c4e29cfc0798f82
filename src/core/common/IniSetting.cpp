#include "core/common/IniSetting.h"

#include "core/common/Commons.h"
#include "core/common/Directories.h"
#include "core/common/IniFile.h"
#include "core/common/Text.h"

std::string ReadIniSetting(const SettingsFile& settings, const std::string& sSection, const std::string& sKey,
                           const std::string& sDefault)
{
    const std::string value = Trim(GetIniString(sSection, sKey, settings));
    return value.empty() && !sDefault.empty() ? sDefault : value;
}

bool WriteIniSetting(const SettingsFile& settings, const std::string& sSection, const std::string& sKey,
                     const std::string& sValue)
{
    return WriteSettings(settings, sSection, {{sKey, sValue}});
}

bool WriteSettings(const SettingsFile& settings, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& entries, std::string* why)
{
    try {
        // Private to the user, as configuration directories are.
        MakeDirectories(settings.file.parent_path(), 0700);
    } catch (const std::filesystem::filesystem_error& e) {
        if (why) *why = e.code().message();
        return false;
    }
    return IniWriteKeys(settings.file, section, entries, why);
}
