// Where the settings file is, and how its site defaults are read beneath it.
#include "core/app/SettingsLocation.h"
#include "core/common/Commons.h"
#include "core/common/IniSetting.h"

#include "support/TestEnv.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct Place {
    const char* name;
    fs::perms dir;                // of the program's directory
    std::optional<fs::perms> ini; // of Vellarch.ini beside the program, if any
    std::optional<std::string> configHome;
    const char* file; // expected, relative to the test's root
    bool defaults;    // the file beside the program read beneath it
};

constexpr fs::perms kWritable = fs::perms(0755), kReadOnlyDir = fs::perms(0555), kReadOnly = fs::perms(0444);

} // namespace

TEST(SettingsLocation, BesideTheProgramOnlyWhereItCanBeWritten)
{
    const std::vector<Place> places = {
        {"writable directory, no file", kWritable, {}, "/x", "program/Vellarch.ini", false},
        {"writable directory and file", kWritable, fs::perms(0644), "/x", "program/Vellarch.ini", false},
        {"read-only directory, no file", kReadOnlyDir, {}, {}, "home/.config/rezudizid/Vellarch.ini", false},
        {"read-only directory and file", kReadOnlyDir, kReadOnly, {}, "home/.config/rezudizid/Vellarch.ini", true},
        {"read-only file, writable directory", kWritable, kReadOnly, {}, "home/.config/rezudizid/Vellarch.ini", true},
        // Written by replacing it, which its directory must allow.
        {"writable file, read-only directory",
         kReadOnlyDir,
         fs::perms(0644),
         {},
         "home/.config/rezudizid/Vellarch.ini",
         true},
        {"XDG_CONFIG_HOME set", kReadOnlyDir, {}, "@/xdg", "xdg/rezudizid/Vellarch.ini", false},
        {"XDG_CONFIG_HOME empty", kReadOnlyDir, {}, "", "home/.config/rezudizid/Vellarch.ini", false},
        {"XDG_CONFIG_HOME relative", kReadOnlyDir, {}, "xdg", "home/.config/rezudizid/Vellarch.ini", false},
    };
    for (const Place& p : places) {
        TestEnv env;
        const fs::path beside = env.programDir / "Vellarch.ini";
        if (p.ini) {
            WriteFile(beside, "[Lib]\nPath=/site\n");
            fs::permissions(beside, *p.ini);
        }
        fs::permissions(env.programDir, p.dir);
        std::optional<std::string> configHome = p.configHome;
        if (configHome && configHome->starts_with("@")) configHome = env.root.string() + configHome->substr(1);
        const SettingsFile found = LocateSettings(env.programDir, configHome, (env.root / "home").string());
        EXPECT_EQ(found.file, env.root / p.file) << p.name;
        EXPECT_EQ(found.defaults, p.defaults ? beside : fs::path()) << p.name;
        fs::permissions(env.programDir, kWritable);
    }
}

TEST(SettingsLocation, HomeComesFromTheAccountWhenUnset)
{
    const passwd* account = ::getpwuid(::geteuid());
    ASSERT_NE(account, nullptr);
    const SettingsFile found = LocateSettings("/proc", std::nullopt, std::nullopt);
    EXPECT_EQ(found.file, fs::path(account->pw_dir) / ".config/rezudizid/Vellarch.ini");
}

// The user's file wins key by key; a key it lacks comes from the defaults,
// which no write ever touches; the first write makes the folder.
TEST(SettingsLocation, DefaultsAreReadBeneathAndNeverWritten)
{
    TestEnv env;
    const fs::path defaults = env.programDir / "Vellarch.ini";
    const std::string site = "[LIB]\nPath=/site/lib\nBackpath=/site/backup\n[Operation]\nMode=1\n";
    WriteFile(defaults, site);
    const SettingsFile settings{env.root / "config/rezudizid/Vellarch.ini", defaults};

    EXPECT_EQ(GetIniString("LIB", "Path", settings), "/site/lib") << "no file of the user's yet";
    EXPECT_EQ(ReadIniSetting(settings, "Operation", "Mode", "0"), "1");
    ASSERT_TRUE(WriteSettings(settings, "Lib", {{"Path", "/mine"}, {"Backpath", ""}}));
    EXPECT_EQ(GetIniString("LIB", "Path", settings), "/mine");
    EXPECT_EQ(GetIniString("LIB", "Backpath", settings), "") << "an emptied key is the user's, not the site's";
    EXPECT_EQ(ReadIniSetting(settings, "Operation", "Mode", "0"), "1") << "still the site's";
    EXPECT_EQ(ReadFile(defaults), site);
    EXPECT_EQ(ReadFile(settings.file), "[Lib]\nPath=/mine\nBackpath=\n");
    struct stat st {};
    ASSERT_EQ(::stat(settings.file.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << "private to the user";
}
