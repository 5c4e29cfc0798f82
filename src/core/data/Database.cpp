#include "core/data/Database.h"

#include "core/base/AppError.h"
#include "core/base/AppState.h"
#include "core/base/MyErrHandler.h"

std::string ControlDir(const std::string& libPath) { return libPath + "/00000000"; }
std::string LibDatabaseFile(const std::string& libPath) { return ControlDir(libPath) + "/LIB.MDE"; }
std::string CtrlDatabaseFile(const std::string& libPath) { return ControlDir(libPath) + "/CTRL.MDE"; }

Database::Database(const AppState& state, Prompter& prompter) : state_(state), prompter_(prompter) {}

std::string Database::LibFile() const { return LibDatabaseFile(state_.gsActiveLibPath); }
std::string Database::CtrlFile() const { return CtrlDatabaseFile(state_.gsCtrlLibPath); }

void Database::Ensure(Connection& connection, const std::string& file, const char* procName)
{
    if (connection.IsOpen()) return;
    Trapped(prompter_, procName, [&] { connection.Open(file); });
}

void Database::Close(Connection& connection, const char* procName)
{
    Trapped(prompter_, procName, [&] { connection.Close(); });
}

void Database::EnsureLibConnection() { Ensure(lib_, LibFile(), "Database.EnsureLibConnection"); }
void Database::EnsureCtrlConnection() { Ensure(ctrl_, CtrlFile(), "Database.EnsureCtrlConnection"); }

void Database::CloseLibConnection()
{
    // Closing ends any open transaction; SQLite rolls it back.
    gvTransLevel_ = 0;
    Close(lib_, "Database.CloseLibConnection");
}

void Database::CloseCtrlConnection() { Close(ctrl_, "Database.CloseCtrlConnection"); }

bool Database::TableExe(const std::string& sSQL, const SqlParams& params)
{
    return Trapped(prompter_, "Database.TableExe(sSQL)", [&] {
        EnsureLibConnection();
        lib_.Execute(sSQL, params);
    });
}

bool Database::CtrlTableExe(const std::string& sSQL, const SqlParams& params)
{
    return Trapped(
        prompter_, "Database.CtrlTableExe(sSQL)",
        [&] {
            EnsureCtrlConnection();
            ctrl_.Execute(sSQL, params);
        },
        sSQL);
}

std::optional<ResultSet> Database::QueryExe(const std::string& sSQL, const std::string&, const SqlParams& params)
{
    return Trapped(prompter_, "Database.QueryExe(sSQL,sMode)", [&] {
        EnsureLibConnection();
        return std::optional<ResultSet>(lib_.Query(sSQL, params));
    });
}

std::optional<ResultSet> Database::CtrlQueryExe(const std::string& sSQL, const std::string&, const SqlParams& params)
{
    return Trapped(prompter_, "Database.CtrlQueryExe(sSQL,sMode)", [&] {
        EnsureCtrlConnection();
        return std::optional<ResultSet>(ctrl_.Query(sSQL, params));
    });
}

void Database::TableExeBegin()
{
    Trapped(prompter_, "Database.TableExeBegin", [&] {
        EnsureLibConnection();
        const int level = gvTransLevel_ + 1;
        lib_.Execute(level == 1 ? "BEGIN" : "SAVEPOINT level" + std::to_string(level), {});
        gvTransLevel_ = level;
    });
}

void Database::EndTransaction(bool commit, const char* procName)
{
    if (gvTransLevel_ <= 0) return;
    Trapped(prompter_, procName, [&] {
        const std::string savepoint = "level" + std::to_string(gvTransLevel_);
        if (gvTransLevel_ == 1) {
            lib_.Execute(commit ? "COMMIT" : "ROLLBACK", {});
        } else {
            if (!commit) lib_.Execute("ROLLBACK TO " + savepoint, {});
            lib_.Execute("RELEASE " + savepoint, {});
        }
        --gvTransLevel_;
    });
}

void Database::TableExeCommit() { EndTransaction(true, "Database.TableExeCommit"); }
void Database::TableExeRollback() { EndTransaction(false, "Database.TableExeRollback"); }

Database::Transaction::Transaction(Database& db) : db_(db)
{
    const int outer = db_.gvTransLevel_;
    db_.TableExeBegin();
    if (db_.gvTransLevel_ == outer + 1) level_ = db_.gvTransLevel_;
}

// Closing the connection ends every level, this one with them.
bool Database::Transaction::Held() const { return level_ > 0 && db_.gvTransLevel_ >= level_; }

bool Database::Transaction::Commit()
{
    // A deeper level still open would be committed in this one's place.
    if (!Held() || db_.gvTransLevel_ != level_) return false;
    db_.TableExeCommit();
    if (db_.gvTransLevel_ == level_) return false;
    level_ = 0;
    return true;
}

Database::Transaction::~Transaction()
{
    try {
        while (Held()) {
            const int before = db_.gvTransLevel_;
            db_.TableExeRollback();
            if (db_.gvTransLevel_ == before) break; // the rollback failed, and was reported
        }
    } catch (...) {
        // The report of a failed rollback failed itself; nothing leaves the end.
    }
}

ResultSet Required(std::optional<ResultSet> rs)
{
    if (!rs) throw AppError(91, "Object variable or With block variable not set");
    return std::move(*rs);
}
