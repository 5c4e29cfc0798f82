#include "core/data/Connection.h"

#include "core/base/AppError.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

namespace {

constexpr int kBusyTimeoutMs = 5000;

// Leaves the cached statement ready for its next use and holding no lock.
struct ResetOnExit {
    SQLite::Statement& statement;
    ~ResetOnExit()
    {
        statement.tryReset();
        try {
            statement.clearBindings();
        } catch (...) {
        }
    }
};

SqlValue ColumnValue(const SQLite::Column& column)
{
    switch (column.getType()) {
    case SQLITE_INTEGER:
        return static_cast<std::int64_t>(column.getInt64());
    case SQLITE_FLOAT:
        return column.getDouble();
    case SQLITE_NULL:
        return std::monostate{};
    default:
        return column.getString();
    }
}

} // namespace

void SetUpSqlite() { sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0); }

Connection::Connection() = default;
Connection::~Connection() { Close(); }

void Connection::Open(const std::string& file, Mode mode)
{
    const int flags = mode == Mode::ReadOnly ? SQLite::OPEN_READONLY
                      : mode == Mode::Create ? SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE
                                             : SQLite::OPEN_READWRITE;
    auto db = std::make_unique<SQLite::Database>(file, flags, kBusyTimeoutMs);
    // SQLite opens lazily; read the schema now so a file that is no database
    // fails here and not at the first statement.
    db->exec("SELECT count(*) FROM sqlite_master");
    db_ = std::move(db);
}

void Connection::Close()
{
    statements_.clear();
    db_.reset();
}

void Connection::RequireOpen() const
{
    if (!db_) throw AppError(3704, "Operation is not allowed when the object is closed.");
}

SQLite::Statement& Connection::Prepare(const std::string& sql, const SqlParams& params)
{
    RequireOpen();
    auto it = statements_.find(sql);
    if (it == statements_.end()) it = statements_.emplace(sql, std::make_unique<SQLite::Statement>(*db_, sql)).first;
    SQLite::Statement& statement = *it->second;
    statement.tryReset();
    statement.clearBindings();
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i + 1);
        std::visit(
            [&](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::monostate>)
                    statement.bind(index);
                else if constexpr (std::is_same_v<T, std::int64_t>)
                    statement.bind(index, static_cast<int64_t>(v));
                else
                    statement.bind(index, v);
            },
            params[i]);
    }
    return statement;
}

void Connection::Execute(const std::string& sql, const SqlParams& params)
{
    SQLite::Statement& statement = Prepare(sql, params);
    ResetOnExit guard{statement};
    while (statement.executeStep()) {
    }
}

ResultSet Connection::Query(const std::string& sql, const SqlParams& params)
{
    SQLite::Statement& statement = Prepare(sql, params);
    ResetOnExit guard{statement};
    std::vector<std::string> columns;
    for (int i = 0; i < statement.getColumnCount(); ++i) columns.emplace_back(statement.getColumnName(i));
    std::vector<std::vector<SqlValue>> rows;
    while (statement.executeStep()) {
        std::vector<SqlValue> row;
        row.reserve(columns.size());
        for (int i = 0; i < statement.getColumnCount(); ++i) row.push_back(ColumnValue(statement.getColumn(i)));
        rows.push_back(std::move(row));
    }
    return ResultSet(std::move(columns), std::move(rows));
}
