#pragma once
// A value handed to the error report: any kind a failing routine works with.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

class ReportValue {
public:
    enum class Kind { Missing, Empty, Null, Integer, Float, Boolean, Date, Text, Object, Array, Other };

    ReportValue() = default; // a missing argument
    ReportValue(const char* text) : kind_(Kind::Text), data_(std::string(text)) {}
    ReportValue(std::string text) : kind_(Kind::Text), data_(std::move(text)) {}
    ReportValue(int value) : kind_(Kind::Integer), data_(static_cast<std::int64_t>(value)) {}
    ReportValue(long value) : kind_(Kind::Integer), data_(static_cast<std::int64_t>(value)) {}
    ReportValue(long long value) : kind_(Kind::Integer), data_(static_cast<std::int64_t>(value)) {}
    ReportValue(unsigned int value) : kind_(Kind::Integer), data_(static_cast<std::int64_t>(value)) {}
    ReportValue(unsigned long value) : kind_(Kind::Integer), data_(static_cast<std::int64_t>(value)) {}
    ReportValue(double value) : kind_(Kind::Float), data_(value) {}
    ReportValue(bool value) : kind_(Kind::Boolean), data_(value) {}
    ReportValue(std::vector<ReportValue> items) : kind_(Kind::Array), data_(std::move(items)) {}

    static ReportValue Empty() { return ReportValue(Kind::Empty); }
    static ReportValue Null() { return ReportValue(Kind::Null); }
    static ReportValue Other() { return ReportValue(Kind::Other); }
    // A date as its standard text form, e.g. "2026-03-05 14:07:09".
    static ReportValue Date(std::string text);
    // An object, shown by its type name.
    static ReportValue Object(std::string typeName);

    Kind kind() const { return kind_; }
    const std::vector<ReportValue>& items() const;
    const std::string& text() const; // Text, Date and Object
    std::int64_t integer() const;
    double number() const;
    bool boolean() const;

private:
    explicit ReportValue(Kind kind) : kind_(kind) {}
    Kind kind_ = Kind::Missing;
    std::variant<std::monostate, std::int64_t, double, bool, std::string, std::vector<ReportValue>> data_;
};
