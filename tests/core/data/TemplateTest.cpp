#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <set>

namespace {

std::set<std::string> Columns(SQLite::Database& db, const std::string& table)
{
    std::set<std::string> names;
    SQLite::Statement s(db, "SELECT name FROM pragma_table_info(?)");
    s.bind(1, table);
    while (s.executeStep()) names.insert(s.getColumn(0).getString());
    return names;
}

bool Indexed(SQLite::Database& db, const std::string& table, const std::string& column)
{
    SQLite::Statement s(db, "SELECT count(*) FROM pragma_index_list(?) AS l, pragma_index_info(l.name) AS i "
                            "WHERE i.name = ?");
    s.bind(1, table);
    s.bind(2, column);
    s.executeStep();
    return s.getColumn(0).getInt() > 0;
}

bool Includes(const std::set<std::string>& have, const std::set<std::string>& want)
{
    return std::includes(have.begin(), have.end(), want.begin(), want.end());
}

} // namespace

TEST(Templates, LibraryTemplateHoldsTheTablesAndCounters)
{
    TestEnv env;
    SQLite::Database db((env.programDir / "blank-lib.mde").string(), SQLite::OPEN_READONLY);
    EXPECT_TRUE(Includes(Columns(db, "user-list"), {"user-id", "user-name", "login-id", "password", "type"}));
    EXPECT_TRUE(Includes(Columns(db, "user-group"), {"gid", "uid"}));
    EXPECT_TRUE(Includes(Columns(db, "level-access"), {"uid", "type"}));
    EXPECT_TRUE(Includes(Columns(db, "level"), {"id", "pid", "type", "name"}));
    EXPECT_TRUE(Includes(Columns(db, "images"),
                         {"id", "folder-id", "filename", "location", "internal", "page-count", "updated-date"}));
    EXPECT_TRUE(Includes(Columns(db, "lib-ctrl"), {"rec-id", "subpath", "filecount"}));
    EXPECT_TRUE(Includes(Columns(db, "doccat-list"), {"doccat-desc", "key1-name", "key2-name"}));
    EXPECT_EQ(db.execAndGet("SELECT count(*) FROM `user-list`").getInt(), 0);
    EXPECT_EQ(db.execAndGet("SELECT group_concat(`rec-id`) FROM `lib-ctrl`").getString(), "1");
    EXPECT_EQ(db.execAndGet("PRAGMA journal_mode").getString(), "delete");
    for (auto [table, column] : {std::pair{"level", "pid"},
                                 {"images", "folder-id"},
                                 {"user-group", "gid"},
                                 {"user-group", "uid"},
                                 {"level-access", "uid"}})
        EXPECT_TRUE(Indexed(db, table, column)) << table << "." << column;
}

TEST(Templates, NumberingStartsWhereTheLibraryRowsNeedIt)
{
    TestEnv env;
    const std::string lib = env.MakeBareLibrary();
    SQLite::Database db(LibDatabaseFile(lib), SQLite::OPEN_READWRITE);
    db.exec("INSERT INTO `user-list` (`user-name`) VALUES ('a')");
    EXPECT_EQ(db.getLastInsertRowid(), 1);
    db.exec("INSERT INTO `lib-ctrl` (`subpath`,`filecount`) VALUES ('210', 2)");
    EXPECT_EQ(db.getLastInsertRowid(), 2);
    // Keys are never reused after a delete.
    db.exec("DELETE FROM `user-list`");
    db.exec("INSERT INTO `user-list` (`user-name`) VALUES ('b')");
    EXPECT_EQ(db.getLastInsertRowid(), 2);
}

TEST(Templates, ControlTemplate)
{
    TestEnv env;
    SQLite::Database db((env.programDir / "blank-ctrl.mde").string(), SQLite::OPEN_READONLY);
    EXPECT_TRUE(Includes(Columns(db, "active-list"), {"uid", "log-date"}));
    EXPECT_FALSE(Columns(db, "locking").empty());
    EXPECT_TRUE(Indexed(db, "active-list", "uid"));
    EXPECT_EQ(db.execAndGet("SELECT count(*) FROM `locking`").getInt(), 0);
}
