// rezud sessions, settings and status: the login list and the settings file.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/app/MiscSettingValues.h"
#include "core/backup/LastBackup.h"
#include "core/library/LibSelection.h"
#include "core/library/Library.h"
#include "core/offsite/LastOffsite.h"
#include "core/users/ActiveList.h"
#include "core/users/UserMaintenance.h"

#include <algorithm>
#include <ctime>

int RunSessionsList(CliSession& s)
{
    if (auto refused = s.Open(Commands::kResetUser)) return *refused;
    nlohmann::json list = nlohmann::json::array();
    for (const ActiveUserLine& line : ReadActiveUsers(s.App())) {
        list.push_back({{"id", line.userId}, {"text", line.text}});
        s.Prompter().Say(line.text);
    }
    s.Result()["sessions"] = std::move(list);
    return Exit::kDone;
}

int RunSessionsRemove(CliSession& s, const std::string& login)
{
    if (auto refused = s.Open(Commands::kResetUser, true)) return *refused;
    const std::optional<ListEntry> user = UserMaintenance(s.App()).FindByLogin(login);
    if (!user) {
        s.Prompter().Tell("There is no user with the login id " + login + " !", MsgIcon::Critical);
        return Exit::kFailed;
    }
    const std::vector<ActiveUserLine> lines = ReadActiveUsers(s.App());
    if (std::none_of(lines.begin(), lines.end(), [&](const ActiveUserLine& l) { return l.userId == user->id; })) {
        s.Prompter().Tell("The user " + user->text + " is not on the login list.", MsgIcon::Exclamation);
        return Exit::kWarnings;
    }
    return ResetActiveUser(s.App(), user->id) ? Exit::kDone : s.Outcome(Exit::kFailed);
}

namespace {

const char* CompatibleText(int value) { return value == 0 ? "off" : value == 1 ? "on" : "undecided"; }

void ShowSettings(CliSession& s, const MiscSettingValues& v)
{
    s.Result()["mode"] = v.network ? "network" : "single";
    s.Result()["compatible"] = CompatibleText(v.compatible);
    s.Prompter().Say(std::string("Operation mode: ") + (v.network ? "network" : "single"));
    s.Prompter().Say(std::string("V1.xx data compatible: ") + CompatibleText(v.compatible));
}

} // namespace

int RunSettings(CliSession& s, const std::optional<std::string>& mode, const std::optional<std::string>& compatible)
{
    if (auto refused = s.Open(Commands::kMiscSetting)) return *refused;
    const std::string ini = s.App().state.IniPath();
    MiscSettingValues values = ReadMiscSettings(ini);
    if (mode) values.network = *mode == "network";
    if (compatible) values.compatible = *compatible == "on" ? 1 : 0;
    if ((mode || compatible) && !WriteMiscSettings(ini, values)) {
        s.Prompter().Tell(SettingsNotSavedText(ini), MsgIcon::Critical);
        return Exit::kFailed;
    }
    ShowSettings(s, ReadMiscSettings(ini));
    return Exit::kDone;
}

namespace {

void ShowLastOffsite(CliSession& s, const std::string& backupPath)
{
    const LastOffsite last = LastOffsiteOf(backupPath, std::time(nullptr));
    s.Result()["lastOffsite"] = last.push ? nlohmann::json{{"date", last.date},
                                                           {"backupDate", last.push->recordDate},
                                                           {"snapshot", last.push->snapshot},
                                                           {"ageDays", last.days}}
                                          : nlohmann::json(nullptr);
    s.Prompter().Say(LastOffsiteLine(last));
    const std::optional<std::string> warning = LastOffsiteWarning(last);
    s.Result()["lastOffsiteWarning"] = warning ? nlohmann::json(*warning) : nlohmann::json(nullptr);
    if (warning) s.Prompter().Say(*warning);
}

void ShowLastBackup(CliSession& s, const std::string& backupPath, const std::string& library)
{
    const LastBackup last = LastBackupOf(backupPath, library, std::time(nullptr));
    s.Result()["lastBackup"] =
        last.when ? nlohmann::json{{"date", last.date}, {"ageDays", last.days}} : nlohmann::json(nullptr);
    s.Prompter().Say(LastBackupLine(last));
    if (backupPath.empty()) return;
    const std::optional<std::string> warning = LastBackupWarning(last);
    s.Result()["lastBackupWarning"] = warning ? nlohmann::json(*warning) : nlohmann::json(nullptr);
    if (warning) s.Prompter().Say(*warning);
    ShowLastOffsite(s, backupPath);
}

} // namespace

int RunStatus(CliSession& s)
{
    const bool valid = s.LoadLibrary(false);
    AppContext& app = s.App();
    const LibPaths paths = ReadLibPaths(app);
    const std::string library = valid ? app.state.gsActiveLibPath : std::string(kNoLibrary);
    s.Result()["library"] = valid ? nlohmann::json(library) : nlohmann::json(nullptr);
    s.Prompter().Say("Library: " + library);
    if (valid) {
        const std::string description = GetLibExtraInfo(app, "3");
        s.Result()["description"] = description;
        s.Prompter().Say("Description: " + description);
    }
    s.Result()["backup"] = paths.backupPath;
    s.Prompter().Say("Backup path: " + paths.backupPath);
    ShowSettings(s, ReadMiscSettings(app.state.IniPath()));
    ShowLastBackup(s, paths.backupPath, valid ? library : std::string());
    return valid ? Exit::kDone : Exit::kFailed;
}
