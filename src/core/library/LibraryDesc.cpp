#include "core/library/LibraryDesc.h"

#include "core/app/AppContext.h"
#include "core/base/MyErrHandler.h"
#include "core/common/Text.h"
#include "core/library/Library.h"
#include "core/library/LibrarySql.h"

#include <optional>

namespace {

constexpr std::size_t kMaxDescChars = 50;

bool HasRecord(Database& db, const char* sql)
{
    auto rs = db.QueryExe(sql, "R");
    if (!rs) throw AppError(-1, "The library information records could not be read");
    return rs->RecordCount() > 0;
}

} // namespace

bool UpdateLibDesc(AppContext& app, const std::string& sLibDesc)
{
    Database& db = app.db;
    // Bound as a value, so an apostrophe is stored as it is.
    const std::string desc = LeftChars(sLibDesc, kMaxDescChars);
    // Held past the trap, so a failure is reported before it is rolled back.
    std::optional<Database::Transaction> records;
    return Trapped(
        app.prompter, "Library.UpdateLibDesc(sLibDesc)",
        [&] {
            const bool hasVersion =
                HasRecord(db, "SELECT `subpath` FROM `lib-ctrl` WHERE `filecount`=2 AND `rec-id`=2");
            const bool hasDesc =
                hasVersion && HasRecord(db, "SELECT `subpath` FROM `lib-ctrl` WHERE `filecount`=3 AND `rec-id`=3");
            RequireBegun(records.emplace(db));
            // Readers find record N by rec-id and filecount both equal to N, so
            // added records carry their numbers; a number taken by another row
            // fails and is reported instead of adding a record nobody finds.
            if (!hasVersion)
                RequireTableExe(db, "INSERT INTO `lib-ctrl` (`rec-id`,`subpath`,`filecount`) VALUES ( 2, '100', 2 )");
            if (hasDesc)
                RequireTableExe(db, "UPDATE `lib-ctrl` SET `subpath`= ? WHERE `filecount`=3 AND `rec-id`=3", {desc});
            else
                RequireTableExe(db, "INSERT INTO `lib-ctrl` (`rec-id`,`subpath`,`filecount`) VALUES ( 3, ?, 3 )",
                                {desc});
            RequireCommit(*records);
        },
        desc);
}

bool EditLibDesc(AppContext& app)
{
    const std::string current = GetLibExtraInfo(app, "3");
    const std::string answer = app.prompter.InputBox(kDescPrompt, kDescTitle, current);
    // Cancel and an all-blank answer change nothing; otherwise the text is
    // stored as typed, blanks kept.
    if (Trim(answer).empty()) return false;
    return UpdateLibDesc(app, answer);
}
