#include "core/common/IniSetting.h"

#include "support/TestEnv.h"

#include <gtest/gtest.h>

TEST(IniSetting, AbsentOrBlankValuesGiveTheDefault)
{
    TestEnv env;
    const SettingsFile& ini = env.app->state.settings;
    EXPECT_EQ(ReadIniSetting(ini, "Operation", "Mode", "0"), "0") << "no file";
    EXPECT_EQ(ReadIniSetting(ini, "Operation", "Mode", ""), "");
    WriteFile(env.Ini(), "[Operation]\nMode=   \n[LIB]\nV1DataCompatible=\nPath= /a b \n");
    EXPECT_EQ(ReadIniSetting(ini, "Operation", "Mode", "0"), "0") << "only blanks";
    EXPECT_EQ(ReadIniSetting(ini, "Lib", "V1DataCompatible", "1"), "1") << "empty";
    EXPECT_EQ(ReadIniSetting(ini, "Operation", "Other", "x"), "x") << "no key";
    EXPECT_EQ(ReadIniSetting(ini, "lib", "PATH", "x"), "/a b") << "names ignore case, value trimmed";
}

TEST(IniSetting, LongValuesAreCutAt254Characters)
{
    TestEnv env;
    WriteFile(env.Ini(), "[Lib]\nPath=" + std::string(300, 'p') + "\n");
    EXPECT_EQ(ReadIniSetting(env.app->state.settings, "Lib", "Path", ""), std::string(254, 'p'));

    // Characters, not bytes: 100 two-byte and 200 three-byte characters.
    std::string path, cut;
    for (int i = 0; i < 100; ++i) path += "é";
    for (int i = 0; i < 200; ++i) path += "日";
    cut = path.substr(0, 100 * 2 + 154 * 3);
    WriteFile(env.Ini(), "[Lib]\nPath=" + path + "\n");
    EXPECT_EQ(ReadIniSetting(env.app->state.settings, "Lib", "Path", ""), cut);
}

TEST(IniSetting, WriteReachesTheSectionWhateverItsCase)
{
    TestEnv env;
    const SettingsFile& ini = env.app->state.settings;
    ASSERT_TRUE(WriteIniSetting(ini, "Operation", "Mode", "1")) << "creates the file";
    WriteFile(env.Ini(), ReadFile(env.Ini()) + "[LIB]\nPath=/lib\n");
    ASSERT_TRUE(WriteIniSetting(ini, "Lib", "V1DataCompatible", "0"));
    EXPECT_EQ(ReadIniSetting(ini, "LIB", "V1DataCompatible", "1"), "0");
    EXPECT_EQ(ReadIniSetting(ini, "LIB", "Path", ""), "/lib");
    EXPECT_EQ(ReadFile(env.Ini()).find("[Lib]"), std::string::npos) << "no second section";
}

TEST(IniSetting, WriteFailureIsReturned)
{
    TestEnv env;
    WriteFile(env.root / "taken", "a file where the folder would be");
    EXPECT_FALSE(WriteIniSetting({env.root / "taken/rezudizid/Vellarch.ini", {}}, "Operation", "Mode", "1"));
}
