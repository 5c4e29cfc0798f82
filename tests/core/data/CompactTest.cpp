#include "core/data/Compact.h"
#include "core/data/Maintenance.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const char* kSuccess = "Compact & Repair Library - processed successfully ! ";
constexpr int kShortWait = 100;

class CompactTest : public ::testing::Test {
protected:
    TestEnv env;
    AppContext& app = *env.app;
    std::string lib = CreateLibrary(env, "lib", "Compacted");
    std::string libFile = LibDatabaseFile(lib);
    std::string ctrlFile = CtrlDatabaseFile(lib);
    std::string work = CompactWorkFile(lib);

    // Grows a file by many rows and deletes most of them again.
    void Bloat(const std::string& file, const std::string& table, const std::string& column)
    {
        SQLite::Database db(file, SQLite::OPEN_READWRITE);
        db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400) "
                "INSERT INTO `" +
                table + "` (`" + column + "`) SELECT printf('%0500d', i) FROM n");
        db.exec("DELETE FROM `" + table + "` WHERE rowid > 3");
    }
    void Bloat()
    {
        Bloat(libFile, "user-list", "user-name");
        Bloat(ctrlFile, "active-list", "uid");
    }
};

} // namespace

TEST_F(CompactTest, BothFilesShrinkKeepTheirDataAndTheWorkFileIsGone)
{
    Bloat();
    const auto libBefore = fs::file_size(libFile);
    const auto ctrlBefore = fs::file_size(ctrlFile);
    ASSERT_TRUE(app.db.QueryExe("SELECT 1")); // an open connection is closed first
    WriteFile(work, "left over from an earlier run");
    env.prompter.answers = {MsgAnswer::Yes};

    EXPECT_TRUE(CompactAndRepairLibrary(app));
    EXPECT_FALSE(app.db.LibConnectionOpen());
    EXPECT_FALSE(app.db.CtrlConnectionOpen());
    EXPECT_LT(fs::file_size(libFile), libBefore);
    EXPECT_LT(fs::file_size(ctrlFile), ctrlBefore);
    EXPECT_FALSE(fs::exists(work));
    EXPECT_EQ(QueryOne(libFile, "SELECT `user-name` FROM `user-list` WHERE `user-id` = 1"), "Administrator");
    EXPECT_EQ(QueryOne(libFile, "SELECT subpath FROM `lib-ctrl` WHERE `rec-id` = 3"), "Compacted");
    EXPECT_EQ(CountRows(libFile, "SELECT count(*) FROM `user-list`"), 3);
    EXPECT_EQ(CountRows(ctrlFile, "SELECT count(*) FROM `active-list`"), 3);
    EXPECT_EQ(QueryOne(libFile, "PRAGMA integrity_check"), "ok");
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_EQ(env.prompter.boxes[0].text, "Compact & repair library now?");
    EXPECT_EQ(env.prompter.boxes[0].icon, MsgIcon::Question);
    EXPECT_EQ(env.prompter.boxes[1].text, kSuccess);
    EXPECT_EQ(env.prompter.boxes[1].icon, MsgIcon::Information);
}

TEST_F(CompactTest, NoChangesNothing)
{
    Bloat();
    const std::string content = ReadFile(libFile);
    env.prompter.answers = {MsgAnswer::No};
    EXPECT_FALSE(CompactAndRepairLibrary(app));
    EXPECT_EQ(ReadFile(libFile), content);
    EXPECT_EQ(env.prompter.boxes.size(), 1u);
}

