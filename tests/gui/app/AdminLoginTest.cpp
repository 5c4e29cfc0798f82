#include "core/app/AdminLogin.h"
#include "core/users/Password.h"
#include "gui/app/Admin_Pass.h"
#include "gui/app/LibAdminMain.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr const char* kFailed = "Login unsuccessful, please try again !";
}

// The login on a real library file.
class AdminLoginTest : public ::testing::Test {
protected:
    UiTestEnv env;
    std::string lib = env.MakeBareLibrary();
    AppState& state() { return env.app->state; }

    void SetUp() override { env.Activate(lib); }
    void Fill() { LibraryBuilder(lib).AddInitialRows(); }
};

TEST_F(AdminLoginTest, RightPasswordLogsInAndClosesBothConnections)
{
    Fill();
    env.app->db.EnsureCtrlConnection();
    EXPECT_TRUE(AdminLogin(*env.app, "quillset"));
    EXPECT_EQ(state().gsLoginUserID, "1");
    EXPECT_EQ(state().gsLoginUserName, "Administrator");
    EXPECT_TRUE(env.prompter.boxes.empty());
    EXPECT_FALSE(env.app->db.LibConnectionOpen());
    EXPECT_FALSE(env.app->db.CtrlConnectionOpen());
}

TEST_F(AdminLoginTest, WrongPasswordOrWrongCaseFails)
{
    Fill();
    for (const char* wrong : {"Quillset", "QUILLSET", "quillset ", "", "quill"}) {
        env.prompter.Clear();
        env.app->db.EnsureCtrlConnection();
        EXPECT_FALSE(AdminLogin(*env.app, wrong)) << wrong;
        EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{kFailed});
        EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
        EXPECT_FALSE(env.app->db.LibConnectionOpen());
        EXPECT_FALSE(env.app->db.CtrlConnectionOpen());
    }
    EXPECT_EQ(state().gsLoginUserID, "");
    EXPECT_EQ(state().gsLoginUserName, "");
}

TEST_F(AdminLoginTest, GroupRowNamedAdminNeverMatches)
{
    LibraryBuilder builder(lib);
    builder.Lib().exec("INSERT INTO `user-list` (`user-name`,`login-id`,`type`,`password`) "
                       "VALUES ('Admin Group','admin','G','" +
                       ScramblePassword("secret") + "')");
    EXPECT_FALSE(AdminLogin(*env.app, "secret"));
    builder.AddUser("Administrator", "admin", ScramblePassword("other"));
    EXPECT_FALSE(AdminLogin(*env.app, "secret"));
    EXPECT_TRUE(AdminLogin(*env.app, "other"));
    EXPECT_EQ(state().gsLoginUserID, "2");
}

TEST_F(AdminLoginTest, NullStoredPasswordMatchesAnEmptyEntry)
{
    LibraryBuilder(lib).AddUser("Administrator", "admin", std::nullopt);
    EXPECT_FALSE(AdminLogin(*env.app, "x"));
    EXPECT_TRUE(AdminLogin(*env.app, ""));
    EXPECT_EQ(state().gsLoginUserID, "1");
}

TEST_F(AdminLoginTest, FirstOfSeveralAdministratorRowsDecides)
{
    LibraryBuilder builder(lib);
    builder.AddUser("Boss", "admin", ScramblePassword("first"));
    builder.AddUser("Deputy", "admin", ScramblePassword("second"));
    EXPECT_FALSE(AdminLogin(*env.app, "second"));
    EXPECT_TRUE(AdminLogin(*env.app, "first"));
    EXPECT_EQ(state().gsLoginUserName, "Boss");
    EXPECT_TRUE(state().AdminLoggedIn()); // by user-id 1 alone
}

TEST_F(AdminLoginTest, MissingLibraryDatabaseIsAFailedLogin)
{
    env.Activate((env.root / "gone").string());
    EXPECT_FALSE(AdminLogin(*env.app, "quillset"));
    // The database layer reports the open and the query; then the refusal.
    EXPECT_EQ(env.prompter.ErrorReports(), 2);
    EXPECT_EQ(env.prompter.Last().text, kFailed);
    EXPECT_FALSE(state().AdminLoggedIn());
}

