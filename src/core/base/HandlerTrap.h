#pragma once
// The error trap of a window's handler: an unexpected error is reported
// under the handler's name and the handler ends; the window stays usable.
#include "core/base/MyErrHandler.h"

// True when the body ran to its end.
template <typename Body>
bool Trapped(Prompter& prompter, const char* sProcName, Body&& body, const ReportValue& vVariables = {})
{
    try {
        body();
        return true;
    } catch (...) {
        ReportError(prompter, sProcName, vVariables);
        return false;
    }
}
