#include "core/library/LibraryDesc.h"
#include "core/library/Library.h"
#include "gui/app/LibAdminMain.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"
#include "support/UiTestEnv.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace {

class DescTest : public ::testing::Test {
protected:
    UiTestEnv env;
    AppContext& app = *env.app;

    std::string Rows(const std::string& lib)
    {
        app.db.CloseLibConnection();
        return QueryOne(LibDatabaseFile(lib), "SELECT group_concat(`rec-id`||'/'||subpath||'/'||filecount, ';') "
                                              "FROM (SELECT * FROM `lib-ctrl` WHERE `rec-id` <> 4 ORDER BY `rec-id`)");
    }
    void Exec(const std::string& lib, const std::string& sql)
    {
        app.db.CloseLibConnection();
        SQLite::Database(LibDatabaseFile(lib), SQLite::OPEN_READWRITE).exec(sql);
    }
};

} // namespace

TEST_F(DescTest, ReadsInformationRecordsOnlyWhenBothNumbersMatch)
{
    const std::string lib = CreateLibrary(env, "lib", "Head office");
    EXPECT_EQ(GetLibExtraInfo(app, "2"), "210");
    EXPECT_EQ(GetLibExtraInfo(app, "3"), "Head office");
    EXPECT_EQ(GetLibExtraInfo(app, "4").size(), 19u);
    EXPECT_EQ(GetLibExtraInfo(app, "5"), "");
    Exec(lib, "UPDATE `lib-ctrl` SET filecount = 9 WHERE `rec-id` = 3");
    EXPECT_EQ(GetLibExtraInfo(app, "3"), "");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(DescTest, UpdateCutsAtFiftyCharactersAndKeepsApostrophes)
{
    const std::string lib = CreateLibrary(env);
    ASSERT_TRUE(UpdateLibDesc(app, std::string(70, 'd')));
    EXPECT_EQ(GetLibExtraInfo(app, "3"), std::string(50, 'd'));
    ASSERT_TRUE(UpdateLibDesc(app, "Smith's 'archive'"));
    EXPECT_EQ(GetLibExtraInfo(app, "3"), "Smith's 'archive'");
    EXPECT_EQ(Rows(lib), "1/00000001/0;2/210/2;3/Smith's 'archive'/3");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(DescTest, OlderLibraryGetsVersionAndDescriptionRecords)
{
    const std::string lib = env.MakeBareLibrary("old");
    env.Activate(lib);
    ASSERT_TRUE(UpdateLibDesc(app, "First"));
    EXPECT_EQ(Rows(lib), "1//0;2/100/2;3/First/3");
    ASSERT_TRUE(UpdateLibDesc(app, "Second"));
    EXPECT_EQ(Rows(lib), "1//0;2/100/2;3/Second/3");
}

TEST_F(DescTest, MissingDescriptionRecordIsAddedNotReportedAsDone)
{
    const std::string lib = CreateLibrary(env);
    Exec(lib, "DELETE FROM `lib-ctrl` WHERE `rec-id` = 3");
    ASSERT_TRUE(UpdateLibDesc(app, "Back again"));
    EXPECT_EQ(GetLibExtraInfo(app, "3"), "Back again");
}

TEST_F(DescTest, RecordNumberTakenByAnotherRowIsReportedAndNothingAdded)
{
    const std::string lib = env.MakeBareLibrary("old");
    env.Activate(lib);
    Exec(lib, "INSERT INTO `lib-ctrl` (`rec-id`, subpath, filecount) VALUES (2, '00000002', 17)");
    EXPECT_FALSE(UpdateLibDesc(app, "Lost?"));
    EXPECT_GE(env.prompter.ErrorReports(), 1);
    EXPECT_NE(env.prompter.Last().text.find("Library.UpdateLibDesc"), std::string::npos);
    EXPECT_NE(env.prompter.Last().text.find("sLibDesc='Lost?'"), std::string::npos);
    EXPECT_EQ(Rows(lib), "1//0;2/00000002/17");
    EXPECT_EQ(app.db.TransLevel(), 0);
}

TEST_F(DescTest, ConsoleCommandPromptsWithTheCurrentDescription)
{
    const std::string lib = CreateLibrary(env); // blank description: " "
    env.Configure(lib);
    LibAdminMain console(env.ui);
    auto* shown = Find<QLineEdit>(console, "tbLibDesc");
    EXPECT_EQ(shown->text().toStdString(), " ");

    // Cancel and an all-blank answer leave the library alone.
    env.prompter.inputs = {"", "   "};
    Click(console, "cmdLibDesc");
    Click(console, "cmdLibDesc");
    ASSERT_EQ(env.prompter.prompts.size(), 2u);
    EXPECT_EQ(env.prompter.prompts[0].prompt, "Enter library description (max 50 characters):");
    EXPECT_EQ(env.prompter.prompts[0].title, "Edit Description");
    EXPECT_EQ(env.prompter.prompts[0].defaultText, " ");
    EXPECT_EQ(Rows(lib), "1/00000001/0;2/210/2;3/ /3");

    env.prompter.inputs = {"  Archive  "};
    Click(console, "cmdLibDesc");
    EXPECT_EQ(shown->text().toStdString(), "  Archive  ");
    EXPECT_EQ(env.prompter.prompts.back().defaultText, " ");
    EXPECT_TRUE(env.prompter.boxes.empty());
}
