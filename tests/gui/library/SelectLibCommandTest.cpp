#include "core/common/IniFile.h"
#include "gui/app/LibAdminMain.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

class SelectLibCommandTest : public ::testing::Test {
protected:
    UiTestEnv env;

    std::string MakeLibrary(const std::string& name, const std::string& description)
    {
        const std::string lib = env.MakeBareLibrary(name);
        LibraryBuilder(lib).AddInitialRows(description);
        return lib;
    }
    static QString Text(LibAdminMain& c, const char* name) { return Find<QLineEdit>(c, name)->text(); }
    static bool Enabled(LibAdminMain& c, const char* name) { return Find<QPushButton>(c, name)->isEnabled(); }
};

TEST_F(SelectLibCommandTest, StartUpShowsTheConfiguredLibrary)
{
    const std::string lib = MakeLibrary("lib", "Head office");
    env.Configure(lib);
    LibAdminMain console(env.ui);
    EXPECT_EQ(Text(console, "tbActiveLib").toStdString(), lib);
    EXPECT_EQ(Text(console, "tbLibDesc"), "Head office");
    EXPECT_TRUE(Enabled(console, "cmdUsers"));
    EXPECT_EQ(Find<QLabel>(console, "lbStatus")->text(), "");
    EXPECT_TRUE(env.dialogs.opened.empty()); // no login asked at start
}

TEST_F(SelectLibCommandTest, CancelKeepsTheSettingsButLogsOut)
{
    const std::string lib = MakeLibrary("lib", "Head office");
    env.Configure(lib);
    LibAdminMain console(env.ui);
    AppState& state = env.app->state;
    state.gsLoginUserID = "1";
    state.gsLoginUserName = "Administrator";
    console.SetStatus("*** Admin logged in ***");
    env.app->db.EnsureLibConnection();
    ASSERT_TRUE(env.app->db.LibConnectionOpen());
    const std::string before = ReadFile(env.Ini());

    env.dialogs.steps.push_back([&](QDialog& d) {
        // The command has logged out and closed the library before the window shows.
        EXPECT_EQ(state.gsActiveLibPath, "");
        EXPECT_FALSE(env.app->db.LibConnectionOpen());
        EXPECT_EQ(Find<QLabel>(console, "lbStatus")->text(), "");
        Find<QLineEdit>(d, "tbLibPath")->setText("/somewhere/else");
        Click(d, "cmdCancel");
    });
    Click(console, "cmdSelectLib");

    EXPECT_EQ(env.dialogs.opened, std::vector<std::string>{"LibSelect"});
    EXPECT_EQ(ReadFile(env.Ini()), before);
    EXPECT_EQ(state.gsLoginUserID, "");
    EXPECT_EQ(state.gsLoginUserName, "");
    EXPECT_FALSE(state.AdminLoggedIn());
    EXPECT_EQ(Find<QLabel>(console, "lbStatus")->text(), "");
    // Reloaded from the settings file.
    EXPECT_EQ(state.gsActiveLibPath, lib);
    EXPECT_EQ(Text(console, "tbActiveLib").toStdString(), lib);
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(SelectLibCommandTest, OKSwitchesToTheChosenLibrary)
{
    const std::string first = MakeLibrary("one", "First");
    const std::string second = MakeLibrary("two", "Second");
    env.Configure(first);
    LibAdminMain console(env.ui);
    env.dialogs.steps.push_back([&](QDialog& d) {
        Type(d, "tbLibPath", second);
        Click(d, "cmdOK");
    });
    Click(console, "cmdSelectLib");
    EXPECT_EQ(env.app->state.gsActiveLibPath, second);
    EXPECT_EQ(env.app->state.gsCtrlLibPath, second);
    EXPECT_EQ(Text(console, "tbActiveLib").toStdString(), second);
    EXPECT_EQ(Text(console, "tbLibDesc"), "Second");
}

TEST_F(SelectLibCommandTest, ChoosingADirectoryWithoutLibraryDisablesTheCommands)
{
    env.Configure(MakeLibrary("lib", "Head office"));
    LibAdminMain console(env.ui);
    const fs::path plain = env.root / "plain";
    fs::create_directories(plain);
    env.dialogs.steps.push_back([&](QDialog& d) {
        Type(d, "tbLibPath", plain.string());
        Click(d, "cmdOK");
    });
    Click(console, "cmdSelectLib");
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), plain.string());
    EXPECT_EQ(Text(console, "tbActiveLib"), "No valid library selected !");
    EXPECT_EQ(Text(console, "tbLibDesc"), "");
    EXPECT_FALSE(Enabled(console, "cmdUsers"));
    EXPECT_TRUE(Enabled(console, "cmdSelectLib"));
}
