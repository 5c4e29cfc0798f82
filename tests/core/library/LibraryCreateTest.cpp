#include "core/library/LibraryCreate.h"
#include "core/common/IniFile.h"
#include "core/users/Password.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

namespace fs = std::filesystem;

namespace {

const char* kConfirmStart = "You are about to create a new library in location: \r\n\r\n";
const char* kExists = "A document library already exists in the specified directory, \r\nThis process will  stop!";

std::string Now()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char s[32];
    std::strftime(s, sizeof s, "%Y-%m-%d %H:%M:%S", &tm);
    return s;
}

std::string Lib(const std::string& path, const std::string& sql) { return QueryOne(LibDatabaseFile(path), sql); }

class CreateTest : public ::testing::Test {
protected:
    TestEnv env;
    std::string target = (env.root / "newlib").string();

    bool Create(const std::string& path, const std::string& description = "")
    {
        env.prompter.answers.push_back(MsgAnswer::Yes);
        env.prompter.inputs.push_back(description);
        return CreateLibNow(*env.app, path);
    }
};

} // namespace

TEST_F(CreateTest, WritesTheFilesTheInitialRowsAndThePath)
{
    IniWrite(env.Ini(), "Lib", "Backpath", (env.root / "backup-of-another").string());
    const std::string before = Now();
    ASSERT_TRUE(Create(target));
    const std::string after = Now();
    EXPECT_TRUE(fs::is_regular_file(LibDatabaseFile(target)));
    EXPECT_TRUE(fs::is_regular_file(CtrlDatabaseFile(target)));

    // The questions, prompt and message in their order.
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_EQ(env.prompter.boxes[0].text, kConfirmStart + target + "\r\n\r\nContinue ? ");
    EXPECT_EQ(env.prompter.boxes[0].title, "Library setup");
    EXPECT_EQ(env.prompter.boxes[0].icon, MsgIcon::Question);
    ASSERT_EQ(env.prompter.prompts.size(), 1u);
    EXPECT_EQ(env.prompter.prompts[0].prompt, "Enter library description (max 50 characters): ");
    EXPECT_EQ(env.prompter.prompts[0].title, "Admin Tool");
    EXPECT_EQ(env.prompter.prompts[0].defaultText, "");
    EXPECT_EQ(env.prompter.boxes[1].text, "New Library is created succussfully !");
    EXPECT_EQ(env.prompter.boxes[1].icon, MsgIcon::Information);

    EXPECT_EQ(Lib(target, "SELECT group_concat(`user-id`||'/'||`user-name`||'/'||`login-id`||'/'||`type`, ';') "
                          "FROM `user-list`"),
              "1/Administrator/admin/U;2/Admin Group/admin/G");
    EXPECT_EQ(Lib(target, "SELECT password FROM `user-list` WHERE `user-id`=1"), ScramblePassword("quillset"));
    EXPECT_EQ(Lib(target, "SELECT password IS NULL FROM `user-list` WHERE `user-id`=2"), "1");
    EXPECT_EQ(Lib(target, "SELECT group_concat(gid||'/'||uid) FROM `user-group`"), "2/1");
    EXPECT_EQ(Lib(target, "SELECT `doccat-desc`||'/'||`key1-name`||'/'||`key2-name` FROM `doccat-list`"),
              "Un-classified/Received by/From Source");
    EXPECT_EQ(Lib(target, "SELECT group_concat(`rec-id`||'/'||subpath||'/'||filecount, ';') FROM "
                          "(SELECT * FROM `lib-ctrl` WHERE `rec-id` < 4 ORDER BY `rec-id`)"),
              "1/00000001/0;2/210/2;3/ /3");
    const std::string stamp = Lib(target, "SELECT subpath FROM `lib-ctrl` WHERE `rec-id`=4 AND filecount=4");
    EXPECT_TRUE(std::regex_match(stamp, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << stamp;
    EXPECT_LE(before, stamp);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(CountRows(LibDatabaseFile(target), "SELECT count(*) FROM `lib-ctrl`"), 4);

    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), target);
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Backpath"), "") << "another library's backup path is not carried over";
    EXPECT_EQ(env.app->state.gsActiveLibPath, target);
}

