#include "gui/common/Enter_Input.h"
#include "support/WindowDriver.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Shows the window with the prompt and initial text, lets act press what the
// person presses, and returns the answer.
template <typename Act>
std::string Answer(const std::string& initial, Act act)
{
    Enter_Input input;
    input.sLabel = "Rename user group to";
    input.sInput = initial;
    input.show();
    EXPECT_EQ(input.windowTitle(), "Enter Detail");
    EXPECT_EQ(Find<QLabel>(input, "Label1")->text(), "Rename user group to");
    EXPECT_EQ(Find<QLineEdit>(input, "Text1")->text().toStdString(), initial);
    act(input);
    EXPECT_FALSE(input.isVisible());
    return input.sInput;
}

void OkWith(QDialog& d, const char* text)
{
    Find<QLineEdit>(d, "Text1")->setText(text);
    Find<QPushButton>(d, "cmdOK")->click();
}

TEST(EnterInput, OkTrimsAndAnEmptiedBoxKeepsTheInitialText)
{
    EXPECT_EQ(Answer("old", [](QDialog& d) { OkWith(d, "  new name "); }), "new name");
    EXPECT_EQ(Answer("old", [](QDialog& d) { OkWith(d, "    "); }), "");
    EXPECT_EQ(Answer("old", [](QDialog& d) { OkWith(d, ""); }), "old");
}

TEST(EnterInput, CancelEmptiesAndTheCloseBoxChangesNothing)
{
    EXPECT_EQ(Answer("old", [](QDialog& d) { Find<QPushButton>(d, "cmdCancel")->click(); }), "");
    EXPECT_EQ(Answer("old",
                     [](QDialog& d) {
                         Find<QLineEdit>(d, "Text1")->setText("typed");
                         d.close();
                     }),
              "old");
}

TEST(EnterInput, EnterIsOKAndEscIsCancel)
{
    const auto key = [](Qt::Key k, const char* typed) {
        return [k, typed](QDialog& d) {
            d.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
            auto* box = Find<QLineEdit>(d, "Text1");
            box->setText(typed);
            QTest::keyClick(box, k);
        };
    };
    EXPECT_EQ(Answer("old", key(Qt::Key_Return, " typed ")), "typed");
    EXPECT_EQ(Answer("old", key(Qt::Key_Escape, "typed")), "") << "Esc answers as Cancel, not as the close box";
}

} // namespace
