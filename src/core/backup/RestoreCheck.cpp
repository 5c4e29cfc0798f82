#include "core/backup/RestoreCheck.h"

#include "core/backup/DocumentRows.h"
#include "core/common/Commons.h"
#include "core/data/Connection.h"
#include "core/data/Database.h"
#include "core/data/IntegrityCheck.h"

namespace {

// Problems named one by one; beyond these, counted.
constexpr std::size_t kNamed = 100;

void CheckIntegrity(const std::string& file, const std::string& name, std::vector<std::string>& problems)
{
    Connection db;
    db.Open(file, Connection::Mode::ReadOnly);
    const std::string damage = DamageFound(db, true);
    if (!damage.empty()) problems.push_back(name + " fails its integrity check: " + damage);
}

} // namespace

std::vector<std::string> CheckRestoredLibrary(const std::string& dir,
                                              const std::function<bool(const DocumentRow&)>& expected)
{
    std::vector<std::string> problems;
    CheckIntegrity(LibDatabaseFile(dir), "LIB.MDE", problems);
    CheckIntegrity(CtrlDatabaseFile(dir), "CTRL.MDE", problems);
    Connection lib;
    lib.Open(LibDatabaseFile(dir), Connection::Mode::ReadOnly);
    std::int64_t absent = 0;
    ForEachDocumentRow(lib, [&](const DocumentRow& row) {
        if (!expected(row) || IsPlainFile(dir + "/" + row.Path())) return;
        if (++absent <= static_cast<std::int64_t>(kNamed))
            problems.push_back("The file of document " + row.Named() + " was not restored");
    });
    if (absent > static_cast<std::int64_t>(kNamed))
        problems.push_back(std::to_string(absent) + " documents in all whose file was not restored");
    return problems;
}
