#pragma once
// The run-time error report: one message box telling where an unexpected
// error happened, its number and description, and the values involved.
#include "core/base/ReportValue.h"
#include "core/base/AppError.h"

#include <string>
#include <utility>

class Prompter;

// Shows the report for the error currently being handled (call it inside a
// catch block; outside one the report shows error 0).
void ReportError(Prompter& prompter, const std::string& sProcName,
                 const ReportValue& vVariables = ReportValue(), const std::string& sExtraInfo = "");

// The same for a given error.
void ReportError(Prompter& prompter, const ErrorInfo& error, const std::string& sProcName,
                 const ReportValue& vVariables = ReportValue(), const std::string& sExtraInfo = "");

// Routine name and parameter list text of "Module.Proc(a,b)".
std::pair<std::string, std::string> SplitProcName(const std::string& sProcName);
std::string FormatVariables(const std::string& sParams, const ReportValue& vVariables);
std::string FormatValue(const ReportValue& value);
// The whole report text.
std::string BuildErrorReport(const ErrorInfo& error, const std::string& sProcName,
                             const ReportValue& vVariables, const std::string& sExtraInfo);
