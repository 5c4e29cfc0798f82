#include "core/base/AppError.h"
#include "core/data/ReadStretch.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

class DatabaseTest : public ::testing::Test {
protected:
    TestEnv env;
    Database& db = env.app->db;
    std::string lib = env.MakeBareLibrary("lib");

    void SetUp() override { env.Activate(lib); }
    std::int64_t Users(const std::string& path)
    {
        return CountRows(LibDatabaseFile(path), "SELECT count(*) FROM `user-list`");
    }
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

namespace {

constexpr auto npos = std::string::npos;

bool Add(Database& db, const std::string& name)
{
    return db.TableExe("INSERT INTO `user-list` (`user-name`) VALUES (?)", {name});
}

// The names as another connection sees them: only what is committed.
std::string Names(const std::string& lib)
{
    return QueryOne(LibDatabaseFile(lib), "SELECT group_concat(`user-name`, ';') FROM "
                                          "(SELECT `user-name` FROM `user-list` ORDER BY `user-id`)");
}

// Every box it is asked to show fails.
class FailingPrompter : public Prompter {
public:
    MsgAnswer MsgBox(const std::string&, MsgButtons, MsgIcon, const std::string&) override
    {
        ++asked;
        throw std::runtime_error("no display");
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> BrowseFolder(const FolderRequest&) override { return std::nullopt; }
    int asked = 0;
};

// Another process holding the database's exclusive lock until released.
class OtherProcessLock {
public:
    explicit OtherProcessLock(const std::string& file)
    {
        int ready[2], stop[2];
        if (pipe(ready) != 0 || pipe(stop) != 0) throw std::runtime_error("cannot make a pipe");
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("cannot fork");
        if (pid_ == 0) {
            close(ready[0]);
            close(stop[1]);
            sqlite3* other = nullptr;
            char c = 1;
            if (sqlite3_open_v2(file.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
                sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK ||
                write(ready[1], &c, 1) != 1)
                _exit(2);
            while (read(stop[0], &c, 1) > 0) {
            }
            sqlite3_close_v2(other);
            _exit(0);
        }
        close(ready[1]);
        close(stop[0]);
        stop_ = stop[1];
        char c = 0;
        held_ = read(ready[0], &c, 1) == 1;
        close(ready[0]);
    }
    ~OtherProcessLock() { Release(); }
    bool Held() const { return held_; }
    void Release()
    {
        if (stop_ < 0) return;
        close(stop_);
        stop_ = -1;
        int status = 0;
        waitpid(pid_, &status, 0);
    }

private:
    pid_t pid_ = -1;
    int stop_ = -1;
    bool held_ = false;
};

} // namespace

TEST_F(DatabaseTest, CommitMakesTheRowsVisibleOnce)
{
    {
        Database::Transaction transaction(db);
        ASSERT_TRUE(transaction.Begun());
        EXPECT_EQ(db.TransLevel(), 1);
        ASSERT_TRUE(Add(db, "kept"));
        EXPECT_EQ(Names(lib), "");
        EXPECT_TRUE(transaction.Commit());
        EXPECT_EQ(db.TransLevel(), 0);
        EXPECT_FALSE(transaction.Commit());
    }
    EXPECT_EQ(Names(lib), "kept");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(DatabaseTest, AnExceptionOrAnEarlyReturnRollsBack)
{
    EXPECT_THROW(
        {
            Database::Transaction transaction(db);
            Add(db, "thrown away");
            throw AppError(91, "Object variable or With block variable not set");
        },
        AppError);
    EXPECT_EQ(db.TransLevel(), 0);

    const auto addTwo = [&](bool secondFails) {
        Database::Transaction transaction(db);
        if (!Add(db, "first") || secondFails) return false;
        return Add(db, "second") && transaction.Commit();
    };
    EXPECT_FALSE(addTwo(true));
    EXPECT_EQ(db.TransLevel(), 0);
    EXPECT_EQ(Names(lib), "");
    EXPECT_TRUE(addTwo(false));
    EXPECT_EQ(Names(lib), "first;second");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(DatabaseTest, NestedGuardsAreSavepointsOfTheOuterLevel)
{
    {
        Database::Transaction outer(db);
        Add(db, "outer");
        {
            Database::Transaction inner(db);
            ASSERT_TRUE(inner.Begun());
            EXPECT_EQ(db.TransLevel(), 2);
            Add(db, "inner, not committed");
        }
        EXPECT_EQ(db.TransLevel(), 1) << "the inner end leaves the outer level open";
        {
            Database::Transaction inner(db);
            Add(db, "inner, committed");
            EXPECT_TRUE(inner.Commit());
        }
        EXPECT_EQ(Names(lib), "") << "nothing shows before the outer commit";
        EXPECT_TRUE(outer.Commit());
    }
    EXPECT_EQ(Names(lib), "outer;inner, committed");

    // An inner commit goes with the outer level's rollback.
    {
        Database::Transaction outer(db);
        Database::Transaction inner(db);
        Add(db, "never");
        EXPECT_TRUE(inner.Commit());
    }
    EXPECT_EQ(Names(lib), "outer;inner, committed");

    // A deeper level left open is ended with the guard, never committed in its place.
    {
        Database::Transaction outer(db);
        Add(db, "never either");
        db.TableExeBegin();
        Add(db, "nor this");
        EXPECT_FALSE(outer.Commit());
        EXPECT_EQ(db.TransLevel(), 2);
    }
    EXPECT_EQ(db.TransLevel(), 0);
    EXPECT_EQ(Names(lib), "outer;inner, committed");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(DatabaseTest, ABeginThatFailsIsReportedAndHoldsNoLevel)
{
    env.Activate((env.root / "nowhere").string());
    {
        Database::Transaction transaction(db);
        EXPECT_FALSE(transaction.Begun());
        EXPECT_FALSE(transaction.Commit());
    }
    EXPECT_EQ(db.TransLevel(), 0);
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_NE(env.prompter.boxes[1].text.find("Error In:   Database.TableExeBegin\r\n"), npos);
}

// A statement ended the transaction behind the guard's back, so its rollback
// fails: that is reported, and the end goes on without throwing, even when
// the report itself fails.
TEST_F(DatabaseTest, TheEndNeverThrowsWhenTheRollbackFails)
{
    {
        Database::Transaction transaction(db);
        Add(db, "committed behind the guard");
        EXPECT_TRUE(db.TableExe("COMMIT"));
    }
    ASSERT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_NE(env.prompter.Last().text.find("Error In:   Database.TableExeRollback\r\n"), npos);
    EXPECT_EQ(Names(lib), "committed behind the guard");

    FailingPrompter failing;
    Database other(env.app->state, failing);
    {
        Database::Transaction transaction(other);
        EXPECT_TRUE(other.TableExe("COMMIT"));
    }
    EXPECT_EQ(failing.asked, 1);
    other.CloseLibConnection();
}

TEST_F(DatabaseTest, AReadStretchHoldsOneLevelUntilItEnds)
{
    ReadStretch stretch(db);
    EXPECT_TRUE(stretch.Begin());
    EXPECT_TRUE(stretch.Begin());
    EXPECT_EQ(db.TransLevel(), 1);
    stretch.End();
    EXPECT_FALSE(stretch.IsOpen());
    EXPECT_EQ(db.TransLevel(), 0);
    {
        ReadStretch open(db);
        open.Begin();
    }
    EXPECT_EQ(db.TransLevel(), 0);
    EXPECT_TRUE(env.prompter.boxes.empty());
}

// Another process holds the database locked past the busy timeout, so the
// stretch's transaction cannot begin: that is reported, the stretch does not
// count itself open, and its next Begin tries again.
TEST_F(DatabaseTest, AReadStretchThatCannotBeginIsReportedAndTriedAgain)
{
    db.CloseLibConnection(); // the other process must not inherit it
    OtherProcessLock lock(LibDatabaseFile(lib));
    ASSERT_TRUE(lock.Held());
    ReadStretch stretch(db);
    EXPECT_FALSE(stretch.Begin());
    EXPECT_FALSE(stretch.IsOpen());
    EXPECT_FALSE(stretch.Expired());
    EXPECT_EQ(db.TransLevel(), 0);
    ASSERT_EQ(env.prompter.ErrorReports(), 2);
    EXPECT_NE(env.prompter.boxes[0].text.find("Database.EnsureLibConnection\r\n\r\nError Code: 5\r\n"), npos);
    EXPECT_NE(env.prompter.boxes[1].text.find("Error In:   Database.TableExeBegin\r\n"), npos);

    lock.Release();
    EXPECT_TRUE(stretch.Begin());
    EXPECT_TRUE(stretch.IsOpen());
    EXPECT_EQ(db.TransLevel(), 1);
    stretch.End();
    EXPECT_EQ(db.TransLevel(), 0);
    EXPECT_EQ(env.prompter.ErrorReports(), 2);
}
