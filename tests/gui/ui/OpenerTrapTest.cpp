// A window handler without a trap of its own: its error never passes
// through Qt's event loop, and reaches the trap of the handler that opened
// the window.
#include "core/base/AppError.h"
#include "gui/app/DialogRunner.h"

#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class Failing : public QDialog {
public:
    Failing()
    {
        connect(fail, &QPushButton::clicked, this, ToOpenersTrap(this, &Failing::Fail));
        connect(ok, &QPushButton::clicked, this, ToOpenersTrap(this, &Failing::Ok));
    }
    void Fail()
    {
        ++failed;
        throw AppError(5, "Invalid procedure call or argument");
    }
    void Ok() { accept(); }

    QPushButton* fail = new QPushButton("Fail", this);
    QPushButton* ok = new QPushButton("OK", this);
    int failed = 0;
};

// Clicks once the dialog's own event loop runs.
void ClickInLoop(QPushButton* button)
{
    QTimer::singleShot(0, button, [button] { button->click(); });
}

} // namespace

TEST(OpenerTrap, AnErrorClosesTheWindowAndIsThrownWhereItWasOpened)
{
    DialogRunner runner;
    Failing dialog;
    ClickInLoop(dialog.fail);
    try {
        runner.Run(dialog);
        ADD_FAILURE() << "the error did not reach the opener";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 5);
    }
    EXPECT_EQ(dialog.failed, 1);
    EXPECT_FALSE(dialog.isVisible());

    // Thrown once: the next opening runs as usual.
    ClickInLoop(dialog.ok);
    EXPECT_EQ(runner.Run(dialog), QDialog::Accepted);
}

TEST(OpenerTrap, OutsideALoopTheErrorStaysWithTheWindow)
{
    Failing dialog;
    dialog.show();
    EXPECT_NO_THROW(dialog.fail->click());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_THROW(RethrowCarried(dialog), AppError);
    EXPECT_NO_THROW(RethrowCarried(dialog));
}
