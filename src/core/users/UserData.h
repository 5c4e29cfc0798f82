#pragma once
// What the user and the group maintenance share: list entries, ids kept as
// text by the windows, and statements that must all succeed or none.
#include "core/data/Database.h"

#include <cstdint>
#include <string>
#include <vector>

// One entry of a list of users or groups: the shown name and its user-id.
struct ListEntry {
    std::string text;
    std::int64_t id = 0;
};

// The order of every list of users and groups: by name ignoring case, as the
// duplicate checks compare names (COLLATE NOCASE), so "alice" comes before
// "Dan"; equal names in the order they were made.
inline constexpr const char* kOrderByName = " ORDER BY `user-name` COLLATE NOCASE, `user-id` ";

// The `user-name` and `user-id` of every row, in the query's order.
std::vector<ListEntry> ReadEntries(ResultSet& rs);

// A window keeps ids as text; they go into SQL as the number they hold.
// Text that is no number is bound as text and so matches no row.
SqlValue IdParam(const std::string& sId);

struct SqlStep {
    std::string sql;
    SqlParams params;
};

// Runs the statements in one transaction of the library database. When the
// transaction cannot begin, a statement fails or the commit fails, every
// change is rolled back (each failure has been reported) and false returned.
bool RunAllOrNothing(Database& db, const std::vector<SqlStep>& steps);
