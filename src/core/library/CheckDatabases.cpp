// The databases' own check: quick_check, or integrity_check when deep.
#include "core/base/AppError.h"
#include "core/data/Database.h"
#include "core/library/CheckRun.h"

#include <optional>

#include <sqlite3.h>

namespace {

constexpr std::size_t kMessagesKept = 5;

void Damaged(CheckRun& run, const std::string& name, const std::string& detail)
{
    run.report.Add(
        {FindingKind::DatabaseDamaged, {}, {name}, ControlDir(run.libPath) + "/" + name, name + ": " + detail});
}

// The error in flight says the file is damaged, not that it is busy or missing.
bool IsDamage(const ErrorInfo& e)
{
    const int code = static_cast<int>(e.number & 0xff);
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

} // namespace

bool OpenForCheck(CheckRun& run, Connection& connection, const std::string& name)
{
    try {
        connection.Open(ControlDir(run.libPath) + "/" + name, Connection::Mode::ReadOnly);
        return true;
    } catch (...) {
        const ErrorInfo e = CurrentError();
        if (IsDamage(e))
            Damaged(run, name, e.description);
        else
            run.report.errors.push_back(name + " cannot be opened: " + e.description);
        return false;
    }
}

void CheckIntegrity(CheckRun& run, Connection& connection, const std::string& name)
{
    const char* pragma = run.options.deep ? "integrity_check" : "quick_check";
    run.Progress("Checking " + name, 0, 0);
    std::optional<ResultSet> rs;
    try {
        rs = connection.Query(std::string("PRAGMA ") + pragma, {});
    } catch (...) {
        // Damage that stops the check itself is a finding too.
        const ErrorInfo e = CurrentError();
        if (!IsDamage(e)) throw;
        return Damaged(run, name, e.description);
    }
    if (rs->RecordCount() == 1 && (*rs)[pragma].Text() == "ok") return;
    std::string detail;
    for (std::size_t kept = 0; !rs->Eof() && kept < kMessagesKept; rs->MoveNext(), ++kept)
        detail += (kept ? "; " : "") + (*rs)[pragma].Text();
    if (rs->RecordCount() > kMessagesKept) detail += "; ...";
    Damaged(run, name, detail);
}
