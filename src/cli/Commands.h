#pragma once
// The commands of rezud; each returns its exit code. The options each takes
// are filled by the argument parser (Rezud.cpp).
#include "core/offsite/OffsiteConfig.h"

#include <optional>
#include <string>

class CliSession;
struct CheckOptions;

int RunStatus(CliSession& s);
int RunSelect(CliSession& s, const std::string& library, const std::optional<std::string>& backup);
int RunCreate(CliSession& s, const std::string& dir, const std::optional<std::string>& description,
              const std::string& adminPasswordFile);
int RunDescribe(CliSession& s, const std::optional<std::string>& text);
int RunStats(CliSession& s);
struct BackupArgs {
    std::string to; // the configured backup path when empty
    bool createPath = false;
    bool stats = false; // the statistics walk first, printed
};
int RunBackup(CliSession& s, const BackupArgs& a);
int RunCompact(CliSession& s);
int RunResetLocks(CliSession& s);

struct UserArgs {
    std::string login;
    std::string name;
    std::string newLogin;
    std::string oldPasswordFile;
    std::string newPasswordFile;
    bool clear = false;
};
int RunUsersList(CliSession& s);
int RunUsersAdd(CliSession& s, const UserArgs& a);
int RunUsersRename(CliSession& s, const UserArgs& a);
int RunUsersDelete(CliSession& s, const UserArgs& a);
int RunUsersPasswd(CliSession& s, const UserArgs& a);

struct GroupArgs {
    std::string group;
    std::string newName;
    std::string login;
};
int RunGroupsList(CliSession& s);
int RunGroupsAdd(CliSession& s, const GroupArgs& a);
int RunGroupsRename(CliSession& s, const GroupArgs& a);
int RunGroupsDelete(CliSession& s, const GroupArgs& a);
int RunGroupsMembers(CliSession& s, const GroupArgs& a);
int RunGroupsAddMember(CliSession& s, const GroupArgs& a);
int RunGroupsRemoveMember(CliSession& s, const GroupArgs& a);

int RunSessionsList(CliSession& s);
int RunSessionsRemove(CliSession& s, const std::string& login);

int RunCheck(CliSession& s, const CheckOptions& options);
struct RestoreArgs {
    std::string backup, dir;
    bool select = false;
    std::string snapshot; // --from-offsite: a snapshot id or "latest"; no BACKUP then
    OffsiteOptions offsite;
};
int RunRestore(CliSession& s, const RestoreArgs& a);

struct VerifyArgs {
    std::string backup; // the configured backup path when empty
    bool readData = false;
    std::string readDataSubset; // "N%"
};
int RunVerify(CliSession& s, const VerifyArgs& a);

struct NightlyArgs {
    std::string to;                     // the configured backup path when empty
    std::string readDataSubset = "5%";  // the share the verify re-reads
    std::string repo, repoPasswordFile; // the offsite repository, when not configured
    std::string restic;                 // the restic program, when not on PATH
};
int RunNightly(CliSession& s, const NightlyArgs& a);

int RunSettings(CliSession& s, const std::optional<std::string>& mode, const std::optional<std::string>& compatible);
