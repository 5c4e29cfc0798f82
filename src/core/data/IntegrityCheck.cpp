#include "core/data/IntegrityCheck.h"

#include "core/base/AppError.h"
#include "core/data/Connection.h"

#include <optional>

#include <sqlite3.h>

namespace {
constexpr std::size_t kMessagesKept = 5;
}

bool IsDamage(const ErrorInfo& error)
{
    const int code = static_cast<int>(error.number & 0xff);
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

std::string DamageFound(Connection& connection, bool full)
{
    const char* pragma = full ? "integrity_check" : "quick_check";
    std::optional<ResultSet> rs;
    try {
        rs = connection.Query(std::string("PRAGMA ") + pragma, {});
    } catch (...) {
        const ErrorInfo e = CurrentError();
        if (!IsDamage(e)) throw;
        return e.description;
    }
    if (rs->RecordCount() == 1 && (*rs)[pragma].Text() == "ok") return {};
    std::string detail;
    for (std::size_t kept = 0; !rs->Eof() && kept < kMessagesKept; rs->MoveNext(), ++kept)
        detail += (kept ? "; " : "") + (*rs)[pragma].Text();
    if (rs->RecordCount() > kMessagesKept) detail += "; ...";
    return detail;
}
