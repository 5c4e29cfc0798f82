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

    // One transaction level held for a scope (SQLiteCpp's Transaction): it
    // begins the next level, and rolls it back when it ends uncommitted,
    // with any deeper level left open inside it. Its end never throws.
    // Failures to begin, commit or roll back are reported as above.
    class Transaction {
    public:
        explicit Transaction(Database& db);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;

        // False when the level could not begin.
        bool Begun() const { return level_ > 0; }
        // False when the level had not begun, or stayed open (the end rolls it back).
        bool Commit();

    private:
        bool Held() const;

        Database& db_;
        int level_ = 0; // the level held; 0 when none
    };

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

// For a caller that cannot go on without the rows: a query that failed has
// been reported already and left no result set; going on is the caller's
// error (91, as the report shows it), for the caller's trap.
ResultSet Required(std::optional<ResultSet> rs);
