#pragma once
// What an incremental walk needs to know before it visits the folders: how
// many documents each folder holds, which folders hold a document whose row
// passes the change test, and those rows. A folder without one is then
// counted, not read: with nothing changed, the walk reads no document rows
// at all, and with a few changed, only theirs.
// All is read in short statements over ranges, so no statement keeps a
// client from committing for long. Memory grows with the folders, and with
// the changed rows up to a bound; past it the rows are let go, and the walk
// reads the rows of each folder that holds a changed one.
#include "core/backup/DocumentRows.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class Database;

struct DueFolders {
    std::unordered_map<std::int64_t, std::int64_t> counts;           // documents by `folder-id`
    std::unordered_set<std::int64_t> due;                            // folders with a document changed since
    std::unordered_map<std::int64_t, std::vector<DocumentRow>> rows; // those documents, in order of id
    bool rowsHeld = true;                                            // false when there were too many to hold

    std::int64_t Count(std::int64_t folder) const;
    const std::vector<DocumentRow>& RowsOf(std::int64_t folder) const;
};

struct DueRanges {
    std::int64_t folders = 512; // folders to a count statement
    std::int64_t ids = 16384;   // ids to a change statement
    std::size_t rowsHeld = 65536;
};

// Throws when a statement fails (reported already).
DueFolders ReadDueFolders(Database& db, const std::string& sinceIso, const DueRanges& ranges = {});
