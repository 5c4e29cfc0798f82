#include "gui/app/LibAdminMain.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QPushButton>
#include <QTest>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace {

const char* kWarning = "Before proceed with selected action, \r\n"
                       "please make sure that no one else is using the active library !";

class LockResetTest : public ::testing::Test {
protected:
    UiTestEnv env;
    std::string lib = CreateLibrary(env);
    std::string ctrl = CtrlDatabaseFile(lib);
    std::unique_ptr<LibAdminMain> console;

    void SetUp() override
    {
        {
            LibraryBuilder builder(lib);
            builder.AddLock(1, 1);
            builder.AddLock(2, 7);
        }
        env.Configure(lib);
        console = std::make_unique<LibAdminMain>(env.ui);
    }
    void LogIn()
    {
        env.app->state.gsLoginUserID = "1";
        env.app->state.gsLoginUserName = "Administrator";
    }
    void Click(const char* name) { ::Click(*console, name); }
    std::int64_t Locks() { return CountRows(ctrl, "SELECT count(*) FROM `locking`"); }
};

} // namespace

TEST_F(LockResetTest, NothingHappensWithoutLogin)
{
    // The password window is closed by its close box.
    env.dialogs.steps.push_back([](QDialog&) {});
    Click("cmdResetDoc");
    EXPECT_EQ(Locks(), 2);
    for (const auto& text : env.prompter.Texts()) {
        EXPECT_NE(text, kWarning);
        EXPECT_NE(text, "Reset all document locks now ?");
    }
}

TEST_F(LockResetTest, YesEmptiesEveryLockAfterTheWarning)
{
    LogIn();
    env.prompter.answers = {MsgAnswer::No, MsgAnswer::Yes};
    Click("cmdResetDoc");
    EXPECT_EQ(Locks(), 2);
    Click("cmdResetDoc");
    EXPECT_EQ(Locks(), 0);
    const auto& boxes = env.prompter.boxes;
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].text, kWarning);
    EXPECT_EQ(boxes[1].text, "Reset all document locks now ?");
    EXPECT_EQ(boxes[1].icon, MsgIcon::Question);
    EXPECT_EQ(boxes[2].text, kWarning);
    EXPECT_EQ(boxes[4].text, "Done !");
    EXPECT_EQ(boxes[4].icon, MsgIcon::None);
}

TEST_F(LockResetTest, FailedDeleteIsReportedWithoutDone)
{
    {
        SQLite::Database db(ctrl, SQLite::OPEN_READWRITE);
        db.exec("DROP TABLE `locking`");
    }
    LogIn();
    env.prompter.answers = {MsgAnswer::Yes};
    Click("cmdResetDoc");
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_NE(env.prompter.Last().text.find("Database.CtrlTableExe"), std::string::npos);
    for (const auto& text : env.prompter.Texts()) EXPECT_NE(text, "Done !");
}

TEST_F(LockResetTest, CompactNeedsNoLogin)
{
    env.prompter.answers = {MsgAnswer::Yes};
    Click("cmdCompact");
    EXPECT_TRUE(env.dialogs.opened.empty());
    const auto texts = env.prompter.Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0], kWarning);
    EXPECT_EQ(texts[1], "Compact & repair library now?");
    EXPECT_EQ(texts[2], "Compact & Repair Library - processed successfully ! ");
    EXPECT_EQ(Locks(), 2);
}
