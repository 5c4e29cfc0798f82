#pragma once
// A statement that the library routines cannot go on without: TableExe has
// reported a failure already; this ends the caller's work with an error.
#include "core/base/AppError.h"
#include "core/data/Database.h"

#include <string>

inline void RequireTableExe(Database& db, const std::string& sql, const SqlParams& params = {})
{
    if (!db.TableExe(sql, params)) throw AppError(-1, "Statement not executed: " + sql);
}

// Begins a transaction level on the library database; throws when it did not.
inline void RequireBegin(Database& db)
{
    const int level = db.TransLevel();
    db.TableExeBegin();
    if (db.TransLevel() != level + 1) throw AppError(-1, "The transaction could not begin");
}

// Commits the innermost level; throws when it stayed open.
inline void RequireCommit(Database& db)
{
    const int level = db.TransLevel();
    db.TableExeCommit();
    if (db.TransLevel() != level - 1) throw AppError(-1, "The transaction could not be committed");
}
