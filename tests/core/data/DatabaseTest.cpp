#include "core/base/AppError.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

class DatabaseTest : public ::testing::Test {
protected:
    TestEnv env;
    Database& db = env.app->db;
    std::string lib = env.MakeBareLibrary("lib");

    void SetUp() override { env.Activate(lib); }
    std::int64_t Users(const std::string& path) { return CountRows(LibDatabaseFile(path), "SELECT count(*) FROM `user-list`"); }
};

TEST_F(DatabaseTest, ConnectionOpensOnFirstUseAndFollowsThePathOnlyAfterClose)
{
    EXPECT_FALSE(db.LibConnectionOpen());
    ASSERT_TRUE(db.TableExe("INSERT INTO `user-list` (`user-name`) VALUES (?)", {std::string("a")}));
    EXPECT_TRUE(db.LibConnectionOpen());

    const std::string other = env.MakeBareLibrary("other");
    env.Activate(other);
    ASSERT_TRUE(db.TableExe("INSERT INTO `user-list` (`user-name`) VALUES (?)", {std::string("b")}));
    EXPECT_EQ(Users(lib), 2);
    EXPECT_EQ(Users(other), 0);

    db.CloseLibConnection();
    ASSERT_TRUE(db.TableExe("INSERT INTO `user-list` (`user-name`) VALUES (?)", {std::string("c")}));
    EXPECT_EQ(Users(other), 1);
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(DatabaseTest, FailedOpenGivesTwoReports)
{
    env.Activate((env.root / "nowhere").string());
    EXPECT_FALSE(db.TableExe("DELETE FROM `user-list`"));
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_NE(env.prompter.boxes[0].text.find("Error In:   Database.EnsureLibConnection\r\n"), std::string::npos);
    EXPECT_NE(env.prompter.boxes[1].text.find("Error In:   Database.TableExe\r\n"), std::string::npos);
    EXPECT_NE(env.prompter.boxes[1].text.find(" sSQL=\r\n"), std::string::npos);
    EXPECT_FALSE(db.LibConnectionOpen());

    env.prompter.Clear();
    EXPECT_FALSE(db.QueryExe("SELECT 1").has_value());
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_NE(env.prompter.boxes[1].text.find("Database.QueryExe\r\n"), std::string::npos);
    // Extra parameter names beyond the (missing) value are ignored.
    EXPECT_NE(env.prompter.boxes[1].text.find("Variables:  \r\n sSQL=\r\n\r\nExtra"), std::string::npos);
}

TEST_F(DatabaseTest, FailedStatementsReportAndReturnFalse)
{
    EXPECT_TRUE(db.TableExe("DELETE FROM `user-list` WHERE `user-id` = ?", {std::int64_t{99}}));
    EXPECT_FALSE(db.TableExe("DELETE FROM `no-such-table`"));
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_TRUE(db.LibConnectionOpen());

    const std::string sql = "DELETE FROM `no-such-table`";
    EXPECT_FALSE(db.CtrlTableExe(sql));
    EXPECT_NE(env.prompter.Last().text.find("Database.CtrlTableExe\r\n"), std::string::npos);
    EXPECT_NE(env.prompter.Last().text.find(" sSQL='" + sql + "'\r\n"), std::string::npos);
    EXPECT_TRUE(db.CtrlTableExe("DELETE FROM `locking`"));
}

TEST_F(DatabaseTest, ValuesAreBoundNotPasted)
{
    const std::string name = "O'Brien'); DROP TABLE `user-list`; --";
    ASSERT_TRUE(db.TableExe("INSERT INTO `user-list` (`user-name`,`type`) VALUES (?, 'U')", {name}));
    auto rs = db.QueryExe("SELECT `user-name` FROM `user-list` WHERE `user-name` = ?", "R", {name});
    ASSERT_TRUE(rs);
    ASSERT_EQ(rs->RecordCount(), 1u);
    EXPECT_EQ((*rs)["USER-NAME"].Text(), name);
}

TEST_F(DatabaseTest, ResultSetWalksRowsWithNullsByName)
{
    LibraryBuilder(lib).AddInitialRows();
    for (const char* mode : {"R", "W"}) {
        auto rs = db.QueryExe("SELECT `user-id`, `user-name`, password FROM `user-list` ORDER BY `user-id`", mode);
        ASSERT_TRUE(rs);
        ASSERT_EQ(rs->RecordCount(), 2u);
        EXPECT_EQ((*rs)["user-id"].Int(), 1);
        EXPECT_FALSE((*rs)["Password"].IsNull());
        rs->MoveNext();
        EXPECT_EQ((*rs)["user-name"].Text(), "Admin Group");
        EXPECT_TRUE((*rs)["password"].IsNull());
        EXPECT_EQ((*rs)["password"].Text(), "");
        rs->MoveNext();
        EXPECT_TRUE(rs->Eof());
        EXPECT_THROW((*rs)["user-id"], AppError);
    }
}

TEST_F(DatabaseTest, CommitAndRollbackWithoutBeginDoNothing)
{
    db.TableExeCommit();
    db.TableExeRollback();
    EXPECT_FALSE(db.LibConnectionOpen());
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(DatabaseTest, TransactionsNestAndRollBack)
{
    const std::string insert = "INSERT INTO `user-list` (`user-name`) VALUES (?)";
    db.TableExeBegin();
    EXPECT_EQ(db.TransLevel(), 1);
    db.TableExe(insert, {std::string("kept")});
    db.TableExeBegin();
    EXPECT_EQ(db.TransLevel(), 2);
    db.TableExe(insert, {std::string("dropped")});
    db.TableExeRollback();
    EXPECT_EQ(db.TransLevel(), 1);
    EXPECT_EQ(Users(lib), 0); // nothing visible to others before the commit
    db.TableExeCommit();
    EXPECT_EQ(db.TransLevel(), 0);
    EXPECT_EQ(Users(lib), 1);
    EXPECT_EQ(QueryOne(LibDatabaseFile(lib), "SELECT `user-name` FROM `user-list`"), "kept");

    db.TableExeBegin();
    db.TableExe(insert, {std::string("gone")});
    db.TableExeRollback();
    EXPECT_EQ(Users(lib), 1);
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(DatabaseTest, KeptConnectionHoldsNoLockBetweenStatements)
{
    ASSERT_TRUE(db.QueryExe("SELECT * FROM `user-list`"));
    ASSERT_TRUE(db.CtrlQueryExe("SELECT * FROM `locking`"));
    // A desktop client can take the write lock while our connections stay open.
    for (const std::string& file : {LibDatabaseFile(lib), CtrlDatabaseFile(lib)}) {
        SQLite::Database client(file, SQLite::OPEN_READWRITE);
        EXPECT_NO_THROW(client.exec("BEGIN EXCLUSIVE; COMMIT;"));
    }
}
