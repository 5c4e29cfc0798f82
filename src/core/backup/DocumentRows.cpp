#include "core/backup/DocumentRows.h"

#include "core/data/Connection.h"

namespace {

constexpr std::int64_t kPage = 4096;

} // namespace

DocumentRow DocumentRowOf(const ResultSet& rs)
{
    return {rs["id"].Int(), rs["location"].Text(), rs["filename"].Text()};
}

void ForEachDocumentRow(Connection& db, const std::function<void(const DocumentRow&)>& visit)
{
    std::int64_t after = INT64_MIN;
    for (;;) {
        ResultSet rs = db.Query(std::string("SELECT id, `filename`, `location`, ") + kDueWhenChangedSql +
                                    " AS due FROM `images` WHERE id>? ORDER BY id LIMIT ?",
                                {after, kPage});
        if (rs.Eof()) return;
        for (; !rs.Eof(); rs.MoveNext()) {
            DocumentRow row = DocumentRowOf(rs);
            row.dueWhenChanged = rs["due"].Int() != 0;
            after = row.id;
            visit(row);
        }
    }
}
