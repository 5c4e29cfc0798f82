#include "core/common/IniFile.h"
#include "gui/app/LibAdminMain.h"
#include "gui/library/LibCreate.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

QLineEdit* Path(QWidget& w) { return Find<QLineEdit>(w, "Text1"); }

} // namespace

TEST(LibCreateWindow, PathChecksKeepTheWindowOpen)
{
    UiTestEnv env;
    LibCreate form(*env.app);
    EXPECT_EQ(form.windowTitle().toStdString(), "Specify New Library Location");
    EXPECT_EQ(Path(form)->text().toStdString(), "/");
    form.show();
    QApplication::setActiveWindow(&form);
    // All blank: back into the box without a message.
    Path(form)->setText("   ");
    Find<QPushButton>(form, "cmdCreate")->setFocus();
    Click(form, "cmdCreate");
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(env.prompter.boxes.empty());
    EXPECT_TRUE(Path(form)->hasFocus());

    for (const char* text : {"/", "relative/lib", "///"}) {
        env.prompter.Clear();
        Path(form)->setText(text);
        Click(form, "cmdCreate");
        EXPECT_TRUE(form.isVisible()) << text;
        ASSERT_EQ(env.prompter.boxes.size(), 1u) << text;
        EXPECT_EQ(env.prompter.boxes[0].text, "Path not specified !");
        EXPECT_EQ(env.prompter.boxes[0].icon, MsgIcon::Exclamation);
        EXPECT_TRUE(form.sCreateLibPath.empty());
    }

    // Trailing blanks go, a trailing separator stays.
    Path(form)->setText("/srv/library/  ");
    Click(form, "cmdCreate");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.sCreateLibPath, "/srv/library/");
}

TEST(LibCreateWindow, BrowseFillsThePathAndCancelGivesNothing)
{
    UiTestEnv env;
    LibCreate form(*env.app);
    form.show();
    Path(form)->setText("/srv");
    env.prompter.folders = {std::string("/srv/picked"), std::nullopt};
    Click(form, "Command2");
    ASSERT_EQ(env.prompter.folderRequests.size(), 1u);
    EXPECT_EQ(env.prompter.folderRequests[0].title, "Select a folder");
    EXPECT_EQ(env.prompter.folderRequests[0].initialPath, "/srv");
    EXPECT_EQ(env.prompter.folderRequests[0].owner, static_cast<std::intptr_t>(form.winId()));
    EXPECT_EQ(Path(form)->text().toStdString(), "/srv/picked");
    Click(form, "Command2"); // cancelled: the box keeps its text
    EXPECT_EQ(Path(form)->text().toStdString(), "/srv/picked");

    Click(form, "Command1");
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.sCreateLibPath.empty());
}

TEST(CreateLibCommand, ConsoleShowsTheNewLibrary)
{
    UiTestEnv env;
    LibAdminMain console(env.ui);
    const std::string target = (env.root / "made").string();
    env.prompter.answers = {MsgAnswer::No, MsgAnswer::Yes};
    env.prompter.inputs = {"Branch office"};
    env.dialogs.steps.push_back([&](QDialog& d) {
        Path(d)->setText(QString::fromStdString(target));
        Click(d, "cmdCreate");
    });
    Click(console, "cmdCreateLib");
    EXPECT_EQ(env.dialogs.opened, std::vector<std::string>{"LibCreate"});
    EXPECT_EQ(Find<QLineEdit>(console, "tbActiveLib")->text().toStdString(), target);
    EXPECT_EQ(Find<QLineEdit>(console, "tbLibDesc")->text().toStdString(), "Branch office");
    EXPECT_TRUE(Find<QPushButton>(console, "cmdUsers")->isEnabled());
    EXPECT_EQ(env.prompter.Last().text, "New Library is created succussfully !");
}

TEST(CreateLibCommand, FailureSaysSoAndKeepsTheConfiguredLibrary)
{
    UiTestEnv env;
    const std::string lib = CreateLibrary(env, "lib", "Current");
    LibAdminMain console(env.ui);
    env.prompter.Clear();
    // The location window closed by its close box: no path, no library.
    env.prompter.answers = {MsgAnswer::No};
    env.dialogs.steps.push_back([](QDialog&) {});
    Click(console, "cmdCreateLib");
    EXPECT_EQ(env.prompter.Last().text, "Create new document library not successful ! ");
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(Find<QLineEdit>(console, "tbActiveLib")->text().toStdString(), lib);
    EXPECT_EQ(Find<QLineEdit>(console, "tbLibDesc")->text().toStdString(), "Current");
}
