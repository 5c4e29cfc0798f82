#include "core/base/ReportValue.h"

ReportValue ReportValue::Date(std::string text)
{
    ReportValue v(Kind::Date);
    v.data_ = std::move(text);
    return v;
}

ReportValue ReportValue::Object(std::string typeName)
{
    ReportValue v(Kind::Object);
    v.data_ = std::move(typeName);
    return v;
}

const std::vector<ReportValue>& ReportValue::items() const { return std::get<std::vector<ReportValue>>(data_); }
const std::string& ReportValue::text() const { return std::get<std::string>(data_); }
std::int64_t ReportValue::integer() const { return std::get<std::int64_t>(data_); }
double ReportValue::number() const { return std::get<double>(data_); }
bool ReportValue::boolean() const { return std::get<bool>(data_); }
