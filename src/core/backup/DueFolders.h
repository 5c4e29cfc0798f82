#pragma once
// What an incremental walk reads of the documents: how many each folder
// holds, and the rows that pass the change test. A folder is only counted;
// with nothing changed, the walk reads no document rows at all, and with a
// few changed, only theirs, whichever folders they are in.
// All is read in short statements over ranges, so no statement keeps a
// client from committing for long, and the changed rows of one range are
// handed over only after its statement has ended.
#include "core/backup/DocumentRows.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class Database;

// A changed document and the folder that holds it.
struct DueRow {
    std::int64_t folder = 0;
    DocumentRow row;
};

struct DueRanges {
    std::int64_t folders = 512; // folders to a count statement
    std::int64_t ids = 16384;   // ids to a change statement
    std::int64_t held = 4096;   // due rows held from the space check to the copies
};

// Documents by `folder-id`; a folder missing holds none. Reads through a
// connection of its own, so it may run on a helper thread while the walk
// goes on; throws when a statement fails.
std::unordered_map<std::int64_t, std::int64_t> ReadFolderCounts(const std::string& libDatabaseFile,
                                                                std::int64_t foldersPerStatement);

// Which rows a run reads: those changed since a date that pass the change
// test, or every row when it copies everything; from a first id on.
struct DueQuery {
    std::string sinceIso; // empty: every row
    std::int64_t fromId = INT64_MIN;
};

// Hands over the rows of the query, a range of ids at a time, in order of
// id. Throws when a statement fails (reported already).
void ForEachDueRange(Database& db, const DueQuery& query, std::int64_t idsPerStatement,
                     const std::function<void(const std::vector<DueRow>&)>& visit);
