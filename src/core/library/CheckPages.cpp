// Reading a table of a library database in pages, each in a short read
// transaction, so a client waiting to write is held up only briefly.
#include "core/data/ReadStretch.h"
#include "core/library/CheckRun.h"

namespace {
constexpr std::int64_t kPageRows = 4096;
}

void ReadInPages(Connection& connection, const std::string& sql, const char* key,
                 const std::function<void(const ResultSet&)>& row, std::int64_t after)
{
    ReadStretch stretch(connection);
    std::int64_t last = after;
    for (;;) {
        stretch.Begin();
        ResultSet page = connection.Query(sql, {last, kPageRows});
        for (; !page.Eof(); page.MoveNext()) {
            last = page[key].Int();
            row(page);
        }
        if (stretch.Expired() || page.RecordCount() < static_cast<std::size_t>(kPageRows)) stretch.End();
        if (page.RecordCount() < static_cast<std::size_t>(kPageRows)) return;
    }
}
