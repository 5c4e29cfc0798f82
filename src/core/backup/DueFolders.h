#pragma once
// What an incremental walk needs to know before it visits the folders: how
// many documents each folder holds, and which folders hold a document whose
// row passes the change test. A folder without one is then counted, not
// read: with nothing changed, the walk reads no document rows at all.
// Both are read in short statements over ranges, so no statement keeps a
// client from committing for long, and memory grows with the folders only.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

class Database;

struct DueFolders {
    std::unordered_map<std::int64_t, std::int64_t> counts; // documents by `folder-id`
    std::unordered_set<std::int64_t> due;                  // folders with a document changed since

    std::int64_t Count(std::int64_t folder) const;
};

// Ranges: `folders` folders to a count statement, `ids` ids to a change
// statement. Throws when a statement fails (reported already).
DueFolders ReadDueFolders(Database& db, const std::string& sinceIso, std::int64_t folders = 512,
                          std::int64_t ids = 65536);
