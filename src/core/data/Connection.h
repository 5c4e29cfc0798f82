#pragma once
// One kept database connection with its prepared statements.
#include "core/data/ResultSet.h"

#include <memory>
#include <string>
#include <unordered_map>

namespace SQLite {
class Database;
class Statement;
} // namespace SQLite

// Once a process, before its first database: SQLite then keeps no count of
// the memory it takes, which this program never asks for and which costs a
// lock at every allocation. Called later, it changes nothing but the speed.
void SetUpSqlite();

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool IsOpen() const { return db_ != nullptr; }
    enum class Mode { ReadWrite, ReadOnly, Create };
    // Opens an existing database file for shared reading and writing, or
    // for reading only: then nothing can write through it but its own
    // temporary tables. Create makes the file when there is none.
    void Open(const std::string& file, Mode mode = Mode::ReadWrite);
    void Close();

    // Runs a statement; returned rows are discarded.
    void Execute(const std::string& sql, const SqlParams& params);
    ResultSet Query(const std::string& sql, const SqlParams& params);

private:
    SQLite::Statement& Prepare(const std::string& sql, const SqlParams& params);
    void RequireOpen() const;

    std::unique_ptr<SQLite::Database> db_;
    // Cached per SQL text, so a walk running one query per folder does not
    // prepare it again each time.
    std::unordered_map<std::string, std::unique_ptr<SQLite::Statement>> statements_;
};