// The window and the console's login gate.
class AdminPassWindowTest : public AdminLoginTest {
protected:
    void SetUp() override
    {
        Fill();
        env.Configure(lib);
    }
    // A step that types the password and clicks OK; records whether the window closed.
    ScriptedDialogs::Step Type(const std::string& password, bool* closed = nullptr)
    {
        return [password, closed](QDialog& d) {
            auto* box = Find<QLineEdit>(d, "tbPass");
            EXPECT_EQ(box->text(), "");
            QTest::keyClicks(box, QString::fromStdString(password));
            Click(d, "Command1");
            if (closed) *closed = !d.isVisible();
        };
    }
    static std::string Status(LibAdminMain& c) { return TextOf(c, "lbStatus"); }
};

TEST_F(AdminPassWindowTest, ControlsAndMaskedInput)
{
    env.Activate(lib);
    Admin_Pass dialog(env.ui);
    EXPECT_EQ(dialog.windowTitle(), "Admin Password");
    EXPECT_EQ(Find<QLabel>(dialog, "Label1")->text(), "Enter admin password:");
    EXPECT_EQ(Find<QPushButton>(dialog, "Command1")->text(), "&OK");
    auto* box = Find<QLineEdit>(dialog, "tbPass");
    EXPECT_EQ(box->echoMode(), QLineEdit::Password);
    Find<QWidget>(dialog, "Frame1");
    EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), 1); // no cancel button
    dialog.show();
    EXPECT_EQ(dialog.focusWidget(), box);
}

TEST_F(AdminPassWindowTest, RightPasswordLogsInThroughTheConsole)
{
    LibAdminMain console(env.ui);
    bool closed = false;
    env.dialogs.steps.push_back(Type("quillset", &closed));
    EXPECT_TRUE(console.CheckAdminLogin());
    EXPECT_TRUE(closed);
    EXPECT_EQ(env.dialogs.opened, std::vector<std::string>{"Admin_Pass"});
    EXPECT_EQ(Status(console), "*** Admin logged in ***");
    EXPECT_EQ(env.app->state.gsLoginUserID, "1");

    // Logged in already: no window, the status says so.
    console.SetStatus("");
    EXPECT_TRUE(console.CheckAdminLogin());
    EXPECT_EQ(env.dialogs.opened.size(), 1u);
    EXPECT_EQ(Status(console), "*** Admin logged in ***");
}

TEST_F(AdminPassWindowTest, FailedAttemptClosesTheWindowAndAsksAgainNextTime)
{
    LibAdminMain console(env.ui);
    bool closed = false;
    env.dialogs.steps.push_back(Type("Quillset", &closed));
    EXPECT_FALSE(console.CheckAdminLogin());
    EXPECT_TRUE(closed);
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{kFailed});
    EXPECT_EQ(Status(console), "Admin not logged in");
    EXPECT_FALSE(env.app->db.LibConnectionOpen());

    env.dialogs.steps.push_back(Type("quillset"));
    EXPECT_TRUE(console.CheckAdminLogin());
    EXPECT_EQ(env.dialogs.opened.size(), 2u);
}

TEST_F(AdminPassWindowTest, CloseBoxLogsNobodyInAndSaysNothing)
{
    LibAdminMain console(env.ui);
    env.dialogs.steps.push_back([](QDialog& d) { d.close(); });
    EXPECT_FALSE(console.CheckAdminLogin());
    EXPECT_TRUE(env.prompter.boxes.empty());
    EXPECT_EQ(Status(console), "Admin not logged in");
}

TEST_F(AdminPassWindowTest, SelectActiveLibraryAsksForTheLoginAgain)
{
    LibAdminMain console(env.ui);
    env.dialogs.steps.push_back(Type("quillset"));
    ASSERT_TRUE(console.CheckAdminLogin());
    // The same library chosen again still logs out.
    env.dialogs.steps.push_back([](QDialog& d) { Click(d, "cmdOK"); });
    Click(console, "cmdSelectLib");
    EXPECT_EQ(Status(console), "");
    EXPECT_FALSE(env.app->state.AdminLoggedIn());
    env.dialogs.steps.push_back(Type("quillset"));
    EXPECT_TRUE(console.CheckAdminLogin());
    EXPECT_EQ(env.dialogs.opened, (std::vector<std::string>{"Admin_Pass", "LibSelect", "Admin_Pass"}));
}

TEST_F(AdminPassWindowTest, EnterIsOK)
{
    LibAdminMain console(env.ui);
    env.dialogs.steps.push_back([](QDialog& d) {
        d.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        auto* box = Find<QLineEdit>(d, "tbPass");
        QTest::keyClicks(box, "quillset");
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_TRUE(console.CheckAdminLogin());
}
