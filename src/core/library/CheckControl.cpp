// CTRL.MDE against LIB.MDE: locks of documents or users that no longer
// exist, logins of users who no longer exist, and logins older than the
// given age.
#include "core/backup/BackupDates.h"
#include "core/data/ReadStretch.h"
#include "core/library/CheckRun.h"

#include <ctime>
#include <vector>

namespace {

struct Lock {
    std::int64_t id, document;
    std::optional<std::int64_t> user;
};

std::vector<Lock> ReadLocks(CheckRun& run)
{
    std::vector<Lock> locks;
    ReadInPages(run.ctrl, "SELECT id, `image-id`, uid FROM `locking` WHERE id > ?1 ORDER BY id LIMIT ?2", "id",
                [&](const ResultSet& row) {
                    std::optional<std::int64_t> user;
                    if (!row["uid"].IsNull()) user = row["uid"].Int();
                    locks.push_back({row["id"].Int(), row["image-id"].Int(), user});
                });
    return locks;
}

void CheckLocks(CheckRun& run)
{
    ReadStretch stretch(run.lib);
    for (const Lock& lock : ReadLocks(run)) {
        stretch.Begin();
        const bool document =
            run.lib.Query("SELECT count(*) AS n FROM `images` WHERE id = ?", {lock.document})["n"].Int() > 0;
        if (stretch.Expired()) stretch.End();
        const bool user = !lock.user || run.users.count(*lock.user) > 0;
        if (document && user) continue;
        std::string why = document ? "" : "document " + std::to_string(lock.document) + " does not exist";
        if (!user) why += (why.empty() ? "user " : " and user ") + std::to_string(*lock.user) + " does not exist";
        run.report.Add({FindingKind::LockOfMissing,
                        {lock.id, lock.document, lock.user.value_or(0)},
                        {},
                        {},
                        "lock " + std::to_string(lock.id) + ": " + why});
    }
}

void CheckActiveList(CheckRun& run)
{
    const std::time_t now = std::time(nullptr);
    const std::string oldest = FormatIsoDate(now - static_cast<std::time_t>(run.options.staleDays) * 24 * 60 * 60);
    ReadInPages(run.ctrl, "SELECT id, uid, `log-date` FROM `active-list` WHERE id > ?1 ORDER BY id LIMIT ?2", "id",
                [&](const ResultSet& row) {
                    const std::int64_t id = row["id"].Int(), uid = row["uid"].Int();
                    const std::string login = "login " + std::to_string(id) + " of user " + std::to_string(uid);
                    const auto user = run.users.find(uid);
                    if (user == run.users.end())
                        return run.report.Add({FindingKind::LoginOfMissingUser, {id, uid}, {}, {}, login});
                    // A login without a time has no age to trust.
                    const std::string when = row["log-date"].Text();
                    if (!when.empty() && when >= oldest) return;
                    run.report.Add({FindingKind::StaleLogin,
                                    {id, uid},
                                    {user->second.name},
                                    {},
                                    login + " '" + user->second.name + "', " +
                                        (when.empty() ? "no login time" : "since " + when)});
                });
}

} // namespace

void CheckControl(CheckRun& run)
{
    run.Progress("Checking locks and logins", 0, 0);
    CheckLocks(run);
    CheckActiveList(run);
}
