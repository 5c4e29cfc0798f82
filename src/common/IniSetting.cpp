#include "common/IniSetting.h"

#include "common/Commons.h"
#include "common/IniFile.h"
#include "common/Text.h"

std::string ReadIniSetting(const std::string& iniFile, const std::string& sSection,
                           const std::string& sKey, const std::string& sDefault)
{
    const std::string value = Trim(GetIniString(sSection, sKey, iniFile));
    return value.empty() && !sDefault.empty() ? sDefault : value;
}

bool WriteIniSetting(const std::string& iniFile, const std::string& sSection,
                     const std::string& sKey, const std::string& sValue)
{
    return IniWrite(iniFile, sSection, sKey, sValue);
}
