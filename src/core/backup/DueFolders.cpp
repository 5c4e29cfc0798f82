#include "core/backup/DueFolders.h"

#include "core/backup/DocumentRows.h"
#include "core/data/Connection.h"
#include "core/data/Database.h"

#include <algorithm>

namespace {

// In order of `folder-id`, through its index alone.
constexpr const char* kCounts = "SELECT `folder-id` AS f, count(*) AS n FROM `images` WHERE `folder-id` > ?1 "
                                "GROUP BY `folder-id` ORDER BY `folder-id` LIMIT ?2";
constexpr std::int64_t kFirstIds = 1024;
constexpr const char* kNextId = "SELECT min(id) AS id FROM `images` WHERE id >= ?1";

// The date first: with little changed, most rows fail it and the codes
// are never read.
std::string DueInRange(bool everyRow)
{
    return std::string("SELECT `folder-id` AS f, id, `filename`, `location` FROM `images` "
                       "WHERE id >= ?1 AND id < ?2") +
           (everyRow ? "" : std::string(" AND `updated-date` > ?3 AND ") + kDueWhenChangedSql) + " ORDER BY id";
}

} // namespace

std::unordered_map<std::int64_t, std::int64_t> ReadFolderCounts(const std::string& libDatabaseFile,
                                                                std::int64_t foldersPerStatement)
{
    Connection db;
    db.Open(libDatabaseFile, Connection::Mode::ReadOnly);
    std::unordered_map<std::int64_t, std::int64_t> counts;
    for (std::int64_t after = INT64_MIN;;) {
        ResultSet rs = db.Query(kCounts, {after, foldersPerStatement});
        std::int64_t rows = 0;
        for (; !rs.Eof(); rs.MoveNext(), ++rows) {
            after = rs["f"].Int();
            counts[after] = rs["n"].Int();
        }
        if (rows < foldersPerStatement) return counts;
    }
}

// Range by range of ids, each range starting at the next id there is, so
// gaps in the ids cost one lookup each. The first ranges are short, so the
// first copies start at once.
void ForEachDueRange(Database& db, const DueQuery& query, std::int64_t idsPerStatement,
                     const std::function<void(const std::vector<DueRow>&)>& visit)
{
    const bool everyRow = query.sinceIso.empty();
    const std::string due = DueInRange(everyRow);
    std::vector<DueRow> rows;
    std::int64_t span = std::min(kFirstIds, idsPerStatement);
    for (std::int64_t from = query.fromId;;) {
        {
            ResultSet next = Required(db.QueryExe(kNextId, "R", {from}));
            if (next["id"].IsNull()) return;
            from = next["id"].Int();
        }
        const std::int64_t to = from > INT64_MAX - span ? INT64_MAX : from + span;
        span = std::min(span * 2, idsPerStatement);
        rows.clear();
        {
            ResultSet rs = Required(everyRow ? db.QueryExe(due, "R", {from, to})
                                             : db.QueryExe(due, "R", {from, to, query.sinceIso}));
            for (; !rs.Eof(); rs.MoveNext()) rows.push_back({rs["f"].Int(), DocumentRowOf(rs)});
        }
        if (!rows.empty()) visit(rows);
        if (to == INT64_MAX) return;
        from = to;
    }
}
