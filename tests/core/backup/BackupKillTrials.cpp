// Kill trials: rezud backs a library up in a process of its own and is
// killed with SIGKILL at a random point, after a random time or at a random
// one of its file operations. Right after, no file under a real name in the
// backup is torn; the next run makes the backup whole. A failing trial
// prints its seed; REZUD_TRIAL_SEED=N runs the trials from that seed.
#include "RezudChild.h"
#include "core/backup/BackupDates.h"
#include "core/backup/BackupLock.h"
#include "support/BackupCheck.h"
#include "support/BackupFixture.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <chrono>
#include <cstdlib>
#include <random>

namespace fs = std::filesystem;

namespace {

constexpr int kKills = 24;
constexpr int kDocuments = 300;
constexpr int kStorageDirs = 3;

unsigned BaseSeed()
{
    if (const char* seed = std::getenv("REZUD_TRIAL_SEED")) return static_cast<unsigned>(std::stoul(seed));
    return std::random_device{}();
}

std::string Content(std::mt19937& rng, std::int64_t id, int version)
{
    std::uniform_int_distribution<int> size(1, 40000), large(200000, 1200000), byte(0, 255);
    std::string text = "document " + std::to_string(id) + " version " + std::to_string(version) + "\n";
    text.resize(static_cast<std::size_t>(id % 50 == 0 ? large(rng) : size(rng)), '.');
    for (std::size_t i = text.find('\n') + 1; i < text.size(); i += 61) text[i] = static_cast<char>(byte(rng));
    return text;
}

class BackupKillTrials : public BackupTest {
protected:
    std::vector<std::pair<std::int64_t, LibraryBuilder::Document>> docs;
    std::string opsFile = (env.root / "ops").string();
    std::string password = "quillset";

    void SetUp() override
    {
        BackupTest::SetUp();
        std::mt19937 rng(1);
        SQLite::Transaction tx(builder.Lib());
        std::vector<std::int64_t> folders{folder};
        for (int c = 0; c < 2; ++c)
            for (int d = 0; d < 2; ++d) folders.push_back(builder.AddFolder(builder.AddDrawer(builder.AddCabinet())));
        for (int i = 0; i < kDocuments; ++i) {
            LibraryBuilder::Document doc = Doc("DOC" + std::to_string(i + 1) + ".TIF");
            doc.location = "0000000" + std::to_string(1 + i % kStorageDirs);
            const std::int64_t id = builder.AddDocument(folders[static_cast<std::size_t>(i) % folders.size()], doc);
            WriteFile(builder.FileOf(doc), Content(rng, id, 0));
            fs::last_write_time(builder.FileOf(doc), *doc.fileTime);
            docs.emplace_back(id, doc);
        }
        // Some megabytes of database, so its copy takes a while too.
        builder.Lib().exec("CREATE TABLE ballast (b BLOB)");
        for (int i = 0; i < 32; ++i) builder.Lib().exec("INSERT INTO ballast VALUES (randomblob(100000))");
        tx.commit();
    }

    // A share of the documents changes, in its row and its file; their
    // files' times are later than any record date so far.
    void Change(std::mt19937& rng, int version)
    {
        std::bernoulli_distribution changes(0.15);
        const std::time_t when = std::time(nullptr) + 1;
        SQLite::Transaction tx(builder.Lib());
        SQLite::Statement row(builder.Lib(), "UPDATE images SET `updated-date`=? WHERE id=?");
        for (const auto& [id, doc] : docs) {
            if (!changes(rng)) continue;
            WriteFile(builder.FileOf(doc), Content(rng, id, version));
            fs::last_write_time(builder.FileOf(doc), fs::file_time_type::clock::now() + std::chrono::seconds(1));
            row.bind(1, FormatIsoDate(when));
            row.bind(2, id);
            row.exec();
            row.reset();
        }
        builder.Lib().exec("UPDATE ballast SET b=randomblob(100000) WHERE rowid=" + std::to_string(version % 32 + 1));
        tx.commit();
    }

    // rezud backup in a child; killed at its `killAt`-th file operation
    // (of those on a path holding `aim`, when given) when that is set, else
    // after `delay` when that is set.
    Ending Child(long killAt, std::optional<std::chrono::microseconds> delay, const std::string& aim = {})
    {
        std::vector<std::string> settings = {"REZUD_ADMIN_PASSWORD=" + password, "REZUD_OPS_FILE=" + opsFile,
                                             "REZUD_KILL_AT=" + std::to_string(killAt)};
        if (!aim.empty()) settings.push_back("REZUD_KILL_PATH=" + aim);
        return RunRezudChild({"--library", lib, "backup", "--to", backup, "--yes", "--create-backup-path"}, settings,
                             delay);
    }

    // A run to the end: its time and number of file operations.
    std::pair<double, long> Measure()
    {
        const Ending end = Child(0, std::nullopt);
        EXPECT_EQ(end.exit, 0);
        EXPECT_TRUE(BackupProblems(lib, backup).empty()) << Lines(BackupProblems(lib, backup));
        return {end.seconds, std::stol(ReadFile(opsFile))};
    }

    // Right after a kill: nothing torn, and a record that moved on claims
    // every copy.
    void AfterKill(const Ending& end, const DocumentFiles& before, const DocumentFiles& after, const std::string& date)
    {
        EXPECT_TRUE(end.killed || end.exit == 0) << "exit " << end.exit;
        const auto torn = TornFiles(backup, before, after);
        EXPECT_TRUE(torn.empty()) << Lines(torn);
        if (fs::exists(backup + "/Libbackup.ini") && Record("Date") != date) {
            const auto problems = CopyProblems(lib, backup);
            EXPECT_TRUE(problems.empty()) << "the record says " << Record("Date") << "\n" << Lines(problems);
        }
    }

