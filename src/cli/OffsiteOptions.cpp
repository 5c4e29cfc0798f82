// The options of rezud offsite and its commands.
#include "cli/CliSession.h"
#include "cli/OffsiteCommands.h"
#include "cli/RezudCommands.h"
#include "core/backup/VerifySubset.h"

#include <CLI/CLI.hpp>

#include <memory>

namespace {

constexpr const char* kOffsiteHelp =
    "Offsite copies with history: whole, verified backup directories handed to restic.\n"
    "The repository: --repo, else RESTIC_REPOSITORY, else Repository in the settings file's [Offsite]\n"
    "section; its password only from a file: --repo-password-file, else RESTIC_PASSWORD_FILE, else\n"
    "PasswordFile in [Offsite]. Retention: Keep in [Offsite], restic's --keep-* options with their values\n"
    "(default: --keep-daily 7 --keep-weekly 5 --keep-monthly 12).\n"
    "Exit codes of offsite:\n"
    "  0   done\n"
    "  1   push: the backup has verify findings (nothing pushed), or restic could not read some files\n"
    "      (they are named); check: the repository has errors\n"
    "  2   refused or failed: no restic, no repository or password file, a backup run working or not\n"
    "      ended, the repository unreachable, locked or the password wrong (restic's reason is told)\n"
    "  64  usage error\n";

using Runner = int (*)(CliSession&, const OffsiteArgs&);

CLI::App* Sub(CLI::App& offsite, RezudCommand& chosen, const std::string& name, const std::string& help,
              const std::shared_ptr<OffsiteArgs>& args, Runner run)
{
    CLI::App* sub = offsite.add_subcommand(name, help);
    sub->callback([&chosen, name, args, run] {
        chosen = {"offsite " + name, [args, run](CliSession& s) { return run(s, *args); }};
    });
    return sub;
}

} // namespace

void AddOffsiteCommands(CLI::App& cli, RezudCommand& chosen)
{
    auto a = std::make_shared<OffsiteArgs>();
    CLI::App* offsite = cli.add_subcommand("offsite", "Copies of the backup with history in a restic repository");
    offsite->require_subcommand(1);
    offsite->fallthrough();
    offsite->footer(kOffsiteHelp);
    offsite->add_option("--restic", a->options.restic, "The restic program (default: restic on PATH)");
    offsite->add_option("--repo", a->options.repo, "The restic repository");
    offsite->add_option("--repo-password-file", a->options.passwordFile, "The file holding its password");
    offsite
        ->add_option("--give-up", a->options.giveUpSeconds,
                     "End restic when the repository has not answered for this many seconds "
                     "(default: restic retries for minutes)")
        ->check(CLI::NonNegativeNumber);
    Sub(*offsite, chosen, "init", "Make the repository", a, RunOffsiteInit);
    CLI::App* push = Sub(*offsite, chosen, "push",
                         "Verify the backup, then take a snapshot of it under its lock and book it", a, RunOffsitePush);
    push->add_option("BACKUP", a->backup, "The backup directory (default: the configured backup path)")
        ->transform(AbsolutePath());
    push->add_flag("--force", a->force, "Push a backup with verify findings all the same");
    Sub(*offsite, chosen, "list", "This library's snapshots: id, time, the backup's date, age", a, RunOffsiteList);
    Sub(*offsite, chosen, "forget", "Forget and prune this library's snapshots past the retention", a,
        RunOffsiteForget);
    CLI::App* check = Sub(*offsite, chosen, "check", "Check the repository", a, RunOffsiteCheck);
    CLI::Option* all = check->add_flag("--read-data", a->readData, "Read all the repository's data");
    const CLI::Validator percent(
        [](std::string& text) {
            return VerifySubset::ParsePercent(text) ? std::string() : "a share between 0% and 100% is needed";
        },
        "N%");
    check->add_option("--read-data-subset", a->readDataSubset, "Read this share of the data")
        ->check(percent)
        ->excludes(all);
}
