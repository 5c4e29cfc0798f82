#pragma once
// Every row of `images` with the file it names, read a page at a time in
// the order of id, so memory stays flat however large the library.
#include <cstdint>
#include <functional>
#include <string>

class Connection;
class ResultSet;

// The row part of the backup's change test: an incremental run copies a
// document only when its `internal` code is neither empty, "0" nor "C" and
// it has an `updated-date`. A backup whose first run copied what changed
// (into a new directory) never holds the others' files.
inline constexpr const char* kDueWhenChangedSql =
    "(`internal` IS NOT NULL AND `internal` NOT IN ('0','C') AND `updated-date` IS NOT NULL)";

// One document's row, by id.
inline constexpr const char* kOneDocumentSql = "SELECT id, `filename`, `location` FROM `images` WHERE id=?";

struct DocumentRow {
    std::int64_t id = 0;
    std::string location, filename;
    bool dueWhenChanged = true; // passes the row part of the change test

    // "location/filename", as the row names its file.
    std::string Path() const { return location + "/" + filename; }
    // "id: location/filename", as a report names the row.
    std::string Named() const { return std::to_string(id) + ": " + Path(); }
};

// The row at the result set's cursor, from its columns `id`, `location`
// and `filename`.
DocumentRow DocumentRowOf(const ResultSet& rs);

void ForEachDocumentRow(Connection& db, const std::function<void(const DocumentRow&)>& visit);
