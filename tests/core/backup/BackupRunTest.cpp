#include "core/common/AtomicFile.h"
#include "support/BackupFixture.h"

#include <regex>

namespace fs = std::filesystem;

TEST_F(BackupTest, FirstBackupIntoDirectoryWithoutRecordCopiesEveryFile)
{
    fs::create_directories(backup);
    builder.AddDocument(folder, Doc("a.tif", std::nullopt, std::nullopt));
    builder.AddDocument(folder, Doc("b.tif", "0"));
    builder.AddDocument(folder, Doc("c.tif", "C"));
    auto missing = Doc("gone.tif");
    missing.fileSize.reset();
    builder.AddDocument(folder, missing);
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.scan, 4);
    EXPECT_EQ(last.modified, 0);
    EXPECT_EQ(last.copy, 3);
    EXPECT_EQ(last.notCopied, 0);
    EXPECT_TRUE(fs::exists(Copied("a.tif")));
    EXPECT_EQ(report, "Total indexed documents scanned : 4\r\n"
                      "Total files created or modified since last backup : 0\r\n"
                      "Total files actually copied : 3");
    EXPECT_EQ(Record("FROM"), lib);
    EXPECT_TRUE(std::regex_match(Record("DATE"), std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)"))) << Record("DATE");
    EXPECT_EQ(Record("Total Scan"), "4");
    EXPECT_EQ(Record("Total Modified"), "0");
    EXPECT_EQ(Record("Total Copy"), "3");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(BackupTest, NewDirectoryGetsTheChangeTestAgainstTheZeroDate)
{
    builder.AddDocument(folder, Doc("null.tif", std::nullopt));
    builder.AddDocument(folder, Doc("zero.tif", "0"));
    builder.AddDocument(folder, Doc("c.tif", "C"));
    builder.AddDocument(folder, Doc("nodate.tif", "1", std::nullopt));
    builder.AddDocument(folder, Doc("one.tif", "1"));
    builder.AddDocument(folder, Doc("two.tif", "2"));
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.scan, 6);
    EXPECT_EQ(last.modified, 2);
    EXPECT_EQ(last.copy, 2);
    EXPECT_TRUE(fs::exists(Copied("one.tif")));
    EXPECT_TRUE(fs::exists(Copied("two.tif")));
    EXPECT_FALSE(fs::exists(Copied("null.tif")));
    EXPECT_FALSE(fs::exists(Copied("nodate.tif")));
}

TEST_F(BackupTest, SecondRunCopiesOnlyWhatChangedInRowAndFile)
{
    builder.AddDocument(folder, Doc("same.tif"));
    auto both = Doc("both.tif");
    auto rowOnly = Doc("row.tif");
    auto fileOnly = Doc("file.tif");
    const auto bothId = builder.AddDocument(folder, both);
    const auto rowId = builder.AddDocument(folder, rowOnly);
    builder.AddDocument(folder, fileOnly);
    ASSERT_TRUE(Run());
    ASSERT_EQ(last.copy, 4);

    const auto later = fs::file_time_type::clock::now() + std::chrono::hours(2);
    builder.Lib().exec("UPDATE images SET `updated-date`='2099-01-01 00:00:00' WHERE id IN (" + std::to_string(bothId) +
                       "," + std::to_string(rowId) + ")");
    fs::last_write_time(builder.FileOf(both), later);
    fs::last_write_time(builder.FileOf(fileOnly), later);
    WriteFile(builder.FileOf(both), "changed");
    fs::last_write_time(builder.FileOf(both), later);
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.scan, 4);
    EXPECT_EQ(last.modified, 1);
    EXPECT_EQ(last.copy, 1);
    EXPECT_EQ(ReadFile(Copied("both.tif")), "changed");
    EXPECT_EQ(fs::last_write_time(Copied("both.tif")), later);
}

