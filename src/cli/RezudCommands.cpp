#include "cli/RezudCommands.h"

#include "cli/CliSession.h"
#include "cli/Commands.h"
#include "cli/OffsiteCommands.h"
#include "core/backup/VerifySubset.h"
#include "core/library/LibraryCheck.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>

namespace {

using Runner = std::function<int(CliSession&)>;

// Holds the values a subcommand's options are parsed into.
template <typename Args>
std::shared_ptr<Args> Values()
{
    return std::make_shared<Args>();
}

CLI::App* Command(CLI::App& parent, RezudCommand& chosen, const std::string& name, const std::string& help,
                  const std::function<Runner()>& make)
{
    CLI::App* sub = parent.add_subcommand(name, help);
    const std::string full = parent.get_parent() ? parent.get_name() + " " + name : name;
    sub->callback([&chosen, full, make] { chosen = {full, make()}; });
    return sub;
}

std::optional<std::string> Given(const CLI::Option* option, const std::string& value)
{
    return option->count() ? std::optional<std::string>(value) : std::nullopt;
}

void AddLibraryCommands(CLI::App& cli, RezudCommand& chosen)
{
    Command(cli, chosen, "status",
            "The configured library, its description, the backup path, the settings, the last backup",
            [] { return Runner(RunStatus); });

    auto sel = Values<std::pair<std::string, std::string>>();
    CLI::App* select = cli.add_subcommand("select", "Make LIBRARY the active library (and DIR its backup path)");
    select->add_option("LIBRARY", sel->first, "The library directory")->required()->transform(AbsolutePath());
    CLI::Option* backup =
        select->add_option("--backup", sel->second, "The backup directory")->transform(AbsolutePath());
    select->callback([&chosen, sel, backup] {
        chosen = {"select",
                  [sel, backup](CliSession& s) { return RunSelect(s, sel->first, Given(backup, sel->second)); }};
    });

    struct CreateArgs {
        std::string dir, description, passwordFile;
    };
    auto cr = Values<CreateArgs>();
    CLI::App* create = cli.add_subcommand("create", "Create a new library in DIR");
    create->add_option("DIR", cr->dir, "Where the library goes")->required()->transform(AbsolutePath());
    CLI::Option* desc = create->add_option("--description", cr->description, "The library description (50 characters)");
    create->add_option("--admin-password-file", cr->passwordFile,
                       "Set the administrator's password from the first line of this file");
    create->callback([&chosen, cr, desc] {
        chosen = {"create", [cr, desc](CliSession& s) {
                      return RunCreate(s, cr->dir, Given(desc, cr->description), cr->passwordFile);
                  }};
    });

    auto text = Values<std::string>();
    CLI::App* describe = cli.add_subcommand("describe", "Show, or set to TEXT, the library description");
    CLI::Option* given = describe->add_option("TEXT", *text, "The new description (50 characters)");
    describe->callback([&chosen, text, given] {
        chosen = {"describe", [text, given](CliSession& s) { return RunDescribe(s, Given(given, *text)); }};
    });

    Command(cli, chosen, "stats", "The library statistics", [] { return Runner(RunStats); });

    auto co = Values<CheckOptions>();
    CLI::App* check = Command(cli, chosen, "check", "Check the library's databases and files, read-only",
                              [co] { return Runner([co](CliSession& s) { return RunCheck(s, *co); }); });
    check->add_flag("--deep", co->deep, "A full integrity check of both databases instead of the quick one");
    check->add_option("--stale-days", co->staleDays, "Logins older than this many days are stale (default 30)")
        ->check(CLI::NonNegativeNumber);
}

const CLI::Validator& Percent()
{
    static const CLI::Validator percent(
        [](std::string& text) {
            return VerifySubset::ParsePercent(text) ? std::string() : "a share between 0% and 100% is needed";
        },
        "N%");
    return percent;
}

constexpr const char* kVerifyExitCodes = "Exit codes of verify:\n"
                                         "  0   the backup is whole\n"
                                         "  1   findings: something is missing, damaged, changed or owed\n"
                                         "  2   not verified: no such directory, no backup in it, a backup run "
                                         "working in it, or a part could not be read\n"
                                         "  64  usage error\n";

void AddVerifyCommand(CLI::App& cli, RezudCommand& chosen)
{
    auto va = Values<VerifyArgs>();
    CLI::App* verify = Command(cli, chosen, "verify", "Prove a backup directory without restoring it, read-only",
                               [va] { return Runner([va](CliSession& s) { return RunVerify(s, *va); }); });
    verify->add_option("BACKUP", va->backup, "The backup directory (default: the configured backup path)")
        ->transform(AbsolutePath());
    CLI::Option* all = verify->add_flag("--read-data", va->readData, "Re-read every file and compare its SHA-256");
    verify
        ->add_option("--read-data-subset", va->readDataSubset,
                     "Re-read a rotating share of the files: N% a day reads every file within ceil(100/N) days")
        ->check(Percent())
        ->excludes(all);
    verify->footer(kVerifyExitCodes);
}

constexpr const char* kNightlyHelp =
    "The chain, each step as its own command with the options given here:\n"
    "  rezud backup [--to DIR]\n"
    "  rezud verify --read-data-subset N% [DIR]\n"
    "  rezud offsite push [DIR]       when a repository is configured (--repo, RESTIC_REPOSITORY\n"
    "  rezud offsite forget           or the Repository key of the settings file's Offsite section)\n"
    "A step stops the chain when it failed: the backup at exit code 2 or more (at 1, documents\n"
    "owed, the verify still runs), every other step at 1 or more (a backup with findings is\n"
    "never pushed). Exit code: the highest of the steps that ran.\n";

void AddNightlyCommand(CLI::App& cli, RezudCommand& chosen)
{
    auto na = Values<NightlyArgs>();
    CLI::App* nightly =
        Command(cli, chosen, "nightly", "The scheduled run: backup, verify a rotating share, push offsite, forget",
                [na] { return Runner([na](CliSession& s) { return RunNightly(s, *na); }); });
    nightly->add_option("--to", na->to, "Back up into DIR instead of the configured backup path")
        ->transform(AbsolutePath());
    nightly
        ->add_option("--read-data-subset", na->readDataSubset,
                     "The share of the backup's files the verify re-reads, rotating daily (default 5%)")
        ->check(Percent());
    nightly->add_option("--repo", na->repo, "The offsite restic repository");
    nightly->add_option("--repo-password-file", na->repoPasswordFile, "The repository's password file")
        ->transform(AbsolutePath());
    nightly->add_option("--restic", na->restic, "The restic program, when it is not on PATH");
    nightly->footer(kNightlyHelp);
}

void AddFileCommands(CLI::App& cli, RezudCommand& chosen)
{
    auto ba = Values<BackupArgs>();
    CLI::App* backup = Command(cli, chosen, "backup", "Back the active library up, incrementally",
                               [ba] { return Runner([ba](CliSession& s) { return RunBackup(s, *ba); }); });
    backup->add_option("--to", ba->to, "Back up into DIR instead of the configured backup path")
        ->transform(AbsolutePath());
    backup->add_flag("--create-backup-path", ba->createPath,
                     "Create the backup directory when it does not exist (without it, a missing one, as an "
                     "unmounted drive leaves, is refused)");
    backup->add_flag("--stats", ba->stats, "Walk the library for its statistics first and print them");
    auto re = Values<RestoreArgs>();
    CLI::App* restore = cli.add_subcommand(
        "restore", "Restore BACKUP, or a snapshot of the offsite repository, as a new library in DIR");
    restore->footer(
        "DIR must be new or empty; the same command run again after a stop goes on where it stopped.\n"
        "Every file is checked against the backup's manifest while it is copied; a file unlike it is\n"
        "restored all the same and listed in DIR/restore-mismatches.txt.\n"
        "restore --from-offsite SNAPSHOT DIR: restic restores the snapshot (an id, or latest: the newest of\n"
        "the active library, else of the configured backup's library) into DIR/.rezud-offsite, and its files\n"
        "are checked and moved into place; the repository as for offsite.\n");
    restore->add_option("BACKUP", re->backup, "The backup directory")->transform(AbsolutePath());
    restore->add_option("DIR", re->dir, "Where the library goes")->transform(AbsolutePath());
    restore->add_flag("--select", re->select, "Then make DIR the active library, as select does");
    CLI::Option* offsite =
        restore->add_option("--from-offsite", re->snapshot, "Restore this snapshot (or latest) instead of BACKUP")
            ->type_name("SNAPSHOT");
    restore->add_option("--restic", re->offsite.restic, "The restic program (default: restic on PATH)")->needs(offsite);
    restore->add_option("--repo", re->offsite.repo, "The restic repository")->needs(offsite);
    restore->add_option("--repo-password-file", re->offsite.passwordFile, "The file holding its password")
        ->needs(offsite);
    restore->callback([&chosen, re] {
        // With a snapshot, the one path given is DIR.
        if (!re->snapshot.empty() && re->dir.empty()) std::swap(re->backup, re->dir);
        if (re->dir.empty()) throw CLI::RequiredError("DIR");
        if (!re->snapshot.empty() && !re->backup.empty())
            throw CLI::ValidationError("BACKUP", "--from-offsite takes DIR alone");
        if (re->snapshot.empty() && re->backup.empty()) throw CLI::RequiredError("BACKUP");
        chosen = {"restore", [re](CliSession& s) { return RunRestore(s, *re); }};
    });
    AddVerifyCommand(cli, chosen);
    AddNightlyCommand(cli, chosen);
    Command(cli, chosen, "compact", "Compact and repair both databases", [] { return Runner(RunCompact); });
    Command(cli, chosen, "reset-locks", "Clear every document lock", [] { return Runner(RunResetLocks); });

    struct SettingArgs {
        std::string mode, compatible;
    };
    auto st = Values<SettingArgs>();
    CLI::App* settings = cli.add_subcommand("settings", "Show, or change, the operation mode and the compatibility");
    CLI::Option* mode =
        settings->add_option("--mode", st->mode, "network or single")->check(CLI::IsMember({"network", "single"}));
    CLI::Option* compatible = settings->add_option("--compatible", st->compatible, "Compatible with version 1.xx data")
                                  ->check(CLI::IsMember({"on", "off"}));
    settings->callback([&chosen, st, mode, compatible] {
        chosen = {"settings", [st, mode, compatible](CliSession& s) {
                      return RunSettings(s, Given(mode, st->mode), Given(compatible, st->compatible));
                  }};
    });
}

} // namespace

const CLI::Validator& AbsolutePath()
{
    static const CLI::Validator absolute(
        [](std::string& path) {
            if (path.empty()) return std::string();
            std::string normal = std::filesystem::absolute(path).lexically_normal().string();
            while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
            path = normal;
            return std::string();
        },
        "", "absolute path");
    return absolute;
}

void AddUserCommands(CLI::App& cli, RezudCommand& chosen);

void AddCommands(CLI::App& cli, RezudCommand& chosen)
{
    AddLibraryCommands(cli, chosen);
    AddFileCommands(cli, chosen);
    AddUserCommands(cli, chosen);
    AddOffsiteCommands(cli, chosen);
}
