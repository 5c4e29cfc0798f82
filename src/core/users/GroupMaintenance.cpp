#include "core/users/GroupMaintenance.h"

#include "core/app/AppContext.h"
#include "core/common/Text.h"

std::vector<ListEntry> GroupMaintenance::Groups()
{
    ResultSet rs = Required(app_.db.QueryExe(
        std::string("SELECT `user-id`, `user-name`, type FROM `user-list` WHERE type='G' ") + kOrderByName, "R"));
    return ReadEntries(rs);
}

std::optional<ListEntry> GroupMaintenance::FindByName(const std::string& sName)
{
    ResultSet rs = Required(app_.db.QueryExe(
        "SELECT `user-id`, `user-name` FROM `user-list` WHERE type='G' AND `user-name` = ? COLLATE NOCASE", "R",
        {sName}));
    const std::vector<ListEntry> found = ReadEntries(rs);
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::vector<ListEntry> GroupMaintenance::UsersWhere(const char* membership, const std::string& sGroupID)
{
    const std::string sql = std::string(" SELECT * FROM `user-list` WHERE type='U' AND  `user-id` ") + membership +
                            " (SELECT uid FROM `user-group` WHERE gid = ? ) " + kOrderByName;
    ResultSet rs = Required(app_.db.QueryExe(sql, "R", {IdParam(sGroupID)}));
    return ReadEntries(rs);
}

std::vector<ListEntry> GroupMaintenance::NonMembers(const std::string& sGroupID)
{
    return UsersWhere("NOT IN", sGroupID);
}

std::vector<ListEntry> GroupMaintenance::Members(const std::string& sGroupID) { return UsersWhere("IN", sGroupID); }

bool GroupMaintenance::IsProtected(std::int64_t groupId, const std::string& sGroupText)
{
    return groupId == kAdminGroupId || EqualsNoCase(sGroupText, "ADMIN GROUP");
}

bool GroupMaintenance::CanRemove(const std::string& sMemberText, const std::string& sGroupText)
{
    return !(EqualsNoCase(sMemberText, "ADMINISTRATOR") && EqualsNoCase(sGroupText, "ADMIN GROUP"));
}

bool GroupMaintenance::AddMember(const std::string& sGroupID, std::int64_t userId)
{
    return app_.db.TableExe(" INSERT INTO `user-group` (gid, uid) VALUES ( ?, ?  ) ", {IdParam(sGroupID), userId});
}

bool GroupMaintenance::RemoveMember(const std::string& sGroupID, std::int64_t userId)
{
    return app_.db.TableExe("DELETE FROM `user-group` WHERE gid = ?  AND uid = ?", {IdParam(sGroupID), userId});
}

bool GroupMaintenance::Ask(const std::string& text)
{
    return app_.prompter.MsgBox(text, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

bool GroupMaintenance::NameTaken(const std::string& sName)
{
    return !Required(app_.db.QueryExe("SELECT * FROM `user-list` WHERE `user-name` = ? COLLATE NOCASE AND type = 'G' ",
                                      "R", {sName}))
                .Eof();
}

bool GroupMaintenance::CreateGroup(const std::string& sName)
{
    if (NameTaken(sName)) {
        app_.prompter.MsgBox(GroupMsg::kNameExists, MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    return app_.db.TableExe(" INSERT INTO `user-list` (`user-name`, type) VALUES ( ?, 'G' ) ", {sName});
}

bool GroupMaintenance::RenameGroup(const std::string& sGroupID, const std::string& sName)
{
    if (NameTaken(sName)) {
        app_.prompter.MsgBox(GroupMsg::kNameExists, MsgButtons::Ok, MsgIcon::None);
        return false;
    }
    return app_.db.TableExe("UPDATE `user-list` SET  `user-name` = ?  WHERE `user-id` = ?", {sName, IdParam(sGroupID)});
}

bool GroupMaintenance::DeleteGroup(const std::string& sGroupID, const std::string& sGroupText)
{
    if (sGroupID.empty()) return false;
    if (!Ask("Delete this user group " + sGroupText + " now ? ")) return false;
    const SqlParams id{IdParam(sGroupID)};
    const std::size_t members =
        Required(app_.db.QueryExe("SELECT uid FROM `user-group` WHERE `gid` = ?", "R", id)).RecordCount();
    if (members > 0 && !Ask("There are " + std::to_string(members) + " member(s) in this group, continue to delete ? "))
        return false;
    if (!Required(app_.db.QueryExe("SELECT * FROM `level-access` WHERE uid = ? AND type='G'", "R", id)).Eof() &&
        !Ask("This user group still has access permission in the document library, continue to delete ?"))
        return false;
    if (!RunAllOrNothing(app_.db, {{"DELETE FROM `user-group` WHERE `gid` = ?", id},
                                   {"DELETE FROM `user-list` WHERE `user-id` = ?", id},
                                   {"DELETE FROM `level-access` WHERE `uid`= ?", id}})) {
        app_.prompter.MsgBox(GroupMsg::kNotDeleted, MsgButtons::Ok, MsgIcon::Critical);
        return false;
    }
    return true;
}