TEST_F(BackupTest, ReplacedCopiesAreWholeAndLeaveNothingBehind)
{
    std::vector<LibraryBuilder::Document> docs;
    for (int i = 0; i < 40; ++i) {
        docs.push_back(Doc("d" + std::to_string(i) + ".tif"));
        docs.back().fileSize = 1000 + 997 * i;
        builder.AddDocument(folder, docs.back());
    }
    ASSERT_TRUE(Run());
    // Every file changes size: each copy lands in the old copy of another.
    builder.Lib().exec("UPDATE images SET `updated-date`='2099-01-01 00:00:00'");
    const auto later = fs::file_time_type::clock::now() + std::chrono::hours(2);
    for (int i = 0; i < 40; ++i) {
        WriteFile(builder.FileOf(docs[i]), std::string(40000 - 997 * i, static_cast<char>('a' + i % 26)));
        fs::last_write_time(builder.FileOf(docs[i]), later);
    }
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.copy, 40);
    for (const auto& d : docs) EXPECT_EQ(ReadFile(Copied(d.filename)), ReadFile(builder.FileOf(d))) << d.filename;
    // Nothing hidden is left but the old copies kept as spares for the next
    // run, each named in the lock file.
    const std::string lock = ReadFile(backup + "/Libbackup.lock");
    int hidden = 0;
    for (const auto& e : fs::recursive_directory_iterator(backup)) {
        const std::string name = e.path().filename().string();
        if (!name.starts_with(".")) continue;
        ++hidden;
        EXPECT_NE(lock.find("\t" + fs::relative(e.path(), backup).string() + "\n"), std::string::npos) << name;
    }
    EXPECT_EQ(hidden, 40);

    // A run that copies nothing hands them on untouched.
    builder.Lib().exec("UPDATE images SET `updated-date`='2020-01-01 10:00:00'");
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.copy, 0);
    EXPECT_EQ(ReadFile(backup + "/Libbackup.lock"), lock);
    builder.Lib().exec("UPDATE images SET `updated-date`='2099-01-01 00:00:00'");

    // The next run writes over them instead of making new files.
    for (int i = 0; i < 40; ++i) {
        WriteFile(builder.FileOf(docs[i]), std::string(1000 + 997 * i, 'z'));
        fs::last_write_time(builder.FileOf(docs[i]), later + std::chrono::hours(1));
    }
    ASSERT_TRUE(Run());
    for (const auto& d : docs) EXPECT_EQ(ReadFile(Copied(d.filename)), ReadFile(builder.FileOf(d))) << d.filename;
    int spares = 0;
    for (const auto& e : fs::recursive_directory_iterator(backup))
        spares += e.path().filename().string().starts_with(".");
    EXPECT_EQ(spares, 40);
}

TEST_F(BackupTest, RecordOfAnotherLibraryIsRefused)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directories(backup);
    for (const std::string& from : {env.root.string() + "/other", env.root.string() + "/LIB"}) {
        IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "FROM", from);
        env.prompter.Clear();
        EXPECT_FALSE(Run());
        ASSERT_EQ(env.prompter.boxes.size(), 1u);
        EXPECT_EQ(env.prompter.Last().text, "This backup directory holds a different document library !");
        EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
        EXPECT_FALSE(fs::exists(Copied("a.tif")));
        EXPECT_FALSE(fs::exists(backup + "/00000000"));
    }
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "FROM", "");
    EXPECT_TRUE(Run());
    EXPECT_TRUE(fs::exists(Copied("a.tif")));
}

TEST_F(BackupTest, TheLibraryItselfIsRefusedUnderAnySpelling)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directory_symlink(lib, env.root / "link");
    for (const std::string& path : {lib, lib + "/", (env.root / "link").string(), env.root.string() + "/./lib"}) {
        env.app->state.gsBackupLibPath = path;
        env.prompter.Clear();
        EXPECT_FALSE(Run()) << path;
        EXPECT_EQ(env.prompter.Last().text,
                  "Error: The backup library path can not be the same as the active library path !");
    }
    EXPECT_FALSE(fs::exists(lib + "/Libbackup.ini"));
}

TEST_F(BackupTest, ABackupInsideOrAroundTheLibraryIsRefusedBeforeAnythingIsWritten)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directory_symlink(lib, env.root / "link");
    const std::string inside = "Error: The backup library path can not be inside the active library path !";
    const std::string around = "Error: The active library path can not be inside the backup library path !";
    const std::pair<std::string, std::string> cases[] = {
        {lib + "/backup", inside},
        {(env.root / "link/deeper/backup").string(), inside},
        {env.root.string(), around},
        {env.root.string() + "/", around},
        {lib + "2", ""}, // a sibling whose name begins alike is apart
    };
    for (const auto& [path, refusal] : cases) {
        env.app->state.gsBackupLibPath = path;
        env.prompter.Clear();
        LibBackupRun run(*env.app, Plenty);
        run.missingPath = MissingBackupPath::Create;
        EXPECT_EQ(run.LibBackup(1000), refusal.empty()) << path;
        EXPECT_EQ(run.Refusal(), refusal) << path;
        if (refusal.empty()) continue;
        EXPECT_EQ(env.prompter.Last().text, refusal);
        EXPECT_FALSE(fs::exists(path + "/Libbackup.ini")) << path;
    }
    EXPECT_FALSE(fs::exists(lib + "/backup"));
}