TEST_F(CompactTest, ClientHoldingALockMakesItFailAndChangesNothing)
{
    Bloat();
    SQLite::Database client(libFile, SQLite::OPEN_READWRITE);
    client.exec("BEGIN IMMEDIATE");
    client.exec("INSERT INTO `user-list` (`user-name`) VALUES ('pending')");
    const std::string content = ReadFile(libFile);

    EXPECT_FALSE(CompactDB(app, libFile, kShortWait));
    EXPECT_EQ(ReadFile(libFile), content);
    ASSERT_EQ(env.prompter.ErrorReports(), 1);
    const std::string report = env.prompter.Last().text;
    EXPECT_NE(report.find("Error In:   Database.CompactDB"), std::string::npos) << report;
    EXPECT_NE(report.find("strInput='" + libFile + "'"), std::string::npos) << report;
    EXPECT_NE(report.find("in use by another program"), std::string::npos) << report;
    EXPECT_NE(report.find("Compact Database NOT successful !"), std::string::npos) << report;
    client.exec("COMMIT");
    EXPECT_EQ(CountRows(libFile, "SELECT count(*) FROM `user-list`"), 4);
}

TEST_F(CompactTest, LockedControlDatabaseStillLetsTheLibraryDatabaseBeCompacted)
{
    Bloat();
    const auto libBefore = fs::file_size(libFile);
    SQLite::Database client(ctrlFile, SQLite::OPEN_READWRITE);
    client.exec("BEGIN IMMEDIATE");
    client.exec("DELETE FROM `locking`");
    const std::string ctrlContent = ReadFile(ctrlFile);
    env.prompter.answers = {MsgAnswer::Yes};

    EXPECT_FALSE(CompactAndRepairLibrary(app, kShortWait));
    EXPECT_LT(fs::file_size(libFile), libBefore);
    EXPECT_EQ(ReadFile(ctrlFile), ctrlContent);
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    for (const auto& text : env.prompter.Texts()) EXPECT_NE(text, kSuccess);
}

TEST_F(CompactTest, ClientWithTheFileOpenSeesTheNewContent)
{
    Bloat();
    SQLite::Database client(libFile, SQLite::OPEN_READWRITE, 2000);
    EXPECT_EQ(client.execAndGet("SELECT count(*) FROM `user-list`").getInt(), 3);
    ASSERT_TRUE(CompactDB(app, libFile));
    client.exec("INSERT INTO `user-list` (`user-name`) VALUES ('after')");
    EXPECT_EQ(client.execAndGet("SELECT count(*) FROM `user-list`").getInt(), 4);
    EXPECT_EQ(client.execAndGet("PRAGMA integrity_check").getString(), "ok");
}

TEST_F(CompactTest, DamagedIndexIsRebuilt)
{
    {
        // The index definition no longer matches its entries.
        SQLite::Database db(libFile, SQLite::OPEN_READWRITE);
        db.exec("PRAGMA writable_schema = ON");
        db.exec("UPDATE sqlite_master SET sql = 'CREATE INDEX `user-list-type` ON `user-list` (`user-name`)' "
                "WHERE name = 'user-list-type'");
    }
    ASSERT_NE(QueryOne(libFile, "PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(CompactDB(app, libFile));
    EXPECT_EQ(QueryOne(libFile, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
}

TEST_F(CompactTest, DamagedTableIsReportedAndTheFileLeftAsItWas)
{
    {
        SQLite::Database db(libFile, SQLite::OPEN_READWRITE);
        db.exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                "INSERT INTO `images` (`folder-id`, title) SELECT i, printf('%0300d', i) FROM n");
    }
    // Scribble over the middle of the file, inside the images table.
    std::string content = ReadFile(libFile);
    const std::size_t page = 4096;
    const std::size_t middle = (content.size() / page / 2) * page;
    for (std::size_t i = middle + 8; i < middle + 200; ++i) content[i] = '\x5a';
    WriteFile(libFile, content);

    EXPECT_FALSE(CompactDB(app, libFile));
    EXPECT_EQ(ReadFile(libFile), content);
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    const std::string report = env.prompter.Last().text;
    EXPECT_NE(report.find("Repair Database NOT successful !"), std::string::npos) << report;
    EXPECT_NE(report.find("Error Code: 11\r\nError Desc: The database is damaged and cannot be repaired: On tree page"),
              std::string::npos)
        << report;
}
