#include "core/common/IniSetting.h"

#include "core/common/Commons.h"
#include "core/common/IniFile.h"
#include "core/common/Text.h"

std::string ReadIniSetting(const std::string& iniFile, const std::string& sSection, const std::string& sKey,
                           const std::string& sDefault)
{
    const std::string value = Trim(GetIniString(sSection, sKey, iniFile));
    return value.empty() && !sDefault.empty() ? sDefault : value;
}

bool WriteIniSetting(const std::string& iniFile, const std::string& sSection, const std::string& sKey,
                     const std::string& sValue)
{
    return IniWrite(iniFile, sSection, sKey, sValue);
}
