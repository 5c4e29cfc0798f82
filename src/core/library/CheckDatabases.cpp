// The databases' own check: quick_check, or integrity_check when deep.
#include "core/base/AppError.h"
#include "core/data/Database.h"
#include "core/data/IntegrityCheck.h"
#include "core/library/CheckRun.h"

namespace {

void Damaged(CheckRun& run, const std::string& name, const std::string& detail)
{
    run.report.Add(
        {FindingKind::DatabaseDamaged, {}, {name}, ControlDir(run.libPath) + "/" + name, name + ": " + detail});
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
    run.Progress("Checking " + name, 0, 0);
    const std::string damage = DamageFound(connection, run.options.deep);
    if (!damage.empty()) Damaged(run, name, damage);
}
