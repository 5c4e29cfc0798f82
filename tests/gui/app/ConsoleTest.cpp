#include "gui/app/LibAdminMain.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char* kAlways[] = {"cmdSelectLib", "cmdCreateLib", "cmdExit"};
const char* kLibrary[] = {"cmdCompact", "cmdUsers",       "cmdGroups",  "cmdResetUser",
                          "cmdResetDoc", "cmdPublishLib", "cmdMiscSetting", "cmdLibDesc"};

std::string Text(LibAdminMain& c, const char* name)
{
    if (auto* edit = c.findChild<QLineEdit*>(name)) return edit->text().toStdString();
    return Find<QLabel>(c, name)->text().toStdString();
}

} // namespace

TEST(Console, WithoutSettingsFileNoLibraryIsActive)
{
    UiTestEnv env;
    LibAdminMain console(env.ui);
    EXPECT_EQ(console.windowTitle().toStdString(), "Vellarch Admin Tool v2.1");
    EXPECT_EQ(Text(console, "tbActiveLib"), "No valid library selected !");
    EXPECT_EQ(Text(console, "tbLibDesc"), "");
    EXPECT_EQ(Text(console, "lbStatus"), "");
    for (const char* name : kAlways) EXPECT_TRUE(Find<QPushButton>(console, name)->isEnabled()) << name;
    for (const char* name : kLibrary) EXPECT_FALSE(Find<QPushButton>(console, name)->isEnabled()) << name;
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST(Console, ConfiguredPathWithoutLibraryDatabase)
{
    UiTestEnv env;
    std::filesystem::create_directories(env.root / "empty");
    env.Configure((env.root / "empty").string());
    LibAdminMain console(env.ui);
    EXPECT_EQ(Text(console, "tbActiveLib"), "No valid library selected !");
    EXPECT_FALSE(Find<QPushButton>(console, "cmdUsers")->isEnabled());
}

TEST(Console, ConfiguredLibraryIsShownWithItsDescription)
{
    UiTestEnv env;
    const std::string lib = env.MakeBareLibrary();
    LibraryBuilder(lib).AddInitialRows("Head office");
    env.Configure(lib);
    LibAdminMain console(env.ui);
    EXPECT_EQ(Text(console, "tbActiveLib"), lib);
    EXPECT_EQ(Text(console, "tbLibDesc"), "Head office");
    for (const char* name : kLibrary) EXPECT_TRUE(Find<QPushButton>(console, name)->isEnabled()) << name;
    EXPECT_EQ(Find<QPushButton>(console, "cmdCompact")->text().toStdString(), "&Compact && Repair Library");

    console.RefreshLibStatus("");
    EXPECT_EQ(Text(console, "tbActiveLib"), "No valid library selected !");
    EXPECT_EQ(Text(console, "tbLibDesc"), "");
    for (const char* name : kLibrary) EXPECT_FALSE(Find<QPushButton>(console, name)->isEnabled()) << name;
}

TEST(Console, EitherLoginValueCountsAsLoggedIn)
{
    UiTestEnv env;
    LibAdminMain console(env.ui);
    AppState& state = env.app->state;
    state.gsLoginUserID = "1";
    EXPECT_TRUE(console.CheckAdminLogin());
    EXPECT_EQ(Text(console, "lbStatus"), "*** Admin logged in ***");
    state.gsLoginUserID = "7";
    state.gsLoginUserName = "Administrator";
    EXPECT_TRUE(console.CheckAdminLogin());
    state.gsLoginUserName = "administrator";
    EXPECT_FALSE(state.AdminLoggedIn());
    EXPECT_TRUE(env.dialogs.opened.empty());
}

TEST(Console, LoggedInCommandsSkipThePasswordWindowAndWarnFirst)
{
    UiTestEnv env;
    const std::string lib = env.MakeBareLibrary();
    LibraryBuilder(lib).AddInitialRows();
    env.Configure(lib);
    LibAdminMain console(env.ui);
    env.app->state.gsLoginUserID = "1";
    env.app->state.gsLoginUserName = "Administrator";
    env.prompter.answers = {MsgAnswer::No};
    // Reset Document Locks: login check, then the shared-use warning.
    QTest::mouseClick(Find<QPushButton>(console, "cmdResetDoc"), Qt::LeftButton);
    ASSERT_FALSE(env.prompter.boxes.empty());
    EXPECT_EQ(env.prompter.boxes[0].text, "Before proceed with selected action, \r\n"
                                          "please make sure that no one else is using the active library !");
    EXPECT_EQ(env.prompter.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(Text(console, "lbStatus"), "*** Admin logged in ***");
}

TEST(Console, FailedLoginStopsTheCommand)
{
    UiTestEnv env;
    const std::string lib = env.MakeBareLibrary();
    LibraryBuilder(lib).AddInitialRows();
    env.Configure(lib);
    LibAdminMain console(env.ui);
    // The password window is closed by its close box: nobody logs in.
    env.dialogs.steps.push_back([](QDialog&) {});
    QTest::mouseClick(Find<QPushButton>(console, "cmdUsers"), Qt::LeftButton);
    EXPECT_EQ(Text(console, "lbStatus"), "Admin not logged in");
    EXPECT_FALSE(env.app->state.AdminLoggedIn());
    for (const auto& name : env.dialogs.opened) EXPECT_NE(name, "User_Admin");
    for (const auto& box : env.prompter.boxes) EXPECT_EQ(box.text.find("Before proceed"), std::string::npos);
}

TEST(Console, TheCheckSitsBesideTheElevenCommands)
{
    UiTestEnv env;
    LibAdminMain console(env.ui);
    std::vector<std::pair<std::string, std::string>> buttons;
    for (int i = 0; i < console.layout()->count(); ++i)
        if (auto* b = qobject_cast<QPushButton*>(console.layout()->itemAt(i)->widget()))
            buttons.emplace_back(b->objectName().toStdString(), b->text().toStdString());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"cmdSelectLib", "Select &Active Library"},
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
        {"cmdExit", "E&xit"}};
    EXPECT_EQ(buttons, expected);
    // It needs an active library, as the other library commands do.
    EXPECT_FALSE(Find<QPushButton>(console, "cmdCheckLib")->isEnabled());
}
