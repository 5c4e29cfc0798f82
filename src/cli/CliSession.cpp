#include "cli/CliSession.h"

#include "core/app/AdminLogin.h"
#include "core/backup/VerifyHistory.h"
#include "core/base/MyErrHandler.h"
#include "core/common/Commons.h"
#include "core/library/Library.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <ostream>
#include <sstream>

namespace {

constexpr const char* kPasswordVariable = "REZUD_ADMIN_PASSWORD";

} // namespace

std::optional<std::string> ReadPasswordFile(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string line;
    std::getline(in, line);
    if (in.bad()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

CliSession::CliSession(CliIo& io, const std::filesystem::path& programDir, const GlobalOptions& options,
                       std::string command)
    : io_(io), options_(options), command_(std::move(command)), prompter_(io, options.yes, options.json),
      app_(programDir, prompter_, LocateSettings(programDir, Env("XDG_CONFIG_HOME"), Env("HOME")))
{
    app_.state.stateDir = UserStateDir(io.env);
}

std::optional<std::string> CliSession::Env(const std::string& name) const
{
    return io_.env ? io_.env(name) : std::nullopt;
}

bool CliSession::LoadLibrary(bool tell)
{
    if (options_.library.empty()) {
        if (LoadActiveLibrary(app_)) return true;
    } else if (FileExists(options_.library + "/00000000/LIB.MDE")) {
        app_.state.gsActiveLibPath = options_.library;
        app_.state.gsCtrlLibPath = options_.library;
        return true;
    }
    if (tell) prompter_.Tell(kNoLibrary, MsgIcon::Critical);
    return false;
}

std::optional<int> CliSession::Open(const CommandRule& rule, bool asks)
{
    if (rule.library && !LoadLibrary()) return Exit::kFailed;
    if (rule.login && !Login()) return Exit::kBadPassword;
    if (asks && !options_.yes && !io_.inTerminal) {
        prompter_.Tell("This command asks for confirmation and there is no terminal to answer it: "
                       "run it again with --yes.",
                       MsgIcon::Critical);
        return Exit::kFailed;
    }
    // Said where a person reads it; a scheduled run keeps it in its JSON report.
    if (rule.warning) {
        if (io_.inTerminal)
            prompter_.Tell(kLibInUseWarning, MsgIcon::Exclamation);
        else
            result_["notice"] = kLibInUseWarning;
    }
    return std::nullopt;
}

std::optional<std::string> CliSession::Password()
{
    if (!options_.passwordFile.empty()) {
        std::optional<std::string> password = ReadPasswordFile(options_.passwordFile);
        if (!password) prompter_.Tell("The password file cannot be read: " + options_.passwordFile, MsgIcon::Critical);
        return password;
    }
    if (std::optional<std::string> password = Env(kPasswordVariable)) return password;
    if (io_.inTerminal && io_.readSecret) return io_.readSecret("Administrator password: ");
    prompter_.Tell("The administrator password is needed: give --password-file FILE or set " +
                       std::string(kPasswordVariable) + ".",
                   MsgIcon::Critical);
    return std::nullopt;
}

bool CliSession::Login()
{
    const std::optional<std::string> password = Password();
    if (!password) {
        prompter_.Tell(kLoginUnsuccessful, MsgIcon::Critical);
        return false;
    }
    return AdminLogin(app_, *password);
}

int CliSession::WriteMetrics(int code, double durationSeconds)
{
    if (options_.metrics.empty()) return code;
    metrics_.command = command_;
    metrics_.exitCode = code;
    metrics_.durationSeconds = durationSeconds;
    metrics_.endedAt = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    const bool written = Trapped(prompter_, "rezud --metrics", [&] { UpdateMetricsFile(options_.metrics, metrics_); });
    return written ? code : std::max(code, Exit::kFailed);
}

int CliSession::Finish(int code)
{
    if (code == Exit::kWarnings && !why_.empty()) io_.err << "rezud " << command_ << ": " << why_ << '\n';
    if (!options_.json) return code;
    nlohmann::json report = result_;
    report["command"] = command_;
    report["exit"] = code;
    nlohmann::json messages = nlohmann::json::array();
    for (const ShownMessage& m : prompter_.Shown()) {
        nlohmann::json entry{{"kind", m.kind}, {"text", TerminalText(m.text)}};
        if (!m.answer.empty()) entry["answer"] = m.answer;
        messages.push_back(std::move(entry));
    }
    report["messages"] = std::move(messages);
    io_.out << report.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
    return code;
}

void CliSession::StageProgress(const std::string& stage, std::int64_t done, std::int64_t total)
{
    if (ShowsProgress()) io_.err << "\r" << stage << ": " << done << " of " << total << "\x1b[K" << std::flush;
}

void CliSession::EndProgress()
{
    if (ShowsProgress()) io_.err << '\n';
}
