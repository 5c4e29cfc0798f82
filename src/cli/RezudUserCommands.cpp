// The users, groups and sessions commands of rezud and their options.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "cli/RezudCommands.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace {

using Runner = std::function<int(CliSession&)>;

template <typename Args>
void Sub(CLI::App& parent, RezudCommand& chosen, const std::string& name, const std::string& help,
         const std::shared_ptr<Args>& args, int (*run)(CliSession&, const Args&),
         const std::function<void(CLI::App&, Args&)>& options = {})
{
    CLI::App* sub = parent.add_subcommand(name, help);
    if (options) options(*sub, *args);
    const std::string full = parent.get_name() + " " + name;
    sub->callback([&chosen, full, args, run] {
        chosen = {full, [args, run](CliSession& s) { return run(s, *args); }};
    });
}

void List(CLI::App& parent, RezudCommand& chosen, const std::string& help, int (*run)(CliSession&))
{
    CLI::App* sub = parent.add_subcommand("list", help);
    const std::string full = parent.get_name() + " list";
    sub->callback([&chosen, full, run] { chosen = {full, Runner(run)}; });
}

void AddUsers(CLI::App& cli, RezudCommand& chosen)
{
    CLI::App* users = cli.add_subcommand("users", "User maintenance");
    users->require_subcommand(1);
    auto a = std::make_shared<UserArgs>();
    List(*users, chosen, "Every user: login id and name", RunUsersList);
    Sub<UserArgs>(*users, chosen, "add", "Add the user NAME with the login id LOGIN", a, RunUsersAdd,
                  [](CLI::App& c, UserArgs& v) {
                      c.add_option("NAME", v.name, "The user's name")->required();
                      c.add_option("LOGIN", v.login, "The login id")->required();
                  });
    Sub<UserArgs>(*users, chosen, "rename", "Change the name or the login id of the user LOGIN", a, RunUsersRename,
                  [](CLI::App& c, UserArgs& v) {
                      c.add_option("LOGIN", v.login, "The user's login id")->required();
                      c.add_option("--name", v.name, "The new name");
                      c.add_option("--login", v.newLogin, "The new login id");
                  });
    Sub<UserArgs>(*users, chosen, "delete", "Delete the user LOGIN", a, RunUsersDelete,
                  [](CLI::App& c, UserArgs& v) { c.add_option("LOGIN", v.login, "The user's login id")->required(); });
    Sub<UserArgs>(*users, chosen, "passwd", "Change or clear the password of the user LOGIN", a, RunUsersPasswd,
                  [](CLI::App& c, UserArgs& v) {
                      c.add_option("LOGIN", v.login, "The user's login id")->required();
                      c.add_option("--old-password-file", v.oldPasswordFile, "The current password, first line");
                      c.add_option("--new-password-file", v.newPasswordFile, "The new password, first line");
                      c.add_flag("--clear", v.clear, "Clear the password");
                  });
}

void AddGroups(CLI::App& cli, RezudCommand& chosen)
{
    CLI::App* groups = cli.add_subcommand("groups", "User group maintenance");
    groups->require_subcommand(1);
    auto a = std::make_shared<GroupArgs>();
    const auto group = [](CLI::App& c, GroupArgs& v) {
        c.add_option("GROUP", v.group, "The group's name")->required();
    };
    const auto member = [](CLI::App& c, GroupArgs& v) {
        c.add_option("GROUP", v.group, "The group's name")->required();
        c.add_option("LOGIN", v.login, "The user's login id")->required();
    };
    List(*groups, chosen, "Every user group", RunGroupsList);
    Sub<GroupArgs>(*groups, chosen, "add", "Add the user group GROUP", a, RunGroupsAdd, group);
    Sub<GroupArgs>(*groups, chosen, "rename", "Rename the user group GROUP to NAME", a, RunGroupsRename,
                   [](CLI::App& c, GroupArgs& v) {
                       c.add_option("GROUP", v.group, "The group's name")->required();
                       c.add_option("NAME", v.newName, "The new name")->required();
                   });
    Sub<GroupArgs>(*groups, chosen, "delete", "Delete the user group GROUP", a, RunGroupsDelete, group);
    Sub<GroupArgs>(*groups, chosen, "members", "The members of the user group GROUP", a, RunGroupsMembers, group);
    Sub<GroupArgs>(*groups, chosen, "add-member", "Make the user LOGIN a member of GROUP", a, RunGroupsAddMember,
                   member);
    Sub<GroupArgs>(*groups, chosen, "remove-member", "Take the user LOGIN out of GROUP", a, RunGroupsRemoveMember,
                   member);
}

void AddSessions(CLI::App& cli, RezudCommand& chosen)
{
    CLI::App* sessions = cli.add_subcommand("sessions", "The list of logged-in users");
    sessions->require_subcommand(1);
    List(*sessions, chosen, "The users on the login list and their login times", RunSessionsList);
    auto login = std::make_shared<std::string>();
    CLI::App* remove = sessions->add_subcommand("remove", "Take the user LOGIN off the login list");
    remove->add_option("LOGIN", *login, "The user's login id")->required();
    remove->callback([&chosen, login] {
        chosen = {"sessions remove", [login](CliSession& s) { return RunSessionsRemove(s, *login); }};
    });
}

} // namespace

void AddUserCommands(CLI::App& cli, RezudCommand& chosen)
{
    AddUsers(cli, chosen);
    AddGroups(cli, chosen);
    AddSessions(cli, chosen);
}
