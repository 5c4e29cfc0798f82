#include "core/common/IniFile.h"
#include "gui/library/LibCreate.h"
#include "gui/library/LibSelect.h"
#include "support/UiTestEnv.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void ShowActive(QWidget& w)
{
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
}

} // namespace

TEST(LibraryDialogKeys, EnterInSelectLibraryIsOK)
{
    UiTestEnv env;
    const std::string lib = env.MakeBareLibrary();
    LibSelect dialog(env.ui);
    ShowActive(dialog);
    auto* box = Find<QLineEdit>(dialog, "tbLibPath");
    box->setText(QString::fromStdString(lib));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), lib);
}

TEST(LibraryDialogKeys, EnterCreatesAndEscIsCancelNotTheCloseBox)
{
    UiTestEnv env;
    {
        LibCreate form(*env.app);
        ShowActive(form);
        Find<QLineEdit>(form, "Text1")->setText("/srv/new");
        QTest::keyClick(Find<QLineEdit>(form, "Text1"), Qt::Key_Return);
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(form.sCreateLibPath, "/srv/new");

        // Esc clears the answer as Cancel does; the close box would keep it.
        ShowActive(form);
        QTest::keyClick(Find<QLineEdit>(form, "Text1"), Qt::Key_Escape);
        EXPECT_FALSE(form.isVisible());
        EXPECT_TRUE(form.sCreateLibPath.empty());
    }
    LibCreate form(*env.app);
    form.sCreateLibPath = "/srv/kept";
    ShowActive(form);
    form.close();
    EXPECT_EQ(form.sCreateLibPath, "/srv/kept");
}
