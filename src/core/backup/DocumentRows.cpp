#include "core/backup/DocumentRows.h"

#include "core/data/Connection.h"

namespace {

constexpr std::int64_t kPage = 4096;

} // namespace

void ForEachDocumentRow(Connection& db, const std::function<void(const DocumentRow&)>& visit)
{
    std::int64_t after = INT64_MIN;
    for (;;) {
        ResultSet rs = db.Query(std::string("SELECT id, `filename`, `location`, ") + kDueWhenChangedSql +
                                    " AS due FROM `images` WHERE id>? ORDER BY id LIMIT ?",
                                {after, kPage});
        if (rs.Eof()) return;
        for (; !rs.Eof(); rs.MoveNext()) {
            after = rs["id"].Int();
            visit({after, rs["location"].Text(), rs["filename"].Text(), rs["due"].Int() != 0});
        }
    }
}