TEST_F(CreateTest, DescriptionIsTrimmedCutAtFiftyCharactersAndKeepsApostrophes)
{
    // 60 characters, the first ten of them two bytes long each.
    const std::string sixty = "ÄÖÜäöüßÉÈÊ" + std::string(50, 'x');
    ASSERT_TRUE(Create(target, "  " + sixty + "  "));
    EXPECT_EQ(Lib(target, "SELECT subpath FROM `lib-ctrl` WHERE `rec-id`=3"), "ÄÖÜäöüßÉÈÊ" + std::string(40, 'x'));

    const std::string other = (env.root / "other").string();
    ASSERT_TRUE(Create(other, "O'Brien's files"));
    EXPECT_EQ(Lib(other, "SELECT subpath FROM `lib-ctrl` WHERE `rec-id`=3"), "O'Brien's files");

    // An all-blank answer (as Cancel gives an empty one) stores one blank.
    const std::string blank = (env.root / "blank").string();
    ASSERT_TRUE(Create(blank, "    "));
    EXPECT_EQ(Lib(blank, "SELECT subpath FROM `lib-ctrl` WHERE `rec-id`=3"), " ");
}

TEST_F(CreateTest, NoAtTheConfirmationCreatesNothing)
{
    env.prompter.answers = {MsgAnswer::No};
    EXPECT_FALSE(CreateLibNow(*env.app, target));
    EXPECT_FALSE(fs::exists(target));
    EXPECT_TRUE(env.prompter.prompts.empty());
    EXPECT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_FALSE(fs::exists(env.Ini()));
}

TEST_F(CreateTest, ExistingLibraryIsRefusedAndLeftAlone)
{
    const std::string lib = CreateLibrary(env, "lib", "Kept");
    const std::string content = ReadFile(LibDatabaseFile(lib));
    IniWrite(env.Ini(), "Lib", "Path", "/elsewhere");
    env.prompter.answers = {MsgAnswer::Yes};
    EXPECT_FALSE(CreateLibNow(*env.app, lib));
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_EQ(env.prompter.boxes[1].text, kExists);
    EXPECT_EQ(env.prompter.boxes[1].icon, MsgIcon::Critical);
    EXPECT_EQ(env.prompter.boxes[1].title, "Library setup");
    EXPECT_TRUE(env.prompter.prompts.empty());
    EXPECT_EQ(ReadFile(LibDatabaseFile(lib)), content);
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), "/elsewhere");
}

TEST_F(CreateTest, DirectoryWithoutLibraryIsUsedAndItsControlDatabaseReplaced)
{
    fs::create_directories(fs::path(ControlDir(target)));
    WriteFile(fs::path(target) / "notes.txt", "keep me");
    {
        SQLite::Database old(CtrlDatabaseFile(target), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
        old.exec("CREATE TABLE stale (x)");
    }
    ASSERT_TRUE(Create(target));
    EXPECT_EQ(ReadFile(fs::path(target) / "notes.txt"), "keep me");
    EXPECT_EQ(QueryOne(CtrlDatabaseFile(target), "SELECT count(*) FROM sqlite_master WHERE name='stale'"), "0");
    EXPECT_EQ(QueryOne(CtrlDatabaseFile(target), "SELECT count(*) FROM `locking`"), "0");
}

TEST_F(CreateTest, TrailingSeparatorIsKeptInTheSettingsFile)
{
    ASSERT_TRUE(Create(target + "/"));
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), target + "/");
    EXPECT_TRUE(fs::exists(LibDatabaseFile(target)));
}

