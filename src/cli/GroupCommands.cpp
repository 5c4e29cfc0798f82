// rezud groups: the user group maintenance, one change per command.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/common/Text.h"
#include "core/users/GroupMaintenance.h"
#include "core/users/UserMaintenance.h"

namespace {

std::optional<ListEntry> FindGroup(CliSession& s, GroupMaintenance& groups, const std::string& name)
{
    std::optional<ListEntry> group = groups.FindByName(Trim(name));
    if (!group) s.Prompter().Tell("There is no user group named " + name + " !", MsgIcon::Critical);
    return group;
}

// The administrators' group keeps its name and stays; the console offers neither.
bool Changeable(CliSession& s, const ListEntry& group)
{
    if (!GroupMaintenance::IsProtected(group.id, group.text)) return true;
    s.Prompter().Tell("The user group " + group.text + " cannot be renamed or deleted !", MsgIcon::Critical);
    return false;
}

std::optional<ListEntry> FindUser(CliSession& s, const std::string& login)
{
    std::optional<ListEntry> user = UserMaintenance(s.App()).FindByLogin(login);
    if (!user) s.Prompter().Tell("There is no user with the login id " + login + " !", MsgIcon::Critical);
    return user;
}

nlohmann::json Listed(CliSession& s, const std::vector<ListEntry>& entries)
{
    nlohmann::json list = nlohmann::json::array();
    for (const ListEntry& e : entries) {
        list.push_back({{"id", e.id}, {"name", e.text}});
        s.Prompter().Say(e.text);
    }
    return list;
}

int Done(bool ok, const CliSession& s) { return ok ? Exit::kDone : s.Outcome(Exit::kFailed); }

} // namespace

int RunGroupsList(CliSession& s)
{
    if (auto refused = s.Open(Commands::kGroups)) return *refused;
    s.Result()["groups"] = Listed(s, GroupMaintenance(s.App()).Groups());
    return Exit::kDone;
}

int RunGroupsAdd(CliSession& s, const GroupArgs& a)
{
    if (auto refused = s.Open(Commands::kGroups)) return *refused;
    const std::string name = Trim(a.group);
    if (name.empty()) return Exit::kFailed;
    return Done(GroupMaintenance(s.App()).CreateGroup(name), s);
}

int RunGroupsRename(CliSession& s, const GroupArgs& a)
{
    if (auto refused = s.Open(Commands::kGroups)) return *refused;
    GroupMaintenance groups(s.App());
    const std::optional<ListEntry> group = FindGroup(s, groups, a.group);
    if (!group || !Changeable(s, *group)) return Exit::kFailed;
    const std::string name = Trim(a.newName);
    if (name.empty()) return Exit::kFailed;
    return Done(groups.RenameGroup(std::to_string(group->id), name), s);
}

int RunGroupsDelete(CliSession& s, const GroupArgs& a)
{
    if (auto refused = s.Open(Commands::kGroups, true)) return *refused;
    GroupMaintenance groups(s.App());
    const std::optional<ListEntry> group = FindGroup(s, groups, a.group);
    if (!group || !Changeable(s, *group)) return Exit::kFailed;
    return Done(groups.DeleteGroup(std::to_string(group->id), group->text), s);
}

int RunGroupsMembers(CliSession& s, const GroupArgs& a)
{
    if (auto refused = s.Open(Commands::kGroups)) return *refused;
    GroupMaintenance groups(s.App());
    const std::optional<ListEntry> group = FindGroup(s, groups, a.group);
    if (!group) return Exit::kFailed;
    s.Result()["members"] = Listed(s, groups.Members(std::to_string(group->id)));
    return Exit::kDone;
}

namespace {

// The group and the user a membership command names; none when either is unknown.
std::optional<std::pair<ListEntry, ListEntry>> Membership(CliSession& s, GroupMaintenance& groups, const GroupArgs& a)
{
    const std::optional<ListEntry> group = FindGroup(s, groups, a.group);
    const std::optional<ListEntry> user = group ? FindUser(s, a.login) : std::nullopt;
    if (!user) return std::nullopt;
    return std::make_pair(*group, *user);
}

} // namespace

int RunGroupsAddMember(CliSession& s, const GroupArgs& a)
{
    if (auto refused = s.Open(Commands::kGroups)) return *refused;
    GroupMaintenance groups(s.App());
    const auto found = Membership(s, groups, a);
    if (!found) return Exit::kFailed;
    const auto& [group, user] = *found;
    const std::string gid = std::to_string(group.id);
    for (const ListEntry& member : groups.Members(gid))
        if (member.id == user.id) return Exit::kDone;
    return Done(groups.AddMember(gid, user.id), s);
}

int RunGroupsRemoveMember(CliSession& s, const GroupArgs& a)
{
    if (auto refused = s.Open(Commands::kGroups)) return *refused;
    GroupMaintenance groups(s.App());
    const auto found = Membership(s, groups, a);
    if (!found) return Exit::kFailed;
    const auto& [group, user] = *found;
    if (!GroupMaintenance::CanRemove(user.text, group.text)) {
        s.Prompter().Tell("The Administrator stays a member of the Admin Group !", MsgIcon::Critical);
        return Exit::kFailed;
    }
    return Done(groups.RemoveMember(std::to_string(group.id), user.id), s);
}
