#include "core/data/ResultSet.h"

#include "core/base/AppError.h"
#include "core/common/Text.h"

#include <charconv>
#include <cstdlib>

std::string Field::Text() const
{
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(std::int64_t v) const { return std::to_string(v); }
        std::string operator()(double v) const
        {
            char buffer[64];
            const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
            return std::string(buffer, r.ptr);
        }
        std::string operator()(const std::string& v) const { return v; }
    };
    return std::visit(Visitor{}, value_);
}

std::int64_t Field::Int() const
{
    if (auto v = std::get_if<std::int64_t>(&value_)) return *v;
    if (auto v = std::get_if<double>(&value_)) return static_cast<std::int64_t>(*v);
    if (auto v = std::get_if<std::string>(&value_)) return std::strtoll(v->c_str(), nullptr, 10);
    return 0;
}

double Field::Number() const
{
    if (auto v = std::get_if<std::int64_t>(&value_)) return static_cast<double>(*v);
    if (auto v = std::get_if<double>(&value_)) return *v;
    if (auto v = std::get_if<std::string>(&value_)) return std::strtod(v->c_str(), nullptr);
    return 0;
}

ResultSet::ResultSet(std::vector<std::string> columns, std::vector<std::vector<SqlValue>> rows)
    : columns_(std::move(columns)), rows_(std::move(rows))
{
    for (std::size_t i = 0; i < columns_.size(); ++i) index_.emplace(ToLower(columns_[i]), i);
}

bool ResultSet::HasColumn(const std::string& column) const { return index_.count(ToLower(column)) > 0; }

Field ResultSet::operator[](const std::string& column) const
{
    const auto it = index_.find(ToLower(column));
    if (it == index_.end()) throw AppError(3265, "Item cannot be found in the collection: " + column);
    if (Eof()) throw AppError(3021, "Either BOF or EOF is True, or the current record has been deleted.");
    return Field(rows_[position_][it->second]);
}
