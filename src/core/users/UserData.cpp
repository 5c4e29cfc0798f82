#include "core/users/UserData.h"

#include <charconv>

std::vector<ListEntry> ReadEntries(ResultSet& rs)
{
    std::vector<ListEntry> entries;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) entries.push_back({rs["user-name"].Text(), rs["user-id"].Int()});
    return entries;
}

SqlValue IdParam(const std::string& sId)
{
    std::int64_t value = 0;
    const char* end = sId.data() + sId.size();
    const auto [ptr, ec] = std::from_chars(sId.data(), end, value);
    if (sId.empty() || ec != std::errc() || ptr != end) return sId;
    return value;
}

bool RunAllOrNothing(Database& db, const std::vector<SqlStep>& steps)
{
    // Each failure has been reported; the guard rolls every change back.
    Database::Transaction transaction(db);
    if (!transaction.Begun()) return false;
    for (const SqlStep& step : steps)
        if (!db.TableExe(step.sql, step.params)) return false;
    return transaction.Commit();
}
