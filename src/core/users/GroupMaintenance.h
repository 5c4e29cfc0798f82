#pragma once
// The rules of the user group maintenance: the groups of the library
// (`user-list` rows of type 'G'), their members (`user-group`), new names,
// renames and deletion. Questions and refusals go through the prompter; a
// query that failed throws AppError, for the calling handler's trap.
#include "core/users/UserData.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class AppContext;

namespace GroupMsg {
inline constexpr const char* kNewPrompt = "Type in new user group";
inline constexpr const char* kRenamePrompt = "Rename user group to";
inline constexpr const char* kNameExists = "Name already exists! ";
inline constexpr const char* kNotDeleted = "User group has not been deleted !";
} // namespace GroupMsg

class GroupMaintenance {
public:
    explicit GroupMaintenance(AppContext& app) : app_(app) {}

    // Every group, ordered by name.
    std::vector<ListEntry> Groups();
    // The group of that name, ignoring case as the duplicate check does.
    std::optional<ListEntry> FindByName(const std::string& sName);
    // Users outside and inside the group, ordered by name.
    std::vector<ListEntry> NonMembers(const std::string& sGroupID);
    std::vector<ListEntry> Members(const std::string& sGroupID);

    // The administrators' group made with every library.
    static constexpr std::int64_t kAdminGroupId = 2;
    // The administrators' group: id 2 or the name "Admin Group" in any case.
    static bool IsProtected(std::int64_t groupId, const std::string& sGroupText);
    // The administrator stays in the administrators' group.
    static bool CanRemove(const std::string& sMemberText, const std::string& sGroupText);

    bool AddMember(const std::string& sGroupID, std::int64_t userId);
    bool RemoveMember(const std::string& sGroupID, std::int64_t userId);

    // The name as the text input gave it; false when refused or not stored.
    bool CreateGroup(const std::string& sName);
    bool RenameGroup(const std::string& sGroupID, const std::string& sName);
    // Asks, then deletes the group with its memberships and permissions,
    // all or nothing.
    bool DeleteGroup(const std::string& sGroupID, const std::string& sGroupText);

private:
    std::vector<ListEntry> UsersWhere(const char* membership, const std::string& sGroupID);
    // Group names compare ignoring case, as the library's database always did.
    bool NameTaken(const std::string& sName);
    bool Ask(const std::string& text);

    AppContext& app_;
};
