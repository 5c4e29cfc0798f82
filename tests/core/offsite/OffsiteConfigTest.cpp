#include "core/offsite/OffsiteConfig.h"
#include "core/backup/BackupManifest.h"
#include "core/base/AppError.h"
#include "core/common/IniFile.h"
#include "core/offsite/ChildProcess.h"
#include "core/offsite/LastOffsite.h"
#include "core/offsite/OffsiteSnapshots.h"
#include "core/offsite/Restic.h"
#include "core/offsite/SnapshotFetch.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;

// The command line before the environment before the settings file, for
// the repository and the password file alike; never a password itself.
TEST(OffsiteConfig, RepositoryAndPasswordFileComeInTheirOrder)
{
    TestEnv env;
    const std::string pw = (env.root / "pw").string(), ini = env.Ini();
    const SettingsFile settings{ini, {}};
    WriteFile(pw, "secret\n");
    std::map<std::string, std::string> vars;
    const EnvLookup lookup = [&](const std::string& name) -> std::optional<std::string> {
        auto found = vars.find(name);
        return found == vars.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    EXPECT_NE(ResolveOffsite({}, lookup, settings).problem.find("No offsite repository"), std::string::npos);
    IniWrite(ini, "offsite", "repository", "/from/settings");
    EXPECT_NE(ResolveOffsite({}, lookup, settings).problem.find("No password file"), std::string::npos);
    IniWrite(ini, "Offsite", "PasswordFile", pw);
    EXPECT_EQ(ResolveOffsite({}, lookup, settings).config->repository, "/from/settings");
    vars["RESTIC_REPOSITORY"] = "/from/env";
    vars["RESTIC_PASSWORD_FILE"] = (env.root / "missing").string();
    EXPECT_NE(ResolveOffsite({}, lookup, settings).problem.find("cannot be read"), std::string::npos);
    OffsiteOptions options;
    options.repo = "/given";
    options.passwordFile = pw;
    const OffsiteSetup given = ResolveOffsite(options, lookup, settings);
    ASSERT_TRUE(given.config) << given.problem;
    EXPECT_EQ(given.config->repository, "/given");
    EXPECT_EQ(given.config->passwordFile, pw);
    EXPECT_EQ(given.config->keep,
              (std::vector<std::string>{"--keep-daily", "7", "--keep-weekly", "5", "--keep-monthly", "12"}));
    options.restic = "/no/restic";
    EXPECT_NE(ResolveOffsite(options, lookup, settings).problem.find("restic cannot be run"), std::string::npos);
}

TEST(OffsiteConfig, KeepTakesOnlyRetentionOptionsWithValues)
{
    EXPECT_EQ(ParseKeep("--keep-last 3 --keep-within 2y5m"),
              (std::vector<std::string>{"--keep-last", "3", "--keep-within", "2y5m"}));
    for (const char* wrong : {"--keep-daily", "--keep-daily seven", "--prune 1", "--keep-last 1; rm", "7"})
        EXPECT_FALSE(ParseKeep(wrong)) << wrong;
}

TEST(OffsiteConfig, ResticsReasonTimesAndTags)
{
    EXPECT_EQ(ResticReason("{\"message_type\":\"error\"}\nFatal: wrong password or no key found\n"),
              "Wrong password or no key found.");
    EXPECT_EQ(ResticReason("unable to create lock in backend: repository is already locked by PID 7\n"
                           "the `unlock` command can be used to remove stale locks\n"),
              "Unable to create lock in backend: repository is already locked by PID 7.");
    EXPECT_EQ(ParseResticTime("2026-12-09T17:42:24.343938236Z"), ParseResticTime("2026-12-09T18:42:24+01:00"));
    EXPECT_EQ(*ParseResticTime("1970-01-02T00:00:00Z"), 86400);
    EXPECT_EQ(LibraryTag("/srv/a,b%c"), "library:/srv/a%2Cb%25c");
}

TEST(OffsiteConfig, AChildThatCannotRunIsAnError)
{
    EXPECT_THROW(RunChild("/no/such/program", {}, {}, {}), AppError);
    std::vector<std::string> lines;
    const ChildOutcome out =
        RunChild("/bin/sh", {"-c", "echo one; echo two >&2; printf three; exit 3"}, ChildEnvironment{{{"X", "1"}}, {}},
                 [&](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(out.exitCode, 3);
    EXPECT_EQ(out.err, "two\n");
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "three"}));
}

TEST(OffsiteConfig, TheLastOffsiteCopyAndItsAge)
{
    TestEnv env;
    const std::string backup = (env.root / "bk").string();
    fs::create_directories(backup);
    EXPECT_EQ(LastOffsiteLine(LastOffsiteOf(backup, 0)), "Last offsite copy: none");
    OffsitePush push;
    push.snapshot = "1234abcd";
    push.time = "2026-12-01T10:00:00Z";
    push.recordDate = "12/01/2026 09:00:00";
    BackupManifest::OpenForWriting(backup)->RecordPush(push);
    const std::time_t pushed = *ParseResticTime("2026-12-01T10:00:00Z");
    const LastOffsite day = LastOffsiteOf(backup, pushed + 86400 + 60);
    EXPECT_EQ(LastOffsiteLine(day).substr(0, 19), "Last offsite copy: ");
    EXPECT_NE(LastOffsiteLine(day).find(" (backup of 12/01/2026 09:00:00), 1 day ago"), std::string::npos);
    EXPECT_FALSE(LastOffsiteWarning(day));
    EXPECT_EQ(LastOffsiteWarning(LastOffsiteOf(backup, pushed + 7 * 86400)), kOffsiteStaleWarning);
}

// One restic restore both names its snapshot and leaves the backup
// directory under its path in the snapshot.
TEST(SnapshotFetch, TheSnapshotAndItsBackupAreFoundInWhatTheRestoreLeft)
{
    for (const auto& [line, id] : std::vector<std::pair<std::string, std::string>>{
             {"restoring <Snapshot 6b69d904 of [/srv/backup] at 2026-12-09 20:31:13 +0000 UTC by root@vm> to /x",
              "6b69d904"},
             {"restoring <Snapshot", ""},
             {"{\"message_type\":\"summary\"}", ""}})
        EXPECT_EQ(RestoredSnapshotId(line), id) << line;
    TestEnv env;
    const std::string into = (env.root / "into").string();
    fs::create_directories(into + "/srv/backup/00000000");
    WriteFile(into + "/srv/backup/Libbackup.ini", "[LIBRARY]\n");
    EXPECT_EQ(FetchedBackupPath(into), "/srv/backup");
    // Two paths, or none with a record: where the descent ended.
    fs::create_directories(into + "/home");
    EXPECT_EQ(FetchedBackupPath(into), "/");
    fs::remove_all(into + "/home");
    fs::remove(into + "/srv/backup/Libbackup.ini");
    EXPECT_EQ(FetchedBackupPath(into), "/srv/backup/00000000");
}
