#include "UsersFixture.h"

#include "gui/app/LibAdminMain.h"

#include <QPushButton>

namespace {

class UserCommands : public UsersLibrary {};

TEST_F(UserCommands, TheConsoleOpensBothWindowsForTheLoggedInAdministrator)
{
    env.Configure(lib);
    LibAdminMain console(env.ui);
    env.app->state.gsLoginUserID = "1";
    std::vector<std::string> firstEntries;
    for (int i = 0; i < 2; ++i)
        env.dialogs.steps.push_back(
            [&](QDialog& d) { firstEntries.push_back(Find<QComboBox>(d, "Combo1")->itemText(0).toStdString()); });
    Find<QPushButton>(console, "cmdUsers")->click();
    Find<QPushButton>(console, "cmdGroups")->click();
    EXPECT_EQ(env.dialogs.opened, (std::vector<std::string>{"User_Admin", "User_Group"}));
    EXPECT_EQ(firstEntries, (std::vector<std::string>{"Administrator", "Admin Group"}));
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
}

} // namespace