TEST_F(BackupTest, AMissingBackupPathIsCreatedOnlyWhenThePersonOrTheCallerSaysSo)
{
    builder.AddDocument(folder, Doc("a.tif"));
    const std::string missing = "Backup Library path does not exist: " + backup + " - quit backup !";
    for (const MissingBackupPath how : {MissingBackupPath::Ask, MissingBackupPath::Refuse}) {
        env.prompter.Clear();
        env.prompter.answers = {MsgAnswer::No};
        LibBackupRun run(*env.app, Plenty);
        run.missingPath = how;
        EXPECT_FALSE(run.LibBackup(1000));
        EXPECT_EQ(run.Refusal(), missing);
        EXPECT_EQ(env.prompter.Last().text,
                  how == MissingBackupPath::Ask ? "Backup Library path does not exist! Create it now ?" : missing);
        EXPECT_FALSE(fs::exists(backup));
    }
    env.prompter.Clear();
    env.prompter.answers = {MsgAnswer::Yes};
    LibBackupRun asked(*env.app, Plenty);
    ASSERT_TRUE(asked.LibBackup(1000));
    EXPECT_TRUE(fs::exists(Copied("a.tif")));
    EXPECT_EQ(env.prompter.Texts(), std::vector<std::string>{"Backup Library path does not exist! Create it now ?"});
}

TEST_F(BackupTest, DatabasesAreCopiedOnEveryRunAndAreWhole)
{
    builder.AddDocument(folder, Doc("a.tif"));
    ASSERT_TRUE(Run());
    const std::string libCopy = LibDatabaseFile(backup), ctrlCopy = CtrlDatabaseFile(backup);
    EXPECT_EQ(QueryOne(libCopy, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(QueryOne(ctrlCopy, "PRAGMA integrity_check"), "ok");

    // Nothing to copy, but a new user must still reach the backup.
    builder.AddUser("Late Comer", "late");
    ASSERT_TRUE(Run());
    EXPECT_EQ(last.copy, 0);
    EXPECT_EQ(QueryOne(libCopy, "SELECT `user-name` FROM `user-list` WHERE `login-id`='late'"), "Late Comer");
    for (const auto& e : fs::directory_iterator(backup + "/00000000"))
        EXPECT_EQ(e.path().filename().string().find(".rztmp"), std::string::npos) << e.path();
}

TEST_F(BackupTest, AMissingQualifyingFileIsSkippedAlone)
{
    ASSERT_TRUE(Run()); // a record with a date, so the change test applies
    auto gone = Doc("gone.tif", "1", "2099-01-01 00:00:00");
    gone.fileSize.reset();
    builder.AddDocument(folder, gone);
    auto next = Doc("next.tif", "1", "2099-01-01 00:00:00");
    next.fileTime = fs::file_time_type::clock::now() + std::chrono::hours(2);
    builder.AddDocument(folder, next);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(fs::exists(Copied("next.tif")));
    EXPECT_EQ(last.notCopied, 1);
    EXPECT_EQ(last.owed, 1);
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(BackupTest, AFailureThatWouldRepeatEndsTheRunWithOneReport)
{
    for (int i = 0; i < 5; ++i) builder.AddDocument(folder, Doc("d" + std::to_string(i) + ".tif"));
    LibBackupRun run(*env.app, Plenty);
    run.copyFile = [](const fs::path&, const fs::path& d) -> PendingCopy {
        throw TargetError("no space", WorkFileFor(d), std::error_code(ENOSPC, std::generic_category()));
    };
    EXPECT_FALSE(Run(run));
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_NE(env.prompter.Last().text.find("LibBackup.LibBackup"), std::string::npos);
    EXPECT_FALSE(fs::exists(backup + "/Libbackup.ini"));
}

TEST_F(BackupTest, AnUnreadableRecordDateStopsBeforeCopying)
{
    builder.AddDocument(folder, Doc("a.tif"));
    fs::create_directories(backup);
    IniWrite(backup + "/Libbackup.ini", "LASTBACKUP", "Date", "yesterday");
    EXPECT_FALSE(Run());
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_FALSE(fs::exists(Copied("a.tif")));
}

TEST_F(BackupTest, ANewerTargetIsStillReplaced)
{
    fs::create_directories(backup + "/00000001");
    auto a = Doc("a.tif");
    builder.AddDocument(folder, a);
    WriteFile(Copied("a.tif"), "newer but wrong");
    ASSERT_TRUE(Run());
    EXPECT_EQ(ReadFile(Copied("a.tif")), ReadFile(builder.FileOf(a)));
}

TEST_F(BackupTest, NotEnoughSpaceOrNoDirectoryIsRefused)
{
    builder.AddDocument(folder, Doc("a.tif"));
    LibBackupRun full(*env.app, [](const std::string&) { return std::optional<std::uint64_t>(1000); });
    EXPECT_FALSE(Run(full));
    EXPECT_EQ(env.prompter.Last().text, "Not enough space - quit backup !");

    WriteFile(env.root / "file", "x");
    env.app->state.gsBackupLibPath = (env.root / "file/sub").string();
    env.prompter.Clear();
    EXPECT_FALSE(Run());
    ASSERT_EQ(env.prompter.boxes.size(), 2u);
    EXPECT_EQ(env.prompter.boxes[0].text.rfind("Failed to create the directory: ", 0), 0u);
    EXPECT_EQ(env.prompter.Last().text, "Problem creating backup path !");
}
