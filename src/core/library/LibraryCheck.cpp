#include "core/library/LibraryCheck.h"

#include "core/base/AppError.h"
#include "core/library/CheckRun.h"

namespace {

// Runs one part; a part that fails leaves its error in the report and the
// others still run.
template <typename Part>
bool RunPart(CheckReport& report, const std::string& what, Part part)
{
    try {
        part();
        return true;
    } catch (...) {
        report.errors.push_back(what + ": " + CurrentError().description);
        return false;
    }
}

} // namespace

CheckReport CheckLibrary(const std::string& libPath, const CheckOptions& options, const CheckProgress& progress)
{
    CheckReport report;
    report.library = libPath;
    report.deep = options.deep;
    report.staleDays = options.staleDays;
    CheckRun run{libPath, options, progress, report, {}, {}, {}};
    const bool lib = OpenForCheck(run, run.lib, "LIB.MDE");
    const bool ctrl = OpenForCheck(run, run.ctrl, "CTRL.MDE");
    bool users = false;
    if (lib) {
        RunPart(report, "LIB.MDE check", [&] { CheckIntegrity(run, run.lib, "LIB.MDE"); });
        RunPart(report, "Documents and files", [&] { CheckDocuments(run); });
        users = RunPart(report, "Users and groups", [&] { CheckUsers(run); });
    } else {
        report.errors.push_back("Documents, files, users and groups: not checked without LIB.MDE");
    }
    if (ctrl) RunPart(report, "CTRL.MDE check", [&] { CheckIntegrity(run, run.ctrl, "CTRL.MDE"); });
    // Locks and logins are judged against the users and documents of LIB.MDE.
    if (ctrl && users)
        RunPart(report, "Locks and logins", [&] { CheckControl(run); });
    else
        report.errors.push_back("Locks and logins: not checked without both databases");
    run.Progress("Done", 1, 1);
    return report;
}
