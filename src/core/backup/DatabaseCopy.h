#pragma once
// A consistent copy of a live database, even while a desktop client writes:
// SQLite's online backup into a work file beside the target, checked, then
// renamed over the old copy. The old copy stays until the new one is whole.
//
// Each copy gets a stamp naming the state of the database it was made from
// and the copy file itself; when both still match, the database has not
// changed since and the copy is skipped.
#include "core/common/AtomicFile.h"

#include <functional>
#include <string>

struct DatabaseCopyResult {
    std::string stamp;     // of the copy now in place; empty when unknown
    bool copied = false;   // false when the stamp showed the copy is current
    CopiedContent content; // what a copy made now holds
};

struct DatabaseCopies {
    DatabaseCopyResult lib, ctrl;
};

// Throws on failure; the old copy then stays as it was. `beforeWrite` runs
// before the first write beside the target, when there is one.
DatabaseCopyResult CopyDatabase(const std::string& source, const std::string& target,
                                const std::string& previousStamp = {}, const std::function<void()>& beforeWrite = {});