    // The run after a kill ends and leaves the backup whole.
    void Repair()
    {
        env.prompter.Clear();
        LibBackupRun run(*env.app, Plenty);
        run.missingPath = MissingBackupPath::Create;
        EXPECT_TRUE(run.LibBackup(1000)) << (env.prompter.boxes.empty() ? "" : env.prompter.Last().text);
        EXPECT_TRUE(run.Complete()) << run.ReportText();
        const auto problems = BackupProblems(lib, backup);
        EXPECT_TRUE(problems.empty()) << Lines(problems);
    }
};

} // namespace

// Kills at any file operation, after a time, at an operation on the
// database copy, on the record and on the manifest, in turn; every fifth
// trial starts from an empty backup directory, every third kills the next
// run as well. A run that ends before its
// kill point is checked all the same, and another trial follows.
TEST_F(BackupKillTrials, AKilledRunTearsNoCopyAndTheNextRunMakesTheBackupWhole)
{
    const unsigned base = BaseSeed();
    const auto [fullSeconds, fullOps] = Measure();
    std::mt19937 calibrate(base);
    Change(calibrate, 1);
    const auto [changedSeconds, changedOps] = Measure();
    int killed = 0, trial = 0;
    for (; killed < kKills && trial < 2 * kKills && !HasFailure(); ++trial) {
        const unsigned seed = base + static_cast<unsigned>(trial);
        SCOPED_TRACE("trial " + std::to_string(trial) + " (seed " + std::to_string(seed) +
                     ") of REZUD_TRIAL_SEED=" + std::to_string(base));
        std::mt19937 rng(seed);
        const bool full = trial % 5 == 4;
        const DocumentFiles before = full ? DocumentFiles{} : ReadDocumentFiles(lib);
        if (full) fs::remove_all(backup);
        Change(rng, trial + 2);
        const DocumentFiles after = ReadDocumentFiles(lib);
        const std::string date = full ? std::string() : Record("Date");
        const long ops = full ? fullOps : changedOps;
        const double seconds = std::min(fullSeconds, changedSeconds);
        auto pick = [&](long low, long high) { return std::uniform_int_distribution<long>(low, high)(rng); };
        const struct {
            const char* aim;
            long first, last;
        } aims[] = {{"", 1, ops * 9 / 10},
                    {".LIB.MDE.rztmp", 1, 200}, // the database copy's pages
                    {"Libbackup.ini", 1, 3},    // the record: written, flushed, renamed
                    {"Libbackup.manifest", 1, 8}};
        Ending end;
        if (trial % 2 == 1) {
            const auto delay = std::chrono::microseconds(pick(0, static_cast<long>(seconds * 0.8e6)));
            SCOPED_TRACE("killed after " + std::to_string(delay.count()) + " us");
            end = Child(0, delay);
        } else {
            const auto& aim = aims[trial / 2 % 4];
            const long killAt = pick(aim.first, aim.last);
            SCOPED_TRACE("killed at operation " + std::to_string(killAt) + " on '" + aim.aim + "'");
            end = Child(killAt, std::nullopt, aim.aim);
        }
        killed += end.killed;
        AfterKill(end, before, after, date);
        // Every third trial kills the run after it too, before one ends.
        if (trial % 3 == 2) {
            const long killAt = pick(1, ops * 9 / 10);
            SCOPED_TRACE("the next run killed at operation " + std::to_string(killAt));
            AfterKill(Child(killAt, std::nullopt), before, after, date);
        }
        Repair();
    }
    if (!HasFailure()) {
        EXPECT_EQ(killed, kKills);
    }
    std::printf("%d of %d trials killed (seed %u); a full run %.3f s, %ld operations; a changed run %.3f s, %ld "
                "operations\n",
                killed, trial, base, fullSeconds, fullOps, changedSeconds, changedOps);
}

// A run marks itself under way on the lock only when it first writes, yet
// always before: killed at its first write, it has left the mark, so the
// next run deletes what it left. First, with no document changed, the
// database's copy is that write; then, with the databases as the last run
// left them, an owed document's copy (written as a spare until it takes its
// name).
TEST_F(BackupKillTrials, ARunKilledAtItsFirstWriteHasMarkedItselfUnderWay)
{
    Measure();
    auto killedAtFirstWrite = [&](const char* aim) {
        SCOPED_TRACE(aim);
        EXPECT_TRUE(Child(1, std::nullopt, aim).killed);
        {
            const auto lock = BackupLock::Take(backup);
            ASSERT_TRUE(lock);
            EXPECT_TRUE(lock->LastRunUnfinished());
        }
        Repair();
    };
    builder.Lib().exec("UPDATE ballast SET b=randomblob(100000) WHERE rowid=1");
    killedAtFirstWrite(".LIB.MDE.rztmp");

    std::mt19937 rng(1);
    Change(rng, 2);
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& [id, doc] : docs) {
        files[builder.FileOf(doc)] = {ReadFile(builder.FileOf(doc)), fs::last_write_time(builder.FileOf(doc))};
        fs::remove(builder.FileOf(doc));
    }
    LibBackupRun owing(*env.app, Plenty);
    ASSERT_TRUE(Run(owing));
    ASSERT_GT(owing.Totals().owed, 0);
    for (const auto& [file, version] : files) {
        WriteFile(file, version.first);
        fs::last_write_time(file, version.second);
    }
    killedAtFirstWrite(".rzspare-");
}
