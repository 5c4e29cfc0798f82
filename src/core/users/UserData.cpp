#include "core/users/UserData.h"

#include "core/base/AppError.h"
#include "core/data/Database.h"

#include <charconv>

std::vector<ListEntry> ReadEntries(ResultSet& rs)
{
    std::vector<ListEntry> entries;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        entries.push_back({rs["user-name"].Text(), rs["user-id"].Int()});
    return entries;
}

ResultSet Required(std::optional<ResultSet> rs)
{
    if (!rs) throw AppError(91, "Object variable or With block variable not set");
    return std::move(*rs);
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
    const int level = db.TransLevel();
    db.TableExeBegin();
    if (db.TransLevel() != level + 1) return false;
    for (const SqlStep& step : steps) {
        if (!db.TableExe(step.sql, step.params)) {
            db.TableExeRollback();
            return false;
        }
    }
    db.TableExeCommit();
    if (db.TransLevel() == level) return true;
    // The commit failed and left the transaction open.
    db.TableExeRollback();
    return false;
}
