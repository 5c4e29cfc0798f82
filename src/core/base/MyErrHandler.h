#pragma once
// The run-time error report: one message box telling where an unexpected
// error happened, its number and description, and the values involved.
#include "core/base/AppError.h"
#include "core/base/ReportValue.h"

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

class Prompter;

// Shows the report for the error currently being handled (call it inside a
// catch block; outside one the report shows error 0).
void ReportError(Prompter& prompter, const std::string& sProcName, const ReportValue& vVariables = ReportValue(),
                 const std::string& sExtraInfo = "");

// The same for a given error.
void ReportError(Prompter& prompter, const ErrorInfo& error, const std::string& sProcName,
                 const ReportValue& vVariables = ReportValue(), const std::string& sExtraInfo = "");

// Routine name and parameter list text of "Module.Proc(a,b)".
std::pair<std::string, std::string> SplitProcName(const std::string& sProcName);
std::string FormatVariables(const std::string& sParams, const ReportValue& vVariables);
std::string FormatValue(const ReportValue& value);
// The whole report text.
std::string BuildErrorReport(const ErrorInfo& error, const std::string& sProcName, const ReportValue& vVariables,
                             const std::string& sExtraInfo);

// What a failure must end before its report is shown (work under way, a lock
// held): the report is a modal box, and nothing may wait on it.
template <typename Release>
struct BeforeReport {
    Release release;
};
template <typename Release>
BeforeReport(Release) -> BeforeReport<Release>;

namespace trap_detail {
// Throws the exception being handled on when it is a PassedOn.
template <typename PassedOn>
void PassOn()
{
    try {
        throw;
    } catch (const PassedOn&) {
        throw;
    } catch (...) {
    }
}
} // namespace trap_detail

// The trap of a routine that reports its own errors. Runs body; an exception
// that leaves it is reported under sProcName, with vVariables and sExtraInfo
// as they stand at that moment, and the routine gives its failure value:
//  - a body that returns nothing: true when it ran to its end, else false;
//  - a body that returns a value: that value, else the empty value of its
//    type (false, empty text, no result set).
// An exception of the type PassedOn, when one is named, is not this
// routine's to report: it goes on to a trap further out.
template <typename PassedOn = void, typename Body, typename Release>
auto Trapped(Prompter& prompter, std::string_view sProcName, Body&& body, BeforeReport<Release> first,
             const ReportValue& vVariables = {}, const std::string& sExtraInfo = {})
{
    using Result = std::invoke_result_t<Body&>;
    try {
        if constexpr (std::is_void_v<Result>) {
            body();
            return true;
        } else {
            return body();
        }
    } catch (...) {
        if constexpr (!std::is_void_v<PassedOn>) trap_detail::PassOn<PassedOn>();
        first.release();
        ReportError(prompter, std::string(sProcName), vVariables, sExtraInfo);
        if constexpr (std::is_void_v<Result>)
            return false;
        else
            return Result{};
    }
}

template <typename PassedOn = void, typename Body>
auto Trapped(Prompter& prompter, std::string_view sProcName, Body&& body, const ReportValue& vVariables = {},
             const std::string& sExtraInfo = {})
{
    return Trapped<PassedOn>(prompter, sProcName, std::forward<Body>(body), BeforeReport{[] {}}, vVariables,
                             sExtraInfo);
}
