#include "UsersFixture.h"

#include "gui/common/Enter_Input.h"
#include "gui/ui/TextFit.h"
#include "gui/users/User_Admin.h"
#include "gui/users/User_Group.h"

#include <QApplication>
#include <QTabWidget>
#include <QTest>

namespace {

class WindowKeys : public UsersLibrary {
protected:
    WindowKeys() { bob = builder->AddUser("Bob", "bob"); }
    static void ShowActive(QWidget& w)
    {
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    std::int64_t bob = 0;
};

// The application font at 13 pt while it lives; windows made meanwhile use it.
struct LargeFont {
    LargeFont() : before(QApplication::font())
    {
        QFont font = before;
        font.setPointSize(13);
        QApplication::setFont(font);
    }
    ~LargeFont() { QApplication::setFont(before); }
    QFont before;
};

// Where the focus goes from first on each of n presses of Tab.
std::vector<QWidget*> TabChain(QWidget* first, int n)
{
    first->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> chain{QApplication::focusWidget()};
    while (n-- > 0) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        chain.push_back(QApplication::focusWidget());
    }
    return chain;
}

} // namespace

TEST_F(WindowKeys, UserPagesSwitchWithCtrlTabAndEnterSavesThePageShown)
{
    User_Admin w(env.ui);
    ShowActive(w);
    Pick(*Find<QComboBox>(w, "Combo1"), "Bob");
    auto& tab = *Find<QTabWidget>(w, "Tab1");
    QLineEdit& name = Box(w, "tbUserName");
    name.setFocus();
    QTest::keyClick(&name, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tab.currentWidget(), Find<QWidget>(w, "pic2"));
    EXPECT_TRUE(Button(w, "usbSavePw").Default()) << "the tab handler ran";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tab.currentWidget(), Find<QWidget>(w, "pic1"));
    EXPECT_TRUE(Button(w, "usbSaveDetail").Default());
    // From outside the pages as well, both ways.
    auto& combo = *Find<QComboBox>(w, "Combo1");
    combo.setFocus();
    QTest::keyClick(&combo, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tab.currentWidget(), Find<QWidget>(w, "pic2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tab.currentWidget(), Find<QWidget>(w, "pic1"));

    name.setFocus();
    name.setText("Bobby");
    QTest::keyClick(&name, Qt::Key_Return);
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{"User detail updated successfully !"});
    EXPECT_EQ(One("SELECT `user-name` FROM `user-list` WHERE `user-id`=" + std::to_string(bob)), "Bobby");
}

TEST_F(WindowKeys, TabFollowsTheReadingOrderWithCloseLast)
{
    User_Admin w(env.ui);
    ShowActive(w);
    Pick(*Find<QComboBox>(w, "Combo1"), "Bob");
    auto inner = [&](const char* name) -> QWidget* { return Button(w, name).InnerButton(); };
    const std::vector<QWidget*> expected{Find<QComboBox>(w, "Combo1"), inner("usbNew"),
                                         inner("usbDelete"),           Find<QTabWidget>(w, "Tab1")->tabBar(),
                                         &Box(w, "tbUserName"),        &Box(w, "tbLoginID"),
                                         inner("usbSaveDetail"),       inner("usbClose")};
    EXPECT_EQ(TabChain(expected.front(), 7), expected);
}

TEST_F(WindowKeys, NoCaptionIsCutAtThirteenPoints)
{
    const LargeFont large;
    builder->AddGroup("Scanning and Indexing Dpt");
    {
        User_Admin w(env.ui);
        w.show();
        EXPECT_EQ(CutTexts(w), QStringList());
        Find<QTabWidget>(w, "Tab1")->setCurrentIndex(1);
        EXPECT_EQ(CutTexts(w), QStringList());
        Click(w, "usbNew");
        EXPECT_EQ(CutTexts(w), QStringList()) << "with Abort shown";
    }
    User_Group groups(env.ui);
    groups.show();
    Pick(*Find<QComboBox>(groups, "Combo1"), "Scanning and Indexing Dpt");
    EXPECT_EQ(CutTexts(groups), QStringList());

    Enter_Input input(&groups);
    input.sLabel = "Rename user group to";
    input.sInput = "Scanning and Indexing Dpt";
    input.show();
    EXPECT_EQ(CutTexts(input), QStringList());
    EXPECT_GE(Find<QLineEdit>(input, "Text1")->width(),
              input.fontMetrics().horizontalAdvance("Scanning and Indexing Dpt"));
}
