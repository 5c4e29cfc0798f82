#pragma once
// The only place that talks to the two databases of the active library:
// LIB.MDE (the library database) and CTRL.MDE (the control database). Each
// connection opens on first use and stays open until closed. Every routine
// reports its own failures and returns false or no result set.
#include "core/data/Connection.h"
#include "core/data/ResultSet.h"

#include <optional>
#include <string>

struct AppState;
class Prompter;

class Database {
public:
    Database(const AppState& state, Prompter& prompter);

    // Open on first use; an open connection is reused unchanged, even when the
    // library path changed since it was opened.
    void EnsureLibConnection();
    void EnsureCtrlConnection();
    void CloseLibConnection();
    void CloseCtrlConnection();
    bool LibConnectionOpen() const { return lib_.IsOpen(); }
    bool CtrlConnectionOpen() const { return ctrl_.IsOpen(); }

    // Values go in as bound parameters, never pasted into the text.
    bool TableExe(const std::string& sSQL, const SqlParams& params = {});
    bool CtrlTableExe(const std::string& sSQL, const SqlParams& params = {});
    // sMode "R" and "W" both give a read-only result set.
    std::optional<ResultSet> QueryExe(const std::string& sSQL, const std::string& sMode = "R",
                                      const SqlParams& params = {});
    std::optional<ResultSet> CtrlQueryExe(const std::string& sSQL, const std::string& sMode = "R",
                                          const SqlParams& params = {});

    // Transactions on the library database; deeper levels are savepoints.
    void TableExeBegin();
    void TableExeCommit();
    void TableExeRollback();
    int TransLevel() const { return gvTransLevel_; }

    std::string LibFile() const;
    std::string CtrlFile() const;

private:
    void Ensure(Connection& connection, const std::string& file, const char* procName);
    void Close(Connection& connection, const char* procName);
    void EndTransaction(bool commit, const char* procName);

    const AppState& state_;
    Prompter& prompter_;
    Connection lib_;
    Connection ctrl_;
    int gvTransLevel_ = 0;
};

// The control directory of a library and its two database files.
std::string ControlDir(const std::string& libPath);
std::string LibDatabaseFile(const std::string& libPath);
std::string CtrlDatabaseFile(const std::string& libPath);
