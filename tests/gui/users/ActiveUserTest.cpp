#include "gui/users/ActiveUser.h"

#include "core/users/ActiveList.h"
#include "gui/app/ConsoleCommands.h"
#include "gui/app/LibAdminMain.h"
#include "gui/ui/UserStdButton.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

std::string Format(const SqlValue& value) { return FormatLoginTime(Field(value)); }

std::vector<std::pair<std::string, qint64>> Lines(QWidget& window)
{
    auto* list = Find<QListWidget>(window, "List1");
    std::vector<std::pair<std::string, qint64>> lines;
    for (int i = 0; i < list->count(); ++i)
        lines.emplace_back(list->item(i)->text().toStdString(), list->item(i)->data(Qt::UserRole).toLongLong());
    return lines;
}

// A library with the administrator (1), "Admin Group" (2), Tom (3) and Ann (4).
struct ActiveUserTest : ::testing::Test {
    UiTestEnv env;
    std::string lib = env.MakeBareLibrary();
    LibraryBuilder builder{lib};
    std::int64_t tom = 0, ann = 0;

    void SetUp() override
    {
        builder.AddInitialRows();
        tom = builder.AddUser("Tom", "tom");
        ann = builder.AddUser("Ann", "ann");
        env.Activate(lib);
    }
    std::int64_t Logins(const std::string& where = "1=1")
    {
        return CountRows(CtrlDatabaseFile(lib), "SELECT count(*) FROM `active-list` WHERE " + where);
    }
};

} // namespace

TEST(ActiveUsers, LoginTimeIsShownAsTwoDigitYearMonthDayAndClock)
{
    EXPECT_EQ(Format(std::string("2006-03-15 14:05:09")), "06/03/15 14:05:09");
    EXPECT_EQ(Format(std::string("1999-12-31T23:59:58.250")), "99/12/31 23:59:58");
    EXPECT_EQ(Format(std::string("2006-03-15")), "06/03/15 00:00:00");
    EXPECT_EQ(Format(std::monostate{}), "");
    // Not a date the system writes: shown as stored rather than made up.
    EXPECT_EQ(Format(std::string("yesterday")), "yesterday");
    EXPECT_EQ(Format(std::string("2006-03-15 1405")), "2006-03-15 1405");
    EXPECT_EQ(ActiveUserText("Tom", "06/03/15 14:05:09"), "Tom   ( Login: 06/03/15 14:05:09 )");
}

TEST_F(ActiveUserTest, OneLinePerUserSortedWithTheFirstLoginAndNoOrphans)
{
    builder.AddLogin(tom, "2006-03-15 14:05:09");
    builder.AddLogin(99, "2006-03-15 10:00:00");  // no such user
    builder.AddLogin(2, "2006-03-15 10:00:00");   // the group, not a user
    builder.AddLogin(tom, "2006-03-14 08:00:00"); // earlier, but second in the list
    builder.AddLogin(1, std::nullopt);
    builder.AddLogin(ann, "2006-03-16 09:30:00");

    ActiveUser window(env.ui);
    EXPECT_EQ(window.objectName(), "ActiveUser");
    EXPECT_EQ(window.windowTitle(), "Active User List");
    using Line = std::pair<std::string, qint64>;
    EXPECT_EQ(Lines(window), (std::vector<Line>{{"Administrator   ( Login:  )", 1},
                                                {"Ann   ( Login: 06/03/16 09:30:00 )", ann},
                                                {"Tom   ( Login: 06/03/15 14:05:09 )", tom}}));
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(ActiveUserTest, RemoveAsksAndDeletesEveryRowOfTheUser)
{
    builder.AddLogin(tom, "2006-03-15 14:05:09");
    builder.AddLogin(ann, "2006-03-16 09:30:00");
    builder.AddLogin(tom, "2006-03-17 08:00:00");
    ActiveUser window(env.ui);
    Find<QListWidget>(window, "List1")->setCurrentRow(1); // Tom

    env.prompter.answers = {MsgAnswer::Yes};
    Click(window, "UserStdButton1");
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.Last().text, "Reset selected user ?");
    EXPECT_EQ(env.prompter.Last().buttons, MsgButtons::YesNo);
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Question);
    EXPECT_EQ(env.prompter.Last().title, "Admin Tool");
    EXPECT_EQ(Logins("uid = " + std::to_string(tom)), 0);
    EXPECT_EQ(Logins(), 1);
    ASSERT_EQ(Lines(window).size(), 1u);
    EXPECT_EQ(Lines(window)[0].second, ann);
}

TEST_F(ActiveUserTest, AnsweringNoDeletesNothingButReloads)
{
    builder.AddLogin(tom, "2006-03-15 14:05:09");
    ActiveUser window(env.ui);
    ASSERT_EQ(Lines(window).size(), 1u);
    builder.AddLogin(ann, "2006-03-16 09:30:00"); // logs in while the window is open
    Find<QListWidget>(window, "List1")->setCurrentRow(0);

    env.prompter.answers = {MsgAnswer::No};
    Click(window, "UserStdButton1");
    EXPECT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(Logins(), 2);
    EXPECT_EQ(Lines(window).size(), 2u);
}

TEST_F(ActiveUserTest, RemoveWithoutALineOrASelectionAsksNothing)
{
    for (bool orphans : {false, true}) {
        // An empty login list, then one holding only rows of no user.
        if (orphans) builder.AddLogin(99, "2006-03-15 14:05:09");
        if (orphans) builder.AddLogin(2, "2006-03-15 14:05:09");
        ActiveUser window(env.ui);
        EXPECT_TRUE(Lines(window).empty());
        Click(window, "UserStdButton1");
    }
    builder.AddLogin(tom, "2006-03-15 14:05:09");
    ActiveUser window(env.ui);
    Find<QListWidget>(window, "List1")->setCurrentRow(-1);
    Click(window, "UserStdButton1");
    EXPECT_TRUE(env.prompter.boxes.empty());
    EXPECT_EQ(Logins(), 3);
}

TEST(ActiveUserFailure, AMissingControlDatabaseIsReportedAndListsNothing)
{
    UiTestEnv env;
    env.Activate((env.root / "nowhere").string());
    ActiveUser window(env.ui);
    EXPECT_TRUE(Lines(window).empty());
    EXPECT_GE(env.prompter.ErrorReports(), 1);
}

TEST_F(ActiveUserTest, ConsoleCommandOpensTheListAfterTheLogin)
{
    builder.AddLogin(tom, "2006-03-15 14:05:09");
    env.Configure(lib);
    LibAdminMain console(env.ui);
    env.app->state.gsLoginUserID = "1";
    std::size_t shown = 0;
    env.dialogs.steps.push_back([&](QDialog& dialog) {
        shown = Lines(dialog).size();
        Click(dialog, "UserStdButton2");
        EXPECT_FALSE(dialog.isVisible()) << "Close closes the dialog";
    });
    Find<QPushButton>(console, "cmdResetUser")->click();
    EXPECT_EQ(env.dialogs.opened, std::vector<std::string>{"ActiveUser"});
    EXPECT_EQ(shown, 1u);
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
}