TEST_F(CreateTest, FailedInitialisationLeavesNoHalfMadeLibrary)
{
    // A template without the category table makes the fourth row fail.
    {
        SQLite::Database t(env.app->state.TemplatePath("blank-lib.mde"), SQLite::OPEN_READWRITE);
        t.exec("DROP TABLE `doccat-list`");
    }
    fs::create_directories(fs::path(ControlDir(target)));
    WriteFile(CtrlDatabaseFile(target), "there before");
    env.app->state.gsActiveLibPath = "/previous";
    EXPECT_FALSE(Create(target));

    EXPECT_FALSE(fs::exists(LibDatabaseFile(target)));
    // The control database was there before, so it is not removed.
    EXPECT_TRUE(fs::exists(CtrlDatabaseFile(target)));
    EXPECT_FALSE(fs::exists(env.Ini()));
    EXPECT_EQ(env.app->state.gsActiveLibPath, "/previous");
    EXPECT_FALSE(env.app->db.LibConnectionOpen());
    const auto texts = env.prompter.Texts();
    EXPECT_EQ(env.prompter.ErrorReports(), 2);
    EXPECT_NE(texts.back().find("Error In:   Library.InitialiseDatabase"), std::string::npos) << texts.back();
    EXPECT_NE(texts.back().find("sLibPath='" + target + "'"), std::string::npos);
    for (const auto& t : texts) EXPECT_EQ(t.find("succussfully"), std::string::npos);

    // Without a control database before, both copies are removed.
    const std::string fresh = (env.root / "fresh").string();
    EXPECT_FALSE(Create(fresh));
    EXPECT_FALSE(fs::exists(LibDatabaseFile(fresh)));
    EXPECT_FALSE(fs::exists(CtrlDatabaseFile(fresh)));
}

TEST_F(CreateTest, UnwritableSettingsFileIsToldAndTheLibraryKept)
{
    // A folder where the settings file belongs: no write can replace it.
    fs::create_directories(env.Ini());
    ASSERT_TRUE(Create(target));

    EXPECT_TRUE(fs::is_regular_file(LibDatabaseFile(target)));
    EXPECT_TRUE(fs::is_regular_file(CtrlDatabaseFile(target)));
    EXPECT_EQ(Lib(target, "SELECT group_concat(`user-name`, ';') FROM `user-list`"), "Administrator;Admin Group");
    EXPECT_EQ(env.app->state.gsActiveLibPath, target);
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_EQ(env.prompter.boxes[1].text, "The new library is created in: \r\n\r\n" + target +
                                              "\r\n\r\nbut it could not be made the active library, because the "
                                              "settings file " +
                                              env.Ini() +
                                              " could not be written: Is a directory\r\n\r\n"
                                              "Use Select Active Library to make it the active library.");
    EXPECT_EQ(env.prompter.boxes[1].icon, MsgIcon::Exclamation);
    EXPECT_EQ(env.prompter.boxes[1].title, "Admin Tool");
    EXPECT_TRUE(fs::is_directory(env.Ini()));
}

TEST_F(CreateTest, InitialRowsAreWrittenAllOrNone)
{
    const std::string lib = env.MakeBareLibrary("bare");
    {
        SQLite::Database t(LibDatabaseFile(lib), SQLite::OPEN_READWRITE);
        t.exec("DROP TABLE `doccat-list`");
    }
    EXPECT_FALSE(InitialiseDatabase(*env.app, lib, "210", "x"));
    env.app->db.CloseLibConnection();
    EXPECT_EQ(CountRows(LibDatabaseFile(lib), "SELECT count(*) FROM `user-list`"), 0);
    EXPECT_EQ(CountRows(LibDatabaseFile(lib), "SELECT count(*) FROM `user-group`"), 0);
    EXPECT_EQ(env.app->db.TransLevel(), 0);
}

TEST_F(CreateTest, MissingTemplatesFailWithoutMessageOrLeftovers)
{
    fs::remove(env.app->state.TemplatePath("blank-ctrl.mde"));
    EXPECT_FALSE(Create(target));
    EXPECT_EQ(env.prompter.boxes.size(), 1u); // only the confirmation
    EXPECT_FALSE(fs::exists(LibDatabaseFile(target)));

    fs::remove(env.app->state.TemplatePath("blank-lib.mde"));
    env.prompter.Clear();
    EXPECT_FALSE(Create(target));
    EXPECT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_TRUE(fs::is_empty(ControlDir(target)));
}

TEST_F(CreateTest, DirectoryThatCannotBeMadeIsRefused)
{
    WriteFile(env.root / "afile", "");
    const std::string bad = (env.root / "afile" / "lib").string();
    EXPECT_FALSE(Create(bad));
    EXPECT_EQ(env.prompter.Last().text, "Failed to create the directory: " + bad +
                                            "\r\n"
                                            "please check that you have access to the directory !");
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
}

TEST(CreateLocation, FixQuoteDoublesEverySingleQuote)
{
    EXPECT_EQ(FixQuote("O'Brien''s"), "O''Brien''''s");
    EXPECT_EQ(FixQuote("plain"), "plain");
}
