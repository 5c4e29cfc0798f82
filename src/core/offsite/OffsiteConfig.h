#pragma once
// Where the offsite copies go and how restic is reached: restic from
// --restic or PATH; the repository from --repo, RESTIC_REPOSITORY or the
// settings file's [Offsite] Repository; its password only from a file:
// --repo-password-file, RESTIC_PASSWORD_FILE or [Offsite] PasswordFile.
// The password itself is never held here, so no report can show it.
#include "core/base/AppState.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kOffsiteSection = "Offsite";

// What the command line gave; empty when not given.
struct OffsiteOptions {
    std::string restic;
    std::string repo;
    std::string passwordFile;
    int giveUpSeconds = 0;
};

struct OffsiteConfig {
    std::string restic;            // the executable's path
    std::string repository;        // as restic takes it: a path, rest:URL, sftp:..., s3:...
    std::string passwordFile;      // the file restic reads the password from
    std::vector<std::string> keep; // the retention options of forget
    // How long restic may retry a repository that stopped answering before
    // it is ended; 0 leaves it to restic's own retries (minutes).
    int giveUpSeconds = 0;
};

using EnvLookup = std::function<std::optional<std::string>(const std::string& name)>;

struct OffsiteSetup {
    std::optional<OffsiteConfig> config;
    std::string problem; // why there is none, in one sentence
};

// Reads the options, the environment and the settings file. A repository
// set nowhere leaves `repository` empty and is a problem only `needRepo`.
OffsiteSetup ResolveOffsite(const OffsiteOptions& given, const EnvLookup& env, const SettingsFile& settings,
                            bool needRepo = true);

// The repository from the option, else RESTIC_REPOSITORY, else the
// settings file; empty when it is set nowhere.
std::string ConfiguredRepository(const std::string& given, const EnvLookup& env, const SettingsFile& settings);

// The retention options of a Keep value: restic's --keep-* options with
// their values. The default when the value is empty; none when it is wrong.
std::optional<std::vector<std::string>> ParseKeep(const std::string& value);
inline constexpr const char* kDefaultKeep = "--keep-daily 7 --keep-weekly 5 --keep-monthly 12";
