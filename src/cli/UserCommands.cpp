// rezud users: the user maintenance, one change per command.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/common/Text.h"
#include "core/users/UserMaintenance.h"

namespace {

std::optional<ListEntry> FindUser(CliSession& s, UserMaintenance& users, const std::string& login)
{
    std::optional<ListEntry> user = users.FindByLogin(login);
    if (!user) s.Prompter().Tell("There is no user with the login id " + login + " !", MsgIcon::Critical);
    return user;
}

// A password from the first line of a file, or typed without echo at a terminal.
std::optional<std::string> ReadSecret(CliSession& s, const std::string& file, const std::string& prompt)
{
    if (!file.empty()) {
        std::optional<std::string> password = ReadPasswordFile(file);
        if (!password) s.Prompter().Tell("The password file cannot be read: " + file, MsgIcon::Critical);
        return password;
    }
    if (s.Io().inTerminal && s.Io().readSecret) return s.Io().readSecret(prompt);
    s.Prompter().Tell("No terminal to type the password: give it in a file.", MsgIcon::Critical);
    return std::nullopt;
}

int Done(bool ok, const CliSession& s) { return ok ? Exit::kDone : s.Outcome(Exit::kFailed); }

} // namespace

int RunUsersList(CliSession& s)
{
    if (auto refused = s.Open(Commands::kUsers)) return *refused;
    UserMaintenance users(s.App());
    nlohmann::json list = nlohmann::json::array();
    for (const ListEntry& entry : users.Users()) {
        const std::optional<UserDetail> detail = users.Detail(std::to_string(entry.id));
        if (!detail) continue;
        list.push_back({{"id", entry.id},
                        {"name", detail->userName},
                        {"login", detail->loginId},
                        {"password", detail->hasPassword}});
        s.Prompter().Say(detail->loginId + "\t" + detail->userName + (detail->hasPassword ? "" : "\t(no password)"));
    }
    s.Result()["users"] = std::move(list);
    return Exit::kDone;
}

int RunUsersAdd(CliSession& s, const UserArgs& a)
{
    if (auto refused = s.Open(Commands::kUsers)) return *refused;
    UserMaintenance users(s.App());
    if (!users.ValidateDetail(a.name, a.login)) return Exit::kFailed;
    const std::optional<std::int64_t> id = users.CreateUser(a.name, a.login);
    if (!id) return Exit::kFailed;
    users.ConfirmCreated();
    s.Result()["id"] = *id;
    return Exit::kDone;
}

int RunUsersRename(CliSession& s, const UserArgs& a)
{
    if (auto refused = s.Open(Commands::kUsers)) return *refused;
    UserMaintenance users(s.App());
    const std::optional<ListEntry> user = FindUser(s, users, a.login);
    if (!user) return Exit::kFailed;
    const std::string id = std::to_string(user->id);
    const std::optional<UserDetail> detail = users.Detail(id);
    if (!detail) return Exit::kFailed;
    const std::string name = a.name.empty() ? detail->userName : a.name;
    const std::string login = a.newLogin.empty() ? detail->loginId : a.newLogin;
    if (!users.ValidateDetail(name, login)) return Exit::kFailed;
    return Done(users.UpdateUser(id, name, login), s);
}

int RunUsersDelete(CliSession& s, const UserArgs& a)
{
    if (auto refused = s.Open(Commands::kUsers, true)) return *refused;
    UserMaintenance users(s.App());
    const std::optional<ListEntry> user = FindUser(s, users, a.login);
    if (!user) return Exit::kFailed;
    const std::optional<UserDetail> detail = users.Detail(std::to_string(user->id));
    if (!detail) return Exit::kFailed;
    return Done(users.DeleteUser(std::to_string(user->id), detail->userName, detail->loginId), s);
}

int RunUsersPasswd(CliSession& s, const UserArgs& a)
{
    if (auto refused = s.Open(Commands::kUsers, a.clear)) return *refused;
    UserMaintenance users(s.App());
    const std::optional<ListEntry> user = FindUser(s, users, a.login);
    if (!user) return Exit::kFailed;
    const std::string id = std::to_string(user->id);
    if (a.clear) return Done(users.ClearPassword(id), s);
    const std::optional<UserDetail> detail = users.Detail(id);
    if (!detail) return Exit::kFailed;
    std::string oldPassword;
    if (detail->hasPassword) {
        const std::optional<std::string> typed = ReadSecret(s, a.oldPasswordFile, "Old password: ");
        if (!typed) return Exit::kFailed;
        oldPassword = *typed;
    }
    const std::optional<std::string> newPassword = ReadSecret(s, a.newPasswordFile, "New password: ");
    if (!newPassword) return Exit::kFailed;
    // A file is read once; at a terminal the new password is typed twice.
    const std::optional<std::string> verify =
        a.newPasswordFile.empty() ? ReadSecret(s, "", "Verify password: ") : newPassword;
    if (!verify) return Exit::kFailed;
    return Done(users.ChangePassword(id, oldPassword, *newPassword, *verify), s);
}
