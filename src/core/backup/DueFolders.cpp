#include "core/backup/DueFolders.h"

#include "core/backup/DocumentRows.h"
#include "core/data/Database.h"

namespace {

// In order of `folder-id`, through its index alone.
constexpr const char* kCounts = "SELECT `folder-id` AS f, count(*) AS n FROM `images` WHERE `folder-id` > ?1 "
                                "GROUP BY `folder-id` ORDER BY `folder-id` LIMIT ?2";
constexpr const char* kNextId = "SELECT min(id) AS id FROM `images` WHERE id >= ?1";

// The date first: with little changed, most rows fail it and the codes
// are never read.
std::string DueInRange()
{
    return std::string("SELECT `folder-id` AS f, id, `filename`, `location` FROM `images` "
                       "WHERE id >= ?1 AND id < ?2 AND `updated-date` > ?3 AND ") +
           kDueWhenChangedSql + " ORDER BY id";
}

void Hold(const ResultSet& rs, std::int64_t folder, std::size_t bound, std::size_t& held, DueFolders& out)
{
    if (!out.rowsHeld) return;
    if (++held > bound) {
        out.rows.clear();
        out.rowsHeld = false;
        return;
    }
    out.rows[folder].push_back(DocumentRowOf(rs));
}

void ReadCounts(Database& db, std::int64_t folders, DueFolders& out)
{
    for (std::int64_t after = INT64_MIN;;) {
        ResultSet rs = Required(db.QueryExe(kCounts, "R", {after, folders}));
        std::int64_t rows = 0;
        for (; !rs.Eof(); rs.MoveNext(), ++rows) {
            after = rs["f"].Int();
            out.counts[after] = rs["n"].Int();
        }
        if (rows < folders) return;
    }
}

// Range by range of ids, each range starting at the next id there is, so
// gaps in the ids cost one lookup each.
void ReadDue(Database& db, const std::string& sinceIso, const DueRanges& ranges, DueFolders& out)
{
    const std::string due = DueInRange();
    const std::int64_t ids = ranges.ids;
    std::size_t held = 0;
    for (std::int64_t from = INT64_MIN;;) {
        ResultSet next = Required(db.QueryExe(kNextId, "R", {from}));
        if (next["id"].IsNull()) return;
        from = next["id"].Int();
        const std::int64_t to = from > INT64_MAX - ids ? INT64_MAX : from + ids;
        for (ResultSet rs = Required(db.QueryExe(due, "R", {from, to, sinceIso})); !rs.Eof(); rs.MoveNext()) {
            const std::int64_t folder = rs["f"].Int();
            out.due.insert(folder);
            Hold(rs, folder, ranges.rowsHeld, held, out);
        }
        if (to == INT64_MAX) return;
        from = to;
    }
}

} // namespace

std::int64_t DueFolders::Count(std::int64_t folder) const
{
    const auto it = counts.find(folder);
    return it == counts.end() ? 0 : it->second;
}

const std::vector<DocumentRow>& DueFolders::RowsOf(std::int64_t folder) const
{
    static const std::vector<DocumentRow> none;
    const auto it = rows.find(folder);
    return it == rows.end() ? none : it->second;
}

DueFolders ReadDueFolders(Database& db, const std::string& sinceIso, const DueRanges& ranges)
{
    DueFolders out;
    ReadCounts(db, ranges.folders, out);
    ReadDue(db, sinceIso, ranges, out);
    return out;
}
