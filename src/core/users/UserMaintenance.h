#pragma once
// The rules of the user maintenance: the users of the library (`user-list`
// rows of type 'U'), their detail, their passwords and their deletion. Every
// check, question and confirmation is shown through the prompter; a query
// that failed throws AppError, for the calling handler's trap.
#include "core/base/Prompter.h"
#include "core/users/UserData.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class AppContext;

namespace UserMsg {
inline constexpr const char* kNameNotEntered = "User Name not entered!";
inline constexpr const char* kLoginNotEntered = "User Login ID not entered !";
inline constexpr const char* kNameEmpty = "User Name cannot be empty !";
inline constexpr const char* kLoginEmpty = "Login ID cannot be empty !";
inline constexpr const char* kLoginExists = "User ID already exists, please use another one !";
inline constexpr const char* kReservedName = "Administrator is a reserved user name, cannot be used again !";
inline constexpr const char* kCreated = "New User created successfully !";
inline constexpr const char* kUpdated = "User detail updated successfully !";
inline constexpr const char* kNewPasswordEmpty = "New password cannot be empty !";
inline constexpr const char* kNewPasswordTooLong = "New password cannot be longer than 15 characters !";
inline constexpr const char* kPasswordSame = "Old and New password cannot be the same !";
inline constexpr const char* kVerifyMismatch = "Verify password does not macth with the New password !";
inline constexpr const char* kPasswordFailed = "Failed to change password !";
inline constexpr const char* kPasswordChanged = "Password changed successfully !";
inline constexpr const char* kConfirmClear = "Are you sure you want to clear the password for this user ?";
inline constexpr const char* kPasswordCleared = "Password cleared !";
inline constexpr const char* kConfirmDelete = "Are you sure you want to delete this user ?";
inline constexpr const char* kCannotDeleteAdmin = "Cannot delete Admin user account !";
inline constexpr const char* kStillMember = "This user is still a member of some user group(s), continue to delete ?";
inline constexpr const char* kStillPermitted =
    "This user still has access permission in the document library, continue to delete ?";
inline constexpr const char* kDeleted = "User has been deleted !";
inline constexpr const char* kNotDeleted = "User has not been deleted !";
// The longest new password: what the password boxes hold, so a stored
// password can always be typed again; scrambled, at most twice as long.
inline constexpr std::size_t kMaxPasswordLength = 15;
// What the Old password box shows while a password is stored.
inline constexpr const char* kPasswordMask = "**********";
inline constexpr const char* kNewUserEntry = "{New User}";
} // namespace UserMsg

struct UserDetail {
    std::string loginId;
    std::string userName;
    bool hasPassword = false;
};

class UserMaintenance {
public:
    explicit UserMaintenance(AppContext& app) : app_(app) {}

    // Every user, ordered by name.
    std::vector<ListEntry> Users();
    std::optional<UserDetail> Detail(const std::string& sUserID);
    // The user whose login id this is, ignoring case as the duplicate check does.
    std::optional<ListEntry> FindByLogin(const std::string& sLoginID);

    // The administrator's entry: id 1 or the name "Administrator" in any case.
    static bool IsAdministrator(const std::string& sUserID, const std::string& sEntryText);

    // The focus may leave a detail box only when it holds text; warns when not.
    bool MayLeaveBox(bool bLoginBox, const std::string& sText);
    // Both texts as typed are non-empty; warns when not.
    bool ValidateDetail(const std::string& sUserName, const std::string& sLoginID);
    // Stores a new user exactly as typed; its user-id, or none when refused
    // or not stored.
    std::optional<std::int64_t> CreateUser(const std::string& sUserName, const std::string& sLoginID);
    void ConfirmCreated();
    bool UpdateUser(const std::string& sUserID, const std::string& sUserName, const std::string& sLoginID);

    // The three texts as typed; they are trimmed here.
    bool ChangePassword(const std::string& sUserID, const std::string& sOld, const std::string& sNew,
                        const std::string& sVerify);
    bool ClearPassword(const std::string& sUserID);

    // Asks, refuses the administrator, and deletes the user with its
    // memberships and permissions, all or nothing.
    bool DeleteUser(const std::string& sUserID, const std::string& sUserName, const std::string& sLoginID);

private:
    bool LoginTaken(const std::string& sLoginID, const std::string& sExceptUserID);
    bool Ask(const char* text);
    void Tell(const char* text, MsgIcon icon);

    AppContext& app_;
};
