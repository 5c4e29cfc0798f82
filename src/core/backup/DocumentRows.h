#pragma once
// Every row of `images` with the file it names, read a page at a time in
// the order of id, so memory stays flat however large the library.
#include <cstdint>
#include <functional>
#include <string>

class Connection;

struct DocumentRow {
    std::int64_t id = 0;
    std::string location, filename;

    // "location/filename", as the row names its file.
    std::string Path() const { return location + "/" + filename; }
    // "id: location/filename", as a report names the row.
    std::string Named() const { return std::to_string(id) + ": " + Path(); }
};

void ForEachDocumentRow(Connection& db, const std::function<void(const DocumentRow&)>& visit);
