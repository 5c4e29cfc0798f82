#include "core/backup/BackupDates.h"
#include "core/backup/LastBackup.h"
#include "core/common/IniFile.h"
#include "core/users/InitialPassword.h"
#include "core/users/Password.h"
#include "gui/app/LibAdminMain.h"
#include "gui/ui/UserStdButton.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

namespace {

// A console on a configured library whose administrator has the initial password.
struct ConsoleOnNewLibrary : ::testing::Test {
    ConsoleOnNewLibrary() : lib(env.MakeBareLibrary())
    {
        LibraryBuilder(lib).AddInitialRows();
        env.Configure(lib);
    }
    void ShowActive(QWidget& w)
    {
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    static ScriptedDialogs::Step Login(const char* password)
    {
        return [password](QDialog& d) {
            Find<QLineEdit>(d, "tbPass")->setText(password);
            Find<QPushButton>(d, "Command1")->click();
        };
    }
    static void Press(QWidget& w, const char* name) { Find<UserStdButton>(w, name)->InnerButton()->click(); }

    UiTestEnv env;
    std::string lib;
};

bool NoticeShown(LibAdminMain& c) { return Find<QLabel>(c, "lbInitialPassword")->isVisibleTo(&c); }

} // namespace

TEST_F(ConsoleOnNewLibrary, KeysWorkOnTheConsoleAgainAfterAFailedLogin)
{
    LibAdminMain console(env.ui);
    ShowActive(console);
    auto* users = Find<QPushButton>(console, "cmdUsers");
    env.dialogs.steps.push_back(Login("wrong"));
    users->click();
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{"Login unsuccessful, please try again !"});
    // Activation arrives as a window event; without the console asking for
    // it, nothing would be active.
    ASSERT_TRUE(QTest::qWaitForWindowActive(&console, 1000));
    EXPECT_EQ(QApplication::focusWidget(), users);

    // So an access key reaches its button at once: Alt+G opens the login again.
    env.dialogs.steps.push_back([](QDialog& d) { d.close(); });
    QTest::keyClick(&console, Qt::Key_G, Qt::AltModifier);
    // An access key clicks a moment later, as the button shows itself pressed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return env.dialogs.opened.size() == 2; }, 1000));
    EXPECT_EQ(env.dialogs.opened, (std::vector<std::string>{"Admin_Pass", "Admin_Pass"}));
    ASSERT_TRUE(QTest::qWaitForWindowActive(&console, 1000));
    EXPECT_EQ(QApplication::focusWidget(), Find<QPushButton>(console, "cmdGroups"));
}

TEST_F(ConsoleOnNewLibrary, InitialPasswordLineGoesOnceThePasswordChanges)
{
    LibAdminMain console(env.ui);
    EXPECT_TRUE(NoticeShown(console));
    EXPECT_EQ(Find<QLabel>(console, "lbInitialPassword")->text().toStdString(),
              "The administrator password is the initial one (quillset): change it under User Account.");
    EXPECT_EQ(Find<QLabel>(console, "lbStatus")->text(), "") << "the status keeps its own texts";

    env.dialogs.steps.push_back(Login("quillset"));
    env.dialogs.steps.push_back([](QDialog& d) {
        Find<QTabWidget>(d, "Tab1")->setCurrentIndex(1);
        Find<QLineEdit>(d, "Text1_0")->setText("quillset");
        Find<QLineEdit>(d, "Text1_1")->setText("secret");
        Find<QLineEdit>(d, "Text1_2")->setText("secret");
        Press(d, "usbSavePw");
        Press(d, "usbClose");
    });
    Find<QPushButton>(console, "cmdUsers")->click();
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{"Password changed successfully !"});
    EXPECT_FALSE(NoticeShown(console));

    // Reset to the initial password elsewhere: shown again once the library is shown again;
    // gone while no library is active.
    LibraryBuilder builder(lib);
    SQLite::Statement reset(builder.Lib(), "UPDATE `user-list` SET password = ? WHERE `user-id` = 1");
    reset.bind(1, ScramblePassword(kInitialPassword));
    reset.exec();
    console.RefreshLibStatus(lib);
    EXPECT_TRUE(NoticeShown(console));
    console.RefreshLibStatus("");
    EXPECT_FALSE(NoticeShown(console));
}

TEST_F(ConsoleOnNewLibrary, TheLastBackupLineShowsOnlyWithABackupPathAndWarnsWhenThereIsNone)
{
    LibAdminMain console(env.ui);
    auto* line = Find<QLabel>(console, "lbLastBackup");
    EXPECT_FALSE(line->isVisibleTo(&console));

    const std::string backup = (env.root / "bk").string();
    IniWrite(env.Ini(), "Lib", "Backpath", backup);
    console.RefreshLibStatus(lib);
    EXPECT_TRUE(line->isVisibleTo(&console));
    EXPECT_EQ(line->text().toStdString(), std::string("Last backup: none\n") + kNoBackupWarning);

    std::filesystem::create_directories(backup);
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "FROM", lib);
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "Date", FormatRecordDate(std::time(nullptr) - 86400 - 60));
    console.RefreshLibStatus(lib);
    EXPECT_EQ(line->text().toStdString().rfind("Last backup: ", 0), 0u);
    EXPECT_NE(line->text().toStdString().find(", 1 day ago"), std::string::npos) << line->text().toStdString();
    EXPECT_EQ(line->text().toStdString().find("Warning"), std::string::npos);
    EXPECT_EQ(Find<QLabel>(console, "lbStatus")->text(), "") << "the status keeps its own texts";

    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "FROM", "/srv/another");
    console.RefreshLibStatus(lib);
    EXPECT_EQ(line->text().toStdString(), std::string("Last backup: none\n") + kOtherLibraryWarning);
}
