#include "core/app/MiscSettingValues.h"

#include "core/common/IniSetting.h"
#include "core/common/Text.h"

int CompatibilityValue(const std::string& text)
{
    const std::string t = Trim(text);
    const bool number = !t.empty() && t.size() < 10 && t.find_first_not_of("0123456789") == std::string::npos;
    const int value = number ? std::stoi(t) : 1;
    return value >= 0 && value <= 2 ? value : 1;
}

MiscSettingValues ReadMiscSettings(const SettingsFile& settings)
{
    MiscSettingValues values;
    values.network = ReadIniSetting(settings, "Operation", "Mode", "0") == "1";
    values.compatible = CompatibilityValue(ReadIniSetting(settings, "Lib", "V1DataCompatible", "1"));
    return values;
}

bool WriteMiscSettings(const SettingsFile& settings, const MiscSettingValues& values)
{
    const bool mode = WriteIniSetting(settings, "Operation", "Mode", values.network ? "1" : "0");
    const bool compatible = WriteIniSetting(settings, "Lib", "V1DataCompatible", std::to_string(values.compatible));
    return mode && compatible;
}

std::string SettingsNotSavedText(const std::string& iniFile)
{
    return "Failed to save the settings in " + iniFile + " !";
}
