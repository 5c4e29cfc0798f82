// Users and groups: memberships and rights of holders that no longer exist,
// users without a login name, the administrator's rows, and library
// records 2 to 4.
#include "core/library/CheckRun.h"
#include "core/users/GroupMaintenance.h"

namespace {

constexpr std::int64_t kAdminGroupId = GroupMaintenance::kAdminGroupId;

const char* const kRecordNames[] = {"", "", "the version", "the description", "the creation date"};

bool Exists(const CheckRun& run, std::int64_t id) { return run.users.count(id) > 0; }

std::string Holder(const CheckRun& run, std::int64_t id, const char* what)
{
    return Exists(run, id) ? std::string() : std::string(what) + " " + std::to_string(id) + " does not exist";
}

void ReadUsers(CheckRun& run)
{
    ReadInPages(run.lib,
                "SELECT `user-id` AS id, `user-name`, `login-id`, `type` FROM `user-list` "
                "WHERE `user-id` > ?1 ORDER BY `user-id` LIMIT ?2",
                "id", [&](const ResultSet& row) {
                    run.users[row["id"].Int()] = {row["user-name"].Text(), row["login-id"].Text(), row["type"].Text()};
                });
}

void CheckMemberships(CheckRun& run)
{
    ReadInPages(run.lib, "SELECT rowid AS rid, gid, uid FROM `user-group` WHERE rowid > ?1 ORDER BY rowid LIMIT ?2",
                "rid", [&](const ResultSet& row) {
                    const std::int64_t gid = row["gid"].Int(), uid = row["uid"].Int();
                    std::string why = Holder(run, gid, "group");
                    const std::string user = Holder(run, uid, "user");
                    if (!user.empty()) why += (why.empty() ? "" : " and ") + user;
                    if (why.empty()) return;
                    run.report.Add({FindingKind::MembershipOfMissing,
                                    {gid, uid},
                                    {},
                                    {},
                                    "group " + std::to_string(gid) + ", member " + std::to_string(uid) + ": " + why});
                });
}

void CheckRights(CheckRun& run)
{
    ReadInPages(run.lib, "SELECT id, uid FROM `level-access` WHERE id > ?1 ORDER BY id LIMIT ?2", "id",
                [&](const ResultSet& row) {
                    const std::int64_t id = row["id"].Int(), uid = row["uid"].Int();
                    if (Exists(run, uid)) return;
                    run.report.Add(
                        {FindingKind::RightOfMissing,
                         {id, uid},
                         {},
                         {},
                         "right " + std::to_string(id) + ": user or group " + std::to_string(uid) + " does not exist"});
                });
}

void CheckLoginNames(CheckRun& run)
{
    for (const auto& [id, user] : run.users) {
        if (user.type != "U" || user.login.find_first_not_of(' ') != std::string::npos) continue;
        run.report.Add({FindingKind::UserWithoutLogin,
                        {id},
                        {user.name},
                        {},
                        "user " + std::to_string(id) + " '" + user.name + "'"});
    }
}

// The rows the console's login and group rules stand on.
void CheckAdministrator(CheckRun& run)
{
    bool account = false;
    for (const auto& [id, user] : run.users) account = account || (user.login == "admin" && user.type == "U");
    if (!account)
        run.report.Add({FindingKind::AdministratorMissing,
                        {},
                        {"admin"},
                        {},
                        "the administrator account (login 'admin', a user)"});
    const auto group = run.users.find(kAdminGroupId);
    if (group == run.users.end() || group->second.type != "G")
        run.report.Add({FindingKind::AdministratorMissing,
                        {kAdminGroupId},
                        {},
                        {},
                        "the administrators' group (" + std::to_string(kAdminGroupId) + ", a group)"});
}

void CheckRecords(CheckRun& run)
{
    for (std::int64_t record = 2; record <= 4; ++record) {
        const ResultSet rs = run.lib.Query(
            "SELECT count(*) AS n FROM `lib-ctrl` WHERE `rec-id` = ? AND `filecount` = ?", {record, record});
        if (rs["n"].Int() > 0) continue;
        run.report.Add({FindingKind::LibraryRecordMissing,
                        {record},
                        {},
                        {},
                        "record " + std::to_string(record) + " (" + kRecordNames[record] + ")"});
    }
}

} // namespace

void CheckUsers(CheckRun& run)
{
    run.Progress("Checking users and groups", 0, 0);
    ReadUsers(run);
    CheckMemberships(run);
    CheckRights(run);
    CheckLoginNames(run);
    CheckAdministrator(run);
    CheckRecords(run);
}
