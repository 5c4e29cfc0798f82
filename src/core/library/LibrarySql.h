#pragma once
// What the library routines cannot go on without: Database has reported a
// failure already; these end the caller's work with an error.
#include "core/base/AppError.h"
#include "core/data/Database.h"

#include <string>

inline void RequireTableExe(Database& db, const std::string& sql, const SqlParams& params = {})
{
    if (!db.TableExe(sql, params)) throw AppError(-1, "Statement not executed: " + sql);
}

// The transaction level of the guard began; throws when it did not.
inline void RequireBegun(const Database::Transaction& transaction)
{
    if (!transaction.Begun()) throw AppError(-1, "The transaction could not begin");
}

// Commits the guard's level; throws when it stayed open (the guard rolls it back).
inline void RequireCommit(Database::Transaction& transaction)
{
    if (!transaction.Commit()) throw AppError(-1, "The transaction could not be committed");
}
