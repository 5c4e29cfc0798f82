#include "core/base/MyErrHandler.h"

#include "core/base/Prompter.h"

#include <charconv>
#include <vector>

namespace {

constexpr const char* kCrLf = "\r\n";

std::vector<std::string> SplitAt(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t pos = s.find(sep, start);
        parts.push_back(s.substr(start, pos - start));
        if (pos == std::string::npos) return parts;
        start = pos + 1;
    }
}

std::string NumberText(double value)
{
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace

std::pair<std::string, std::string> SplitProcName(const std::string& sProcName)
{
    const std::size_t open = sProcName.find('(');
    if (open == std::string::npos) return {sProcName, ""};
    const std::size_t next = sProcName.find('(', open + 1);
    std::string params = sProcName.substr(open + 1, next == std::string::npos ? next : next - open - 1);
    if (!params.empty()) params.pop_back();
    return {sProcName.substr(0, open), params};
}

std::string FormatValue(const ReportValue& value)
{
    try {
        using Kind = ReportValue::Kind;
        switch (value.kind()) {
        case Kind::Array:
            return "{Array}";
        case Kind::Empty:
            return "{Empty}";
        case Kind::Null:
            return "{Null}";
        case Kind::Integer:
            return std::to_string(value.integer());
        case Kind::Float:
            return NumberText(value.number());
        case Kind::Boolean:
            return value.boolean() ? "True" : "False";
        case Kind::Date:
        case Kind::Text:
            return "'" + value.text() + "'";
        case Kind::Object:
            return "{" + value.text() + "}";
        case Kind::Missing:
            return "";
        case Kind::Other:
            break;
        }
    } catch (...) {
    }
    return "{?}";
}

std::string FormatVariables(const std::string& sParams, const ReportValue& vVariables)
{
    try {
        const std::vector<ReportValue> values =
            vVariables.kind() == ReportValue::Kind::Array ? vVariables.items() : std::vector<ReportValue>{vVariables};
        const std::vector<std::string> names = SplitAt(sParams, ',');
        std::string block;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string name = i < names.size() ? names[i] : "";
            const std::string text = FormatValue(values[i]);
            if (i > 0) block += kCrLf;
            block += name.empty() ? text : name + "=" + text;
        }
        return block;
    } catch (...) {
        return "";
    }
}

std::string BuildErrorReport(const ErrorInfo& error, const std::string& sProcName, const ReportValue& vVariables,
                             const std::string& sExtraInfo)
{
    const auto [name, params] = SplitProcName(sProcName);
    const std::string block = FormatVariables(params, vVariables);
    return std::string("Error In:   ") + name + kCrLf + kCrLf + "Error Code: " + std::to_string(error.number) + kCrLf +
           "Error Desc: " + error.description + kCrLf + kCrLf + "Variables:  " + kCrLf + " " + block + kCrLf + kCrLf +
           "Extra Info: " + kCrLf + " " + sExtraInfo;
}

void ReportError(Prompter& prompter, const ErrorInfo& error, const std::string& sProcName,
                 const ReportValue& vVariables, const std::string& sExtraInfo)
{
    prompter.MsgBox(BuildErrorReport(error, sProcName, vVariables, sExtraInfo), MsgButtons::Ok, MsgIcon::Exclamation,
                    "Unexpected Error");
}

void ReportError(Prompter& prompter, const std::string& sProcName, const ReportValue& vVariables,
                 const std::string& sExtraInfo)
{
    ReportError(prompter, CurrentError(), sProcName, vVariables, sExtraInfo);
}
