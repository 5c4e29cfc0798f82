#include "core/common/IniFile.h"
#include "core/common/Commons.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
protected:
    TestEnv env;
    fs::path ini = env.root / "Vellarch.ini";
};

TEST_F(IniFileTest, MissingFileSectionOrKeyReadsEmpty)
{
    EXPECT_EQ(GetIniString("LIB", "Path", ini.string()), "");
    WriteFile(ini, "[Other]\nPath=/x\n");
    EXPECT_EQ(GetIniString("LIB", "Path", ini.string()), "");
    EXPECT_EQ(GetIniString("Other", "Backpath", ini.string()), "");
}

TEST_F(IniFileTest, NamesMatchIgnoringCaseAndValuesAreTrimmed)
{
    WriteFile(ini, "; settings\r\n[Lib]\r\n  path =   /data/lib  \r\n");
    EXPECT_EQ(GetIniString("LIB", "PATH", ini.string()), "/data/lib");
    // The write reaches the same section and key, keeping the other lines.
    ASSERT_TRUE(IniWrite(ini, "LIB", "Path", "/new"));
    EXPECT_EQ(ReadFile(ini), "; settings\r\n[Lib]\r\nPath=/new\r\n");
}

TEST_F(IniFileTest, ReadsAreCutAt254Characters)
{
    const std::string longValue(300, 'v');
    ASSERT_TRUE(IniWrite(ini, "Lib", "Path", longValue));
    EXPECT_EQ(GetIniString("Lib", "Path", ini.string()), std::string(254, 'v'));
    EXPECT_EQ(IniRead(ini, "Lib", "Path"), longValue);
}

namespace {
std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}
} // namespace

TEST_F(IniFileTest, MultiByteValuesAreCutAtCharactersNeverInsideOne)
{
    // 300 characters, 750 bytes: the first 254 come back whole.
    const std::string path = "/" + Repeat("é", 150) + Repeat("日", 149);
    ASSERT_TRUE(IniWrite(ini, "Lib", "Path", path));
    EXPECT_EQ(GetIniString("Lib", "Path", ini.string()), "/" + Repeat("é", 150) + Repeat("日", 103));

    // A value of 254 characters is not cut, however many bytes it takes.
    const std::string exact = std::string(253, 'a') + "日";
    ASSERT_TRUE(IniWrite(ini, "Lib", "Backpath", exact));
    EXPECT_EQ(GetIniString("Lib", "Backpath", ini.string()), exact);
    ASSERT_TRUE(IniWrite(ini, "Lib", "Backpath", exact + "é"));
    EXPECT_EQ(GetIniString("Lib", "Backpath", ini.string()), exact);
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndKeyAndKeepsOtherLines)
{
    ASSERT_TRUE(IniWrite(ini, "Lib", "Path", "/a"));
    EXPECT_EQ(ReadFile(ini), "[Lib]\nPath=/a\n");
    ASSERT_TRUE(IniWrite(ini, "Operation", "Mode", "1"));
    ASSERT_TRUE(IniWrite(ini, "lib", "Backpath", ""));
    EXPECT_EQ(ReadFile(ini), "[Lib]\nPath=/a\nBackpath=\n\n[Operation]\nMode=1\n");
    EXPECT_EQ(GetIniString("Operation", "Mode", ini.string()), "1");
    EXPECT_EQ(GetIniString("Lib", "Backpath", ini.string()), "");
    // No work file is left beside the settings file.
    EXPECT_EQ(std::distance(fs::directory_iterator(env.root), fs::directory_iterator()), 2);
}

TEST_F(IniFileTest, KeyIsAddedAfterTheSectionsLastEntry)
{
    WriteFile(ini, "[Lib]\nPath=/a\n\n[Operation]\nMode=0\n");
    ASSERT_TRUE(IniWrite(ini, "Lib", "V1DataCompatible", "1"));
    EXPECT_EQ(ReadFile(ini), "[Lib]\nPath=/a\nV1DataCompatible=1\n\n[Operation]\nMode=0\n");
}

TEST_F(IniFileTest, EveryLineKeepsItsOwnEnding)
{
    // Mostly LF with one CR LF line: only the written key changes.
    WriteFile(ini, "; note\r\n[Lib]\nPath=/a\r\nBackpath=/b\n\n[Operation]\nMode=0");
    ASSERT_TRUE(IniWrite(ini, "Lib", "Path", "/new"));
    EXPECT_EQ(ReadFile(ini), "; note\r\n[Lib]\nPath=/new\r\nBackpath=/b\n\n[Operation]\nMode=0");
    // A new key takes the ending most lines have; an unended last line gets
    // one only when something follows it.
    ASSERT_TRUE(IniWrite(ini, "Lib", "V1DataCompatible", "1"));
    ASSERT_TRUE(IniWrite(ini, "Extra", "Key", "v"));
    EXPECT_EQ(ReadFile(ini), "; note\r\n[Lib]\nPath=/new\r\nBackpath=/b\nV1DataCompatible=1\n\n"
                             "[Operation]\nMode=0\n\n[Extra]\nKey=v\n");

    // Mostly CR LF: new lines take CR LF, the one LF line stays LF.
    WriteFile(ini, "[Lib]\r\nPath=/a\n[Operation]\r\nMode=0\r\n");
    ASSERT_TRUE(IniWrite(ini, "Operation", "Mode", "1"));
    ASSERT_TRUE(IniWrite(ini, "Operation", "Other", "x"));
    EXPECT_EQ(ReadFile(ini), "[Lib]\r\nPath=/a\n[Operation]\r\nMode=1\r\nOther=x\r\n");
}

TEST_F(IniFileTest, UnwritableDirectoryFails)
{
    EXPECT_FALSE(IniWrite(env.root / "missing" / "x.ini", "Lib", "Path", "/a"));
}
