#pragma once
// What a run will write, read before it writes anything, so the space check
// asks for room for that and no more: the files of the documents owed, of
// those changed (or of every document, when the run copies everything) in
// the folders the walk reaches, and the two database copies. A file is
// looked at once: the changed documents are held with what was found, up
// to a bound, and the copies start from them.
#include "core/backup/DueFolders.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

class Database;
class ReadAhead;

// A document's file as `lstat` found it.
struct SourceState {
    int error = 0; // errno when it was not found
    bool link = false;
    std::time_t mtime = 0;
    std::int64_t size = 0; // of a plain file
};
SourceState ReadSourceState(const std::string& file);

struct DueDocument {
    DocumentRow row;
    SourceState source; // read only for a row naming a safe path
};

struct DueSet {
    std::int64_t bytes = 0;               // room asked for, before the margin
    std::vector<DueDocument> held;        // the changed documents, in order of id
    std::optional<std::int64_t> resumeAt; // the first id past those held, when not all are
};

struct DueRequest {
    std::string libPath, backupPath;
    const std::unordered_set<std::int64_t>* reached = nullptr; // folders the walk reaches
    bool copyAll = false;
    std::string sinceIso;  // the last run's date, for the rows
    std::time_t since = 0; // and for the files' times
    DueRanges ranges;
    ReadAhead* readAhead = nullptr; // given the changed files held
};

// Throws when a statement fails (reported already).
DueSet ReadDueSet(Database& db, const DueRequest& request);

// Kilobytes, rounded up.
inline std::int64_t KilobytesOf(std::int64_t bytes) { return (bytes + 1023) / 1024; }
