#include "core/data/Compact.h"

#include "core/app/AppContext.h"
#include "core/base/MyErrHandler.h"

#include <SQLiteCpp/Backup.h>
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kRepairFailed = "Repair Database NOT successful !";
constexpr const char* kCompactFailed = "Compact Database NOT successful !";

// What integrity_check finds, one problem a line; empty when the file is
// sound. The check may give several problems in one row, headed by the
// database's name.
std::vector<std::string> IntegrityProblems(SQLite::Database& db)
{
    SQLite::Statement check(db, "PRAGMA integrity_check");
    std::vector<std::string> problems;
    while (check.executeStep()) {
        const std::string row = check.getColumn(0).getString();
        if (row == "ok") continue;
        std::size_t start = 0;
        while (start <= row.size()) {
            const std::size_t end = std::min(row.find('\n', start), row.size());
            std::string line = row.substr(start, end - start);
            if (!line.empty() && line.rfind("*** in database", 0) != 0) problems.push_back(std::move(line));
            start = end + 1;
        }
    }
    return problems;
}

// Damage confined to index entries, which REINDEX rebuilds from the tables.
bool OnlyIndexesDamaged(const std::vector<std::string>& problems)
{
    for (const std::string& p : problems) {
        if (p.find("missing from index ") == std::string::npos &&
            p.find("wrong # of entries in index ") == std::string::npos &&
            p.find("non-unique entry in index ") == std::string::npos)
            return false;
    }
    return true;
}

// Mends damaged indexes in place; anything else is reported and the file
// left as it was (recovered table content would be suspect).
void Repair(SQLite::Database& db)
{
    std::vector<std::string> problems = IntegrityProblems(db);
    if (problems.empty()) return;
    if (OnlyIndexesDamaged(problems)) {
        db.exec("REINDEX");
        problems = IntegrityProblems(db);
        if (problems.empty()) return;
    }
    throw AppError(SQLITE_CORRUPT, "The database is damaged and cannot be repaired: " + problems.front());
}

AppError InUse(int rc)
{
    return AppError(rc, "The database is in use by another program (" + std::string(sqlite3_errstr(rc)) + ")");
}

// Takes the database's exclusive lock and keeps it until the connection is
// closed, so no client can commit between the compaction and the end of the
// write-back: a commit there would be overwritten by the older copy. A client
// holding a lock past the busy timeout makes this fail before anything is
// written.
void HoldExclusiveLock(SQLite::Database& db)
{
    db.exec("PRAGMA locking_mode = EXCLUSIVE");
    const int rc = db.tryExec("BEGIN EXCLUSIVE");
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) throw InUse(rc);
    if (rc != SQLITE_OK) throw AppError(rc, db.getErrorMsg());
    db.exec("COMMIT"); // the lock stays: the connection is in exclusive mode
}

void CompactInto(SQLite::Database& db, const std::string& work)
{
    SQLite::Statement vacuum(db, "VACUUM INTO ?");
    vacuum.bind(1, work);
    vacuum.exec();
}

void CheckCopy(const std::string& work)
{
    SQLite::Database copy(work, SQLite::OPEN_READONLY);
    const std::vector<std::string> problems = IntegrityProblems(copy);
    if (!problems.empty()) throw AppError(SQLITE_CORRUPT, "The compacted copy is damaged: " + problems.front());
}

// Writes the copy into the database as one journaled SQLite write
// transaction: a crash leaves the old or the new content whole, and clients
// that have the file open see the change instead of a file swapped under them.
void WriteBack(SQLite::Database& db, const std::string& work)
{
    SQLite::Database copy(work, SQLite::OPEN_READONLY);
    SQLite::Backup backup(db, copy);
    const int rc = backup.executeStep(-1);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) throw InUse(rc);
    if (rc != SQLITE_DONE) throw AppError(rc, sqlite3_errstr(rc));
}

} // namespace

std::string CompactWorkFile(const std::string& libPath) { return ControlDir(libPath) + "/dbtmp.$$$"; }

bool CompactDB(AppContext& app, const std::string& strInput, int busyTimeoutMs)
{
    std::string step;
    return Trapped(
        app.prompter, "Database.CompactDB(strInput)",
        [&] {
            const std::string work = CompactWorkFile(app.state.gsActiveLibPath);
            SQLite::Database db(strInput, SQLite::OPEN_READWRITE, busyTimeoutMs);
            step = kRepairFailed;
            Repair(db);

            step = kCompactFailed;
            // A work file left by an earlier failed run.
            if (fs::exists(work)) fs::remove(work);
            HoldExclusiveLock(db);
            CompactInto(db, work);
            CheckCopy(work);
            WriteBack(db, work);
            fs::remove(work);
            return true; // the lock goes with the connection
        },
        strInput, step);
}
