// rezud select, create, describe and stats: the library commands.
#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "core/library/LibSelection.h"
#include "core/library/LibStatistics.h"
#include "core/library/Library.h"
#include "core/library/LibraryCreate.h"
#include "core/library/LibraryDesc.h"
#include "core/users/InitialPassword.h"
#include "core/users/UserMaintenance.h"

#include <ostream>

int RunSelect(CliSession& s, const std::string& library, const std::optional<std::string>& backup)
{
    if (auto refused = s.Open(Commands::kSelectLib)) return *refused;
    AppContext& app = s.App();
    const std::string backupPath = backup ? *backup : ReadLibPaths(app).backupPath;
    if (SaveLibPaths(app, library, backupPath) != LibPathField::None) return s.Outcome(Exit::kFailed);
    const LibPaths stored = ReadLibPaths(app);
    s.Result()["library"] = stored.libPath;
    s.Result()["backup"] = stored.backupPath;
    s.Prompter().Say("Active library: " + stored.libPath);
    s.Prompter().Say("Backup path: " + stored.backupPath);
    return Exit::kDone;
}

namespace {

// The new library's administrator gets the given password instead of the
// initial one, through the same change as in user maintenance.
bool SetAdminPassword(CliSession& s, const std::string& libPath, const std::string& password)
{
    AppContext& app = s.App();
    app.state.gsActiveLibPath = libPath;
    app.state.gsCtrlLibPath = libPath;
    return UserMaintenance(app).ChangePassword("1", kInitialPassword, password, password);
}

} // namespace

int RunCreate(CliSession& s, const std::string& dir, const std::optional<std::string>& description,
              const std::string& adminPasswordFile)
{
    if (auto refused = s.Open(Commands::kCreateLib)) return *refused;
    std::optional<std::string> password;
    if (!adminPasswordFile.empty() && !(password = ReadPasswordFile(adminPasswordFile))) {
        s.Prompter().Tell("The password file cannot be read: " + adminPasswordFile, MsgIcon::Critical);
        return Exit::kFailed;
    }
    const NewLibPathCheck check = CheckNewLibPath(dir);
    if (check.result != NewLibPathCheck::Result::Ok) {
        s.Prompter().Tell(kPathNotSpecified, MsgIcon::Exclamation);
        return Exit::kFailed;
    }
    s.Prompter().AnswerNextInput(description.value_or(""));
    if (!CreateLibNow(s.App(), check.path)) {
        s.Prompter().Tell(kCreateNotSuccessful, MsgIcon::Exclamation);
        return s.Outcome(Exit::kFailed);
    }
    s.Result()["library"] = check.path;
    if (password && !SetAdminPassword(s, check.path, *password)) return Exit::kFailed;
    s.Result()["initialPassword"] = !password.has_value();
    return Exit::kDone;
}

int RunDescribe(CliSession& s, const std::optional<std::string>& text)
{
    if (auto refused = s.Open(Commands::kLibDesc)) return *refused;
    if (text && !UpdateLibDesc(s.App(), *text)) return Exit::kFailed;
    const std::string current = GetLibExtraInfo(s.App(), "3");
    s.Result()["description"] = current;
    s.Prompter().Say(current);
    return Exit::kDone;
}

int RunStats(CliSession& s)
{
    if (auto refused = s.Open(Commands::kStatistics)) return *refused;
    std::ostream& err = s.Io().err;
    const bool progress = s.ShowsProgress();
    LibStatistics stats(s.App(), [&](std::int64_t value, std::int64_t maximum) {
        if (progress) err << "\rDocuments counted: " << value << " of " << maximum << std::flush;
    });
    const StatResult result = stats.Start();
    if (progress) err << '\n';
    s.Result()["documents"] = result.fileCount;
    s.Result()["sizeKB"] = result.fileSizeKB;
    s.Result()["report"] = TerminalText(result.report);
    s.Prompter().Say(result.report);
    return Exit::kDone;
}
