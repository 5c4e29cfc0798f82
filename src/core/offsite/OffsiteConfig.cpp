#include "core/offsite/OffsiteConfig.h"

#include "core/common/Commons.h"
#include "core/offsite/ChildProcess.h"

#include <unistd.h>

#include <set>
#include <sstream>

namespace {

std::string FirstOf(const std::string& given, const EnvLookup& env, const char* var, const SettingsFile& settings,
                    const char* key)
{
    if (!given.empty()) return given;
    if (const auto value = env ? env(var) : std::nullopt; value && !value->empty()) return *value;
    return GetIniString(kOffsiteSection, key, settings);
}

std::string FindRestic(const std::string& given, const EnvLookup& env)
{
    if (!given.empty()) return ::access(given.c_str(), X_OK) == 0 ? given : std::string();
    const auto path = env ? env("PATH") : std::nullopt;
    return FindOnPath("restic", path.value_or("/usr/local/bin:/usr/bin:/bin"));
}

} // namespace

std::string ConfiguredRepository(const std::string& given, const EnvLookup& env, const SettingsFile& settings)
{
    return FirstOf(given, env, "RESTIC_REPOSITORY", settings, "Repository");
}

OffsiteSetup ResolveOffsite(const OffsiteOptions& given, const EnvLookup& env, const SettingsFile& settings,
                            bool needRepo)
{
    OffsiteSetup setup;
    OffsiteConfig config;
    config.restic = FindRestic(given.restic, env);
    if (config.restic.empty()) {
        setup.problem = given.restic.empty()
                            ? "restic is not installed: install the restic package, or give its path with --restic."
                            : "restic cannot be run from " + given.restic + ".";
        return setup;
    }
    const auto keep = ParseKeep(GetIniString(kOffsiteSection, "Keep", settings));
    if (!keep) {
        setup.problem = "The Keep setting of [Offsite] is not a list of restic --keep-* options with their values.";
        return setup;
    }
    config.keep = *keep;
    config.giveUpSeconds = given.giveUpSeconds;
    config.repository = ConfiguredRepository(given.repo, env, settings);
    if (config.repository.empty() && needRepo) {
        setup.problem = "No offsite repository is set: give --repo, set RESTIC_REPOSITORY, "
                        "or set Repository in the [Offsite] section of the settings file.";
        return setup;
    }
    config.passwordFile = FirstOf(given.passwordFile, env, "RESTIC_PASSWORD_FILE", settings, "PasswordFile");
    if (config.passwordFile.empty() && needRepo) {
        setup.problem = "No password file is set for the offsite repository: give --repo-password-file, set "
                        "RESTIC_PASSWORD_FILE, or set PasswordFile in the [Offsite] section of the settings file.";
        return setup;
    }
    if (!config.passwordFile.empty() && ::access(config.passwordFile.c_str(), R_OK) != 0) {
        setup.problem = "The repository password file cannot be read: " + config.passwordFile;
        return setup;
    }
    setup.config = config;
    return setup;
}

std::optional<std::vector<std::string>> ParseKeep(const std::string& value)
{
    static const std::set<std::string> counted = {"--keep-last",   "--keep-hourly",  "--keep-daily",
                                                  "--keep-weekly", "--keep-monthly", "--keep-yearly"};
    std::istringstream words(value.empty() ? std::string(kDefaultKeep) : value);
    std::vector<std::string> keep;
    for (std::string option, amount; words >> option;) {
        if (!(words >> amount)) return std::nullopt;
        const bool number = !amount.empty() && amount.find_first_not_of("0123456789") == std::string::npos;
        const bool within = option == "--keep-within" &&
                            amount.find_first_not_of("0123456789ymdh") == std::string::npos && !amount.empty();
        if (!(counted.count(option) && number) && !within) return std::nullopt;
        keep.push_back(option);
        keep.push_back(amount);
    }
    if (keep.empty()) return std::nullopt;
    return keep;
}
