#include "core/data/Database.h"

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
    try {
        connection.Open(file);
    } catch (...) {
        ReportError(prompter_, procName);
    }
}

void Database::Close(Connection& connection, const char* procName)
{
    try {
        connection.Close();
    } catch (...) {
        ReportError(prompter_, procName);
    }
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
    try {
        EnsureLibConnection();
        lib_.Execute(sSQL, params);
        return true;
    } catch (...) {
        ReportError(prompter_, "Database.TableExe(sSQL)");
        return false;
    }
}

bool Database::CtrlTableExe(const std::string& sSQL, const SqlParams& params)
{
    try {
        EnsureCtrlConnection();
        ctrl_.Execute(sSQL, params);
        return true;
    } catch (...) {
        ReportError(prompter_, "Database.CtrlTableExe(sSQL)", sSQL);
        return false;
    }
}

std::optional<ResultSet> Database::QueryExe(const std::string& sSQL, const std::string&,
                                            const SqlParams& params)
{
    try {
        EnsureLibConnection();
        return lib_.Query(sSQL, params);
    } catch (...) {
        ReportError(prompter_, "Database.QueryExe(sSQL,sMode)");
        return std::nullopt;
    }
}

std::optional<ResultSet> Database::CtrlQueryExe(const std::string& sSQL, const std::string&,
                                                const SqlParams& params)
{
    try {
        EnsureCtrlConnection();
        return ctrl_.Query(sSQL, params);
    } catch (...) {
        ReportError(prompter_, "Database.CtrlQueryExe(sSQL,sMode)");
        return std::nullopt;
    }
}

void Database::TableExeBegin()
{
    try {
        EnsureLibConnection();
        const int level = gvTransLevel_ + 1;
        lib_.Execute(level == 1 ? "BEGIN" : "SAVEPOINT level" + std::to_string(level), {});
        gvTransLevel_ = level;
    } catch (...) {
        ReportError(prompter_, "Database.TableExeBegin");
    }
}

void Database::EndTransaction(bool commit, const char* procName)
{
    if (gvTransLevel_ <= 0) return;
    try {
        const std::string savepoint = "level" + std::to_string(gvTransLevel_);
        if (gvTransLevel_ == 1) {
            lib_.Execute(commit ? "COMMIT" : "ROLLBACK", {});
        } else {
            if (!commit) lib_.Execute("ROLLBACK TO " + savepoint, {});
            lib_.Execute("RELEASE " + savepoint, {});
        }
        --gvTransLevel_;
    } catch (...) {
        ReportError(prompter_, procName);
    }
}

void Database::TableExeCommit() { EndTransaction(true, "Database.TableExeCommit"); }
void Database::TableExeRollback() { EndTransaction(false, "Database.TableExeRollback"); }
