// The Check Library window, opened from the console without a login.
#include "gui/library/LibCheck.h"
#include "gui/app/LibAdminMain.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The count shown beside a kind's title; 0 when the kind is not listed.
int CountOf(QDialog& d, const char* title)
{
    auto* table = Find<QTableWidget>(d, "lstCounts");
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 0)->text() == title) return table->item(row, 1)->text().toInt();
    return 0;
}

class LibCheckTest : public ::testing::Test {
protected:
    UiTestEnv env;
    std::string lib = env.MakeBareLibrary();
    void SetUp() override
    {
        LibraryBuilder builder(lib);
        builder.AddInitialRows();
        const auto folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
        LibraryBuilder::Document missing;
        missing.filename = "gone.tif";
        builder.AddDocument(folder, missing);
        builder.AddDocument(folder, missing); // a second row naming the same file
        env.Configure(lib);
    }
};

} // namespace

TEST_F(LibCheckTest, OpensWithoutLoginAndShowsCountsPerKind)
{
    LibAdminMain console(env.ui);
    std::string report;
    env.dialogs.steps.push_back([&](QDialog& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Check Library");
        EXPECT_EQ(CountOf(d, "Document file missing"), 2);
        EXPECT_EQ(CountOf(d, "Documents sharing one file"), 1);
        EXPECT_EQ(Find<QTableWidget>(d, "lstCounts")->rowCount(), 2);
        EXPECT_EQ(Find<QLabel>(d, "Label1")->text().toStdString(), "3 findings");
        report = Find<QPlainTextEdit>(d, "Text1")->toPlainText().toStdString();
        QApplication::clipboard()->clear();
        QTest::mouseClick(Find<QPushButton>(d, "cmdCopy"), Qt::LeftButton);
        EXPECT_EQ(QApplication::clipboard()->text().toStdString(), report);
        // The report wraps its long paths instead of scrolling sideways.
        EXPECT_EQ(Find<QPlainTextEdit>(d, "Text1")->horizontalScrollBar()->maximum(), 0);
        // Enter closes the window, also with the focus on the report or on Copy.
        QApplication::clipboard()->clear();
        Find<QPushButton>(d, "cmdCopy")->setFocus();
        QTest::keyClick(Find<QPushButton>(d, "cmdCopy"), Qt::Key_Return);
        EXPECT_FALSE(d.isVisible());
        EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
    });
    QTest::mouseClick(Find<QPushButton>(console, "cmdCheckLib"), Qt::LeftButton);
    EXPECT_EQ(env.dialogs.opened, std::vector<std::string>{"LibCheck"});
    EXPECT_TRUE(env.prompter.boxes.empty()); // no warning, no error
    EXPECT_FALSE(env.app->state.AdminLoggedIn());
    EXPECT_NE(report.find("Document file missing (2)\n  What to do: "), std::string::npos) << report;
    EXPECT_NE(report.find(lib + "/00000001/gone.tif"), std::string::npos);
}

TEST_F(LibCheckTest, ACleanLibrarySaysSo)
{
    const std::string clean = env.MakeBareLibrary("clean");
    LibraryBuilder(clean).AddInitialRows();
    env.Activate(clean);
    LibCheck dialog(env.ui);
    env.dialogs.steps.push_back([](QDialog&) {});
    env.dialogs.Run(dialog);
    EXPECT_EQ(Find<QLabel>(dialog, "Label1")->text().toStdString(), "No findings: the library is clean.");
    EXPECT_EQ(Find<QTableWidget>(dialog, "lstCounts")->rowCount(), 0);
    EXPECT_FALSE(Find<QProgressBar>(dialog, "ProgressBar1")->isVisible());
    EXPECT_TRUE(Find<QPushButton>(dialog, "cmdCopy")->isEnabled());
}
