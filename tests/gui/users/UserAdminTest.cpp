#include "UsersFixture.h"

#include "gui/users/User_Admin.h"

#include <QTabWidget>
#include <QTest>

using Strings = std::vector<std::string>;

namespace {

class UserAdmin : public UsersLibrary {
protected:
    UserAdmin()
    {
        bob = builder->AddUser("Zed Bob", "bob");
        builder->AddUser("Carol", "carol", std::string("stored"));
    }
    QComboBox& Combo(QWidget& w) { return *Find<QComboBox>(w, "Combo1"); }
    std::int64_t bob = 0;
};

TEST_F(UserAdmin, OpensOnTheFirstUserAndKeepsTheAdministratorReadOnly)
{
    User_Admin w(env.ui);
    EXPECT_EQ(w.windowTitle(), "Maintain Users");
    EXPECT_EQ(Entries(Combo(w)), (Strings{"Administrator", "Carol", "Zed Bob"}));
    EXPECT_EQ(Combo(w).currentIndex(), 0);
    EXPECT_EQ(w.UserID(), "1");
    EXPECT_EQ(w.Mode(), "E");
    EXPECT_EQ(TextOf(w, "tbLoginID"), "admin");
    EXPECT_EQ(TextOf(w, "Text1_0"), "**********");
    EXPECT_FALSE(Button(w, "usbDelete").Enabled());
    EXPECT_FALSE(Button(w, "usbSaveDetail").Enabled());
    EXPECT_TRUE(Box(w, "tbUserName").isReadOnly());
    EXPECT_EQ(Box(w, "tbUserName").maxLength(), 25);
    EXPECT_EQ(Box(w, "tbLoginID").maxLength(), 15);
    EXPECT_EQ(Box(w, "Text1_2").maxLength(), 15);

    Pick(Combo(w), "Zed Bob");
    EXPECT_EQ(w.UserID(), std::to_string(bob));
    EXPECT_EQ(TextOf(w, "tbUserName"), "Zed Bob");
    EXPECT_EQ(TextOf(w, "Text1_0"), "") << "no password stored";
    EXPECT_TRUE(Button(w, "usbDelete").Enabled());
    EXPECT_FALSE(Box(w, "tbLoginID").isReadOnly());
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(UserAdmin, TabsShowOnePageWithItsDefaultButton)
{
    User_Admin w(env.ui);
    w.show();
    auto& tab = *Find<QTabWidget>(w, "Tab1");
    QWidget& pic1 = *Find<QWidget>(w, "pic1");
    QWidget& pic2 = *Find<QWidget>(w, "pic2");
    EXPECT_TRUE(pic1.isVisible());
    EXPECT_FALSE(pic2.isVisible());
    EXPECT_TRUE(Button(w, "usbSaveDetail").Default());
    EXPECT_EQ(tab.tabText(0), "Detail");
    EXPECT_EQ(tab.tabText(1), "Password");

    tab.setCurrentIndex(1);
    EXPECT_FALSE(pic1.isVisible());
    EXPECT_TRUE(pic2.isVisible());
    EXPECT_TRUE(pic2.isEnabled());
    EXPECT_TRUE(Button(w, "usbSavePw").Default());
    EXPECT_FALSE(Button(w, "usbSaveDetail").Default());

    Click(w, "usbNew"); // back on Detail; the Password page is off for a new user
    tab.setCurrentIndex(1);
    EXPECT_FALSE(pic2.isEnabled());
}

TEST_F(UserAdmin, CreatesAUserAsTypedAndShowsTheFirstEntry)
{
    User_Admin w(env.ui);
    Click(w, "usbNew");
    EXPECT_EQ(w.Mode(), "N");
    EXPECT_EQ(Entries(Combo(w)).back(), "{New User}");
    EXPECT_FALSE(Combo(w).isEnabled());
    EXPECT_FALSE(Button(w, "usbNew").Enabled());
    EXPECT_FALSE(Button(w, "usbDelete").Enabled());
    EXPECT_FALSE(Button(w, "usbCancel").isHidden());
    EXPECT_EQ(TextOf(w, "tbUserName"), "");

    Type(w, "tbUserName", "Pat O'Brien");
    Type(w, "tbLoginID", " pat'o ");
    Click(w, "usbSaveDetail");
    EXPECT_EQ(env.prompter.Texts(), Strings{"New User created successfully !"});
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Information);
    EXPECT_EQ(One("SELECT `login-id` FROM `user-list` WHERE `user-name`='Pat O''Brien' AND type='U'"), " pat'o ");
    EXPECT_EQ(w.Mode(), "E");
    EXPECT_EQ(w.UserID(), "1") << "the first entry is shown, not the new user";
    EXPECT_EQ(Entries(Combo(w)).back(), "Pat O'Brien");
    EXPECT_TRUE(Button(w, "usbCancel").isHidden());
    EXPECT_TRUE(Combo(w).isEnabled());
    EXPECT_FALSE(Button(w, "usbDelete").Enabled()) << "the administrator is shown";
}

TEST_F(UserAdmin, RefusesIncompleteDuplicateAndReservedNewUsers)
{
    User_Admin w(env.ui);
    const std::int64_t before = Count("SELECT count(*) FROM `user-list`");
    const auto attempt = [&](const std::string& name, const std::string& login) {
        env.prompter.Clear();
        Click(w, "usbNew");
        Type(w, "tbUserName", name);
        Type(w, "tbLoginID", login);
        Click(w, "usbSaveDetail");
        EXPECT_EQ(w.Mode(), "N") << name << "/" << login;
        return env.prompter.Texts();
    };
    EXPECT_EQ(attempt("", "x"), Strings{"User Name not entered!"});
    EXPECT_EQ(attempt("x", ""), Strings{"User Login ID not entered !"});
    EXPECT_EQ(attempt("   ", "x"), Strings{"User Name cannot be empty !"});
    EXPECT_EQ(attempt("x", "  "), Strings{"Login ID cannot be empty !"});
    EXPECT_EQ(attempt("Other Bob", "  bob "), Strings{"User ID already exists, please use another one !"});
    EXPECT_EQ(attempt("Other Bob", "BOB"), Strings{"User ID already exists, please use another one !"});
    EXPECT_EQ(attempt("Admin", "ADMIN"), Strings{"User ID already exists, please use another one !"});
    EXPECT_EQ(attempt("aDmInIsTrAtOr", "boss"),
              Strings{"Administrator is a reserved user name, cannot be used again !"});
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
    EXPECT_EQ(Count("SELECT count(*) FROM `user-list`"), before);

    Click(w, "usbCancel");
    EXPECT_EQ(w.Mode(), "E");
    EXPECT_EQ(Entries(Combo(w)), (Strings{"Administrator", "Carol", "Zed Bob"}));
    EXPECT_TRUE(Combo(w).isEnabled());
    EXPECT_FALSE(Button(w, "usbDelete").Enabled()) << "the administrator is shown again";
}

TEST_F(UserAdmin, EditsAUserInPlaceAndGuardsTheAdministratorNames)
{
    User_Admin w(env.ui);
    Pick(Combo(w), "Zed Bob");
    const auto save = [&](const std::string& name, const std::string& login) {
        env.prompter.Clear();
        Type(w, "tbUserName", name);
        Type(w, "tbLoginID", login);
        Click(w, "usbSaveDetail");
        return env.prompter.Texts();
    };
    EXPECT_EQ(save("Abe O'Hara", "abe"), Strings{"User detail updated successfully !"});
    EXPECT_EQ(Entries(Combo(w)), (Strings{"Administrator", "Carol", "Abe O'Hara"})) << "not re-sorted";
    EXPECT_EQ(One("SELECT `user-name` || '|' || `login-id` FROM `user-list` WHERE `user-id`=" + std::to_string(bob)),
              "Abe O'Hara|abe");

    EXPECT_EQ(save("Abe", "Admin"), Strings{"User ID already exists, please use another one !"});
    EXPECT_EQ(save("ADMINISTRATOR", "abe"), Strings{"Administrator is a reserved user name, cannot be used again !"});
    EXPECT_EQ(save("   ", "abe"), Strings{"User detail updated successfully !"}) << "blanks are text as typed";
    EXPECT_EQ(One("SELECT `user-name` FROM `user-list` WHERE `user-id`=" + std::to_string(bob)), "   ");
}

TEST_F(UserAdmin, LeavingAnEmptyDetailBoxWarnsAndKeepsTheFocus)
{
    User_Admin w(env.ui);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    Pick(Combo(w), "Zed Bob");
    QLineEdit& name = Box(w, "tbUserName");
    QLineEdit& login = Box(w, "tbLoginID");
    name.clear();
    name.setFocus();
    login.setFocus(); // to the other detail box: no check
    EXPECT_TRUE(env.prompter.boxes.empty());

    login.clear();
    Button(w, "usbSaveDetail").InnerButton()->setFocus();
    EXPECT_EQ(env.prompter.Texts(), Strings{"User Login ID not entered !"});
    EXPECT_TRUE(login.hasFocus());

    // A mouse click on a button is refused before it becomes a click.
    env.prompter.Clear();
    login.setText("bob");
    name.setFocus();
    QTest::mouseClick(Button(w, "usbSaveDetail").InnerButton(), Qt::LeftButton);
    EXPECT_EQ(env.prompter.Texts(), Strings{"User Name not entered!"});
    EXPECT_TRUE(name.hasFocus());

    env.prompter.Clear();
    Click(w, "usbNew");
    ASSERT_TRUE(name.hasFocus());
    Button(w, "usbCancel").InnerButton()->setFocus(); // aborting stays possible
    Click(w, "usbCancel");
    EXPECT_TRUE(env.prompter.boxes.empty());
    EXPECT_EQ(w.Mode(), "E");
}

} // namespace
