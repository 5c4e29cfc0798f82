#include "gui/app/LibAdminMain.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

const char* kAlways[] = {"cmdSelectLib", "cmdCreateLib", "cmdExit"};
const char* kLibrary[] = {"cmdCompact",  "cmdUsers",      "cmdGroups",      "cmdResetUser",
                          "cmdResetDoc", "cmdPublishLib", "cmdMiscSetting", "cmdLibDesc"};

// The console over a test program directory, opened once the test has set
// up what it starts from.
class Console : public ::testing::Test {
protected:
    // A library with its first rows, configured in the settings file.
    std::string ConfigureLibrary(const std::optional<std::string>& description = std::nullopt)
    {
        const std::string lib = env.MakeBareLibrary();
        LibraryBuilder builder(lib);
        if (description) {
            builder.AddInitialRows(*description);
        } else {
            builder.AddInitialRows();
        }
        env.Configure(lib);
        return lib;
    }
    LibAdminMain& Open()
    {
        console = std::make_unique<LibAdminMain>(env.ui);
        return *console;
    }
    void LogIn()
    {
        env.app->state.gsLoginUserID = "1";
        env.app->state.gsLoginUserName = "Administrator";
    }
    std::string Text(const char* name) { return TextOf(*console, name); }

    UiTestEnv env;
    std::unique_ptr<LibAdminMain> console;
};

} // namespace

TEST_F(Console, WithoutSettingsFileNoLibraryIsActive)
{
    Open();
    EXPECT_EQ(console->windowTitle().toStdString(), "Vellarch Admin Tool v2.1");
    EXPECT_EQ(Text("tbActiveLib"), "No valid library selected !");
    EXPECT_EQ(Text("tbLibDesc"), "");
    EXPECT_EQ(Text("lbStatus"), "");
    for (const char* name : kAlways) EXPECT_TRUE(Find<QPushButton>(*console, name)->isEnabled()) << name;
    for (const char* name : kLibrary) EXPECT_FALSE(Find<QPushButton>(*console, name)->isEnabled()) << name;
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(Console, ConfiguredPathWithoutLibraryDatabase)
{
    std::filesystem::create_directories(env.root / "empty");
    env.Configure((env.root / "empty").string());
    Open();
    EXPECT_EQ(Text("tbActiveLib"), "No valid library selected !");
    EXPECT_FALSE(Find<QPushButton>(*console, "cmdUsers")->isEnabled());
}

TEST_F(Console, ConfiguredLibraryIsShownWithItsDescription)
{
    const std::string lib = ConfigureLibrary("Head office");
    Open();
    EXPECT_EQ(Text("tbActiveLib"), lib);
    EXPECT_EQ(Text("tbLibDesc"), "Head office");
    for (const char* name : kLibrary) EXPECT_TRUE(Find<QPushButton>(*console, name)->isEnabled()) << name;
    EXPECT_EQ(Find<QPushButton>(*console, "cmdCompact")->text().toStdString(), "&Compact && Repair Library");

    console->RefreshLibStatus("");
    EXPECT_EQ(Text("tbActiveLib"), "No valid library selected !");
    EXPECT_EQ(Text("tbLibDesc"), "");
    for (const char* name : kLibrary) EXPECT_FALSE(Find<QPushButton>(*console, name)->isEnabled()) << name;
}

TEST_F(Console, EitherLoginValueCountsAsLoggedIn)
{
    Open();
    AppState& state = env.app->state;
    state.gsLoginUserID = "1";
    EXPECT_TRUE(console->CheckAdminLogin());
    EXPECT_EQ(Text("lbStatus"), "*** Admin logged in ***");
    state.gsLoginUserID = "7";
    state.gsLoginUserName = "Administrator";
    EXPECT_TRUE(console->CheckAdminLogin());
    state.gsLoginUserName = "administrator";
    EXPECT_FALSE(state.AdminLoggedIn());
    EXPECT_TRUE(env.dialogs.opened.empty());
}

TEST_F(Console, LoggedInCommandsSkipThePasswordWindowAndWarnFirst)
{
    ConfigureLibrary();
    Open();
    LogIn();
    env.prompter.answers = {MsgAnswer::No};
    // Reset Document Locks: login check, then the shared-use warning.
    Click(*console, "cmdResetDoc");
    ASSERT_FALSE(env.prompter.boxes.empty());
    EXPECT_EQ(env.prompter.boxes[0].text, "Before proceed with selected action, \r\n"
                                          "please make sure that no one else is using the active library !");
    EXPECT_EQ(env.prompter.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(Text("lbStatus"), "*** Admin logged in ***");
}

TEST_F(Console, FailedLoginStopsTheCommand)
{
    ConfigureLibrary();
    Open();
    // The password window is closed by its close box: nobody logs in.
    env.dialogs.steps.push_back([](QDialog&) {});
    Click(*console, "cmdUsers");
    EXPECT_EQ(Text("lbStatus"), "Admin not logged in");
    EXPECT_FALSE(env.app->state.AdminLoggedIn());
    for (const auto& name : env.dialogs.opened) EXPECT_NE(name, "User_Admin");
    for (const auto& box : env.prompter.boxes) EXPECT_EQ(box.text.find("Before proceed"), std::string::npos);
}

TEST_F(Console, TheCheckSitsBesideTheElevenCommands)
{
    LibAdminMain& main = Open();
    std::vector<std::pair<std::string, std::string>> buttons;
    for (const QPushButton* b : main.findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly))
        buttons.emplace_back(b->objectName().toStdString(), b->text().toStdString());
    const std::vector<std::pair<std::string, std::string>> expected = {{"cmdSelectLib", "Select &Active Library"},
                                                                       {"cmdCreateLib", "Create &Document Library"},
                                                                       {"cmdLibDesc", "Library Description"},
                                                                       {"cmdUsers", "&User Account"},
                                                                       {"cmdGroups", "User &Group"},
                                                                       {"cmdPublishLib", "&Backup Document Library"},
                                                                       {"cmdCompact", "&Compact && Repair Library"},
                                                                       {"cmdResetDoc", "Reset Document &Locks"},
                                                                       {"cmdResetUser", "&Reset Active User List"},
                                                                       {"cmdMiscSetting", "Misc &Settting"},
                                                                       {"cmdCheckLib", "Chec&k Library"},
                                                                       {"cmdVerifyBackup", "&Verify Backup"},
                                                                       {"cmdRestoreLib", "R&estore Library"},
                                                                       {"cmdExit", "E&xit"}};
    EXPECT_EQ(buttons, expected);
    // It needs an active library, as the other library commands do.
    EXPECT_FALSE(Find<QPushButton>(main, "cmdCheckLib")->isEnabled());
    // Verify and restore work on a backup: no active library is needed.
    EXPECT_TRUE(Find<QPushButton>(main, "cmdVerifyBackup")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>(main, "cmdRestoreLib")->isEnabled());
}
