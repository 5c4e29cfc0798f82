#pragma once
// A static, read-only result set: the rows of one SELECT read into memory,
// walked forward, columns found by name ignoring case.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

// A value bound into or read from SQL; std::monostate is NULL.
using SqlValue = std::variant<std::monostate, std::int64_t, double, std::string>;
using SqlParams = std::vector<SqlValue>;

// A column value that may be null.
class Field {
public:
    explicit Field(const SqlValue& value) : value_(value) {}
    bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
    // Text form; empty for null.
    std::string Text() const;
    // Numeric value; 0 for null or non-numeric text.
    std::int64_t Int() const;
    double Number() const;

private:
    const SqlValue& value_;
};

class ResultSet {
public:
    ResultSet(std::vector<std::string> columns, std::vector<std::vector<SqlValue>> rows);

    std::size_t RecordCount() const { return rows_.size(); }
    bool Eof() const { return position_ >= rows_.size(); }
    void MoveFirst() { position_ = 0; }
    void MoveNext() { ++position_; }

    // The column of the current row; throws when there is no such column
    // or no current row.
    Field operator[](const std::string& column) const;
    bool HasColumn(const std::string& column) const;

private:
    std::vector<std::string> columns_;
    std::unordered_map<std::string, std::size_t> index_;
    std::vector<std::vector<SqlValue>> rows_;
    std::size_t position_ = 0;
};
