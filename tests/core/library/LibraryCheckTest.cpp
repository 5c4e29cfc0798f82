// The library check: every kind of finding from a library built to hold one
// of each, in the report, its text and its JSON; nothing from a clean one.
#include "core/library/LibraryCheck.h"
#include "core/backup/BackupDates.h"
#include "core/backup/LibBackupRun.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

using Found = std::multiset<std::pair<std::string, std::vector<std::int64_t>>>;

Found Summary(const CheckReport& r)
{
    Found found;
    for (const Finding& f : r.findings) found.emplace(KindName(f.kind), f.ids);
    return found;
}

Found JsonSummary(const std::string& text)
{
    Found found;
    const auto json = nlohmann::json::parse(text);
    for (const auto& f : json.at("findings"))
        found.emplace(f.at("kind").get<std::string>(), f.at("ids").get<std::vector<std::int64_t>>());
    return found;
}

std::string DaysAgo(int days) { return FormatIsoDate(std::time(nullptr) - days * 24 * 60 * 60); }

} // namespace

class LibraryCheckTest : public ::testing::Test {
protected:
    TestEnv env;
    std::string lib = env.MakeBareLibrary();
    LibraryBuilder builder{lib};
    std::int64_t cabinet = 0, drawer = 0, folder = 0, user = 0, group = 0, doc = 0;

    // A library with a little of everything, and nothing wrong with it.
    void SetUp() override
    {
        builder.AddInitialRows();
        cabinet = builder.AddCabinet();
        drawer = builder.AddDrawer(cabinet);
        folder = builder.AddFolder(drawer);
        user = builder.AddUser("Jane", "jane");
        group = builder.AddGroup("Clerks");
        builder.AddMember(group, user);
        builder.AddAccess(group, "G");
        builder.AddAccess(user, "U");
        builder.AddLogin(user, DaysAgo(1));
        doc = builder.AddDocument(folder, Doc("a.tif"));
        builder.AddDocument(folder, Doc("b.tif", 5, "00000002"));
        builder.AddLock(doc, user);
    }
    static LibraryBuilder::Document Doc(const std::string& name, std::int64_t size = 100,
                                        const std::string& location = "00000001")
    {
        LibraryBuilder::Document d;
        d.filename = name;
        d.location = location;
        d.fileSize = size;
        return d;
    }
    std::int64_t NoFile(std::int64_t in, const std::string& name, const std::string& location = "00000001")
    {
        auto d = Doc(name, 0, location);
        d.fileSize.reset();
        return builder.AddDocument(in, d);
    }
    std::string Path(const std::string& relative) const { return lib + "/" + relative; }
};

TEST_F(LibraryCheckTest, ACleanLibraryHasNoFindingsAndIsLeftAsItWas)
{
    const std::string libBytes = ReadFile(LibDatabaseFile(lib)), ctrlBytes = ReadFile(CtrlDatabaseFile(lib));
    fs::create_directories(Path(".trash"));
    WriteFile(Path(".trash/x"), "hidden directories are no storage");
    WriteFile(Path("Vellarch.ini"), "files beside the storage directories are not documents");
    const CheckReport r = CheckLibrary(lib, {.deep = true});
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_TRUE(r.findings.empty()) << DescribeFinding(r.findings.front());
    EXPECT_EQ(r.documents, 2);
    EXPECT_EQ(r.storageDirs, 2);
    EXPECT_NE(RenderCheckText(r).find("No findings: the library is clean."), std::string::npos);
    const auto json = nlohmann::json::parse(RenderCheckJson(r));
    EXPECT_TRUE(json.at("clean").get<bool>());
    EXPECT_EQ(json.at("counts").size(), kFindingKinds);
    for (const auto& [kind, count] : json.at("counts").items()) EXPECT_EQ(count, 0) << kind;
    // Read-only: both files as they were, no journal left.
    EXPECT_EQ(ReadFile(LibDatabaseFile(lib)), libBytes);
    EXPECT_EQ(ReadFile(CtrlDatabaseFile(lib)), ctrlBytes);
    EXPECT_FALSE(fs::exists(LibDatabaseFile(lib) + "-journal"));
}

TEST_F(LibraryCheckTest, OneOfEachFindingByKindAndId)
{
    const bool root = ::geteuid() == 0; // reads every file: nothing is unreadable
    const auto missing = NoFile(folder, "gone.tif");
    const auto empty = builder.AddDocument(folder, Doc("empty.tif", 0));
    const auto dir = NoFile(folder, "dir.tif");
    fs::create_directories(Path("00000001/dir.tif"));
    const auto unreadable = root ? 0 : builder.AddDocument(folder, Doc("locked.tif"));
    if (!root) ::chmod(Path("00000001/locked.tif").c_str(), 0);
    WriteFile(Path("00000001/stray.tif"), "1234567");
    fs::create_directories(Path("00000009"));
    WriteFile(Path("00000009/lost.tif"), "123");
    const auto unsafe = NoFile(folder, "LIB.MDE", "00000000");
    const auto looseFolder = builder.AddFolder(cabinet); // below a cabinet, not a drawer
    builder.AddDocument(looseFolder, Doc("loose.tif"));
    const auto first = builder.AddDocument(folder, Doc("twice.tif"));
    const auto second = NoFile(folder, "twice.tif", "00000001/"); // the same directory, spelled otherwise
    builder.AddLock(9999, user);
    builder.AddLogin(999, DaysAgo(1));
    builder.AddLogin(user, DaysAgo(40));
    builder.AddMember(group, 777);
    builder.AddAccess(888, "U");
    const auto nameless = builder.AddUser("Nobody", "");
    builder.Lib().exec("DELETE FROM `lib-ctrl` WHERE `rec-id` = 4");
    builder.Lib().exec("UPDATE `user-list` SET `login-id` = 'root' WHERE `user-id` = 1");
    MismatchIndex(CtrlDatabaseFile(lib), "active-list-uid", "active-list", "log-date");

    Found expected = {{"database-damaged", {}},
                      {"file-missing", {missing}},
                      {"file-not-plain", {dir}},
                      {"file-empty", {empty}},
                      {"orphan-file", {}},
                      {"orphan-file", {}},
                      {"bad-document-name", {unsafe}},
                      {"never-backed-up", {looseFolder}},
                      {"shared-file", {first, second}},
                      {"lock-of-missing", {2, 9999, user}},
                      {"login-of-missing-user", {2, 999}},
                      {"stale-login", {3, user}},
                      {"membership-of-missing", {group, 777}},
                      {"right-of-missing", {3, 888}},
                      {"user-without-login", {nameless}},
                      {"library-record-missing", {4}},
                      {"administrator-missing", {}}};
    if (!root) expected.insert({"file-unreadable", {unreadable}});
    const CheckReport r = CheckLibrary(lib, {.deep = true});
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(Summary(r), expected);
    EXPECT_EQ(JsonSummary(RenderCheckJson(r)), expected);
    EXPECT_EQ(r.neverBackedUp, 1);
    EXPECT_EQ(r.orphanBytes, 10);

    const std::string text = RenderCheckText(r);
    EXPECT_NE(text.find(std::to_string(expected.size()) + " findings:"), std::string::npos) << text;
    EXPECT_NE(text.find("  File that no document names: 2\n"), std::string::npos) << text;
    EXPECT_NE(text.find("1 document is never backed up."), std::string::npos) << text;
    EXPECT_NE(text.find("Files that no document names: 2, 10 bytes in all."), std::string::npos) << text;
    for (const Finding& f : r.findings) EXPECT_NE(text.find("  " + DescribeFinding(f) + "\n"), std::string::npos);
    EXPECT_NE(text.find("document " + std::to_string(missing) + ": " + Path("00000001/gone.tif")), std::string::npos);
    EXPECT_NE(text.find(Path("00000009/lost.tif")), std::string::npos);

    // quick_check does not read the indexes against their tables.
    expected.erase(expected.find({"database-damaged", {}}));
    EXPECT_EQ(Summary(CheckLibrary(lib)), expected);
    if (!root) ::chmod(Path("00000001/locked.tif").c_str(), 0644);
}

TEST_F(LibraryCheckTest, NeverBackedUpIsWhatTheBackupWalkSkips)
{
    const auto topDrawer = builder.AddDrawer(0);       // a drawer at the top: itself a top node
    const auto deepDrawer = builder.AddDrawer(drawer); // a drawer below a drawer
    const auto topFolder = builder.AddFolder(0);       // any top node holds drawers for the walk
    const auto reachedViaFolder = builder.AddFolder(builder.AddDrawer(topFolder));
    builder.Lib().exec("INSERT INTO `level` (id, pid, `type`) VALUES (601, 603, 'D'), (602, 601, 'F'), "
                       "(603, 602, 'C'), (604, 9999, 'D'), (605, 604, 'F'), (606, 9998, 'F')");
    const std::map<std::int64_t, std::string> skipped = {
        {builder.AddFolder(topDrawer), "its drawer is not directly below a cabinet"},
        {builder.AddFolder(deepDrawer), "its drawer is not directly below a cabinet"},
        {builder.AddFolder(folder), "it is not directly below a drawer"},
        {602, "the folder is in a loop of the tree"},
        {605, "the parent 9999 of its drawer does not exist"},
        {606, "its parent 9998 does not exist"},
        {drawer, "node " + std::to_string(drawer) + " is a drawer, not a folder"},
        {777, "the folder does not exist"}};
    for (const auto& [id, why] : skipped) builder.AddDocument(id, Doc("in" + std::to_string(id) + ".tif"));
    builder.AddDocument(606, Doc("again606.tif"));
    builder.AddDocument(reachedViaFolder, Doc("reached.tif"));

    const CheckReport r = CheckLibrary(lib);
    std::map<std::int64_t, std::string> found;
    for (const Finding& f : r.findings) {
        ASSERT_EQ(f.kind, FindingKind::NeverBackedUp) << DescribeFinding(f);
        const std::string prefix = "folder " + std::to_string(f.ids.at(0)) + ", " + std::to_string(f.count) +
                                   (f.count == 1 ? " document: " : " documents: ");
        ASSERT_EQ(f.detail.rfind(prefix, 0), 0u) << f.detail;
        found[f.ids.at(0)] = f.detail.substr(prefix.size());
    }
    EXPECT_EQ(found, skipped);
    EXPECT_EQ(r.neverBackedUp, 9);
    EXPECT_EQ(r.Count(FindingKind::NeverBackedUp), 8);

    // The backup walk itself visits exactly the others.
    env.Activate(lib);
    env.app->state.gsBackupLibPath = (env.root / "backup").string();
    fs::create_directories(env.app->state.gsBackupLibPath);
    LibBackupRun run(*env.app, [](const std::string&) { return std::optional<std::uint64_t>(1ull << 40); });
    run.missingPath = MissingBackupPath::Create;
    ASSERT_TRUE(run.LibBackup(1));
    EXPECT_EQ(run.Totals().scan, r.documents - r.neverBackedUp);
}

TEST_F(LibraryCheckTest, EachStorageDirectoryIsMergedWithItsRows)
{
    // Row-less directories before, between and after the rows' locations,
    // a location below another, one that does not exist, and names that
    // sort around each other.
    for (const char* dir : {"0000", "00000001/sub", "00000001x", "zz"}) fs::create_directories(Path(dir));
    WriteFile(Path("0000/a"), "1");
    WriteFile(Path("00000001x/b"), "22");
    WriteFile(Path("zz/c"), "333");
    WriteFile(Path("00000001/sub/orphan"), "4444");
    builder.AddDocument(folder, Doc("n.tif", 10, "00000001/sub"));
    builder.AddDocument(folder, Doc("a.ti", 10));    // sorts before "a.tif"
    builder.AddDocument(folder, Doc("a.tif.1", 10)); // and after it
    const auto nowhere = NoFile(folder, "x.tif", "00000005");
    WriteFile(Path("00000001/a.tif0"), "55555");
    // A storage directory that is a link is followed; a link below one is not.
    fs::create_directories(env.root / "volume2");
    WriteFile(env.root / "volume2/v.tif", "on another volume");
    fs::create_directory_symlink(env.root / "volume2", Path("00000007"));
    NoFile(folder, "v.tif", "00000007");
    fs::create_directory_symlink("../00000002", Path("00000001/up"));
    const auto linked = NoFile(folder, "b.tif", "00000001/up");

    const CheckReport r = CheckLibrary(lib);
    EXPECT_TRUE(r.errors.empty());
    std::set<std::string> orphans;
    for (const Finding& f : r.findings)
        if (f.kind == FindingKind::OrphanFile) orphans.insert(f.path.substr(lib.size() + 1));
    // The link no document can use is an orphan too, of no size.
    EXPECT_EQ(orphans, (std::set<std::string>{"0000/a", "00000001x/b", "zz/c", "00000001/sub/orphan", "00000001/a.tif0",
                                              "00000001/up"}));
    EXPECT_EQ(r.orphanBytes, 15);
    EXPECT_EQ(Summary(r).count({"file-missing", {nowhere}}), 1u);
    EXPECT_EQ(Summary(r).count({"bad-document-name", {linked}}), 1u);
    EXPECT_EQ(r.findings.size(), 8u);
    EXPECT_EQ(r.storageDirs, 7); // the missing one is not listed
}

TEST_F(LibraryCheckTest, LoginsOlderThanTheGivenAgeAndDamageThatStopsTheCheck)
{
    builder.AddLogin(user, DaysAgo(10));
    builder.AddLogin(user, std::nullopt);
    EXPECT_EQ(CheckLibrary(lib).Count(FindingKind::StaleLogin), 1); // no time: no age to trust
    EXPECT_EQ(CheckLibrary(lib, {.staleDays = 5}).Count(FindingKind::StaleLogin), 2);

    // A control database that is no database: the library database is still checked.
    WriteFile(CtrlDatabaseFile(lib), std::string(4096, 'x'));
    NoFile(folder, "gone.tif");
    const CheckReport r = CheckLibrary(lib);
    EXPECT_EQ(r.Count(FindingKind::FileMissing), 1);
    EXPECT_EQ(r.Count(FindingKind::DatabaseDamaged), 1);
    EXPECT_EQ(r.errors, std::vector<std::string>{"Locks and logins: not checked without both databases"});
    fs::remove(LibDatabaseFile(lib));
    const CheckReport none = CheckLibrary(lib);
    ASSERT_TRUE(none.Failed());
    EXPECT_EQ(none.errors.front().rfind("LIB.MDE cannot be opened", 0), 0u);
    EXPECT_NE(RenderCheckText(none).find("Not checked, the report is incomplete"), std::string::npos);
    EXPECT_FALSE(nlohmann::json::parse(RenderCheckJson(none)).at("clean").get<bool>());
}

TEST_F(LibraryCheckTest, DocumentsAddedOrDeletedWhileTheCheckRunsAreNoFindings)
{
    // After the rows were read and before the directories are listed; and
    // in a directory that goes through the merge (it has a file no row
    // names), after the rows were copied and before the files are merged.
    for (const std::string moment : {"Checking files", "Reading documents"}) {
        SCOPED_TRACE(moment);
        const bool strays = moment == "Reading documents";
        if (strays) {
            for (const char* dir : {"00000001", "00000002"}) WriteFile(Path(dir + std::string("/stray")), "x");
            builder.AddDocument(folder, Doc("b.tif", 5, "00000002"));
        }
        bool changed = false;
        const auto change = [&](const std::string& stage, std::int64_t, std::int64_t) {
            if (stage != moment || changed) return;
            changed = true;
            builder.AddDocument(folder, Doc(strays ? "new2.tif" : "new.tif"));
            builder.Lib().exec("DELETE FROM `images` WHERE `filename` = 'b.tif'");
            fs::remove(Path("00000002/b.tif"));
        };
        const CheckReport r = CheckLibrary(lib, {}, change);
        ASSERT_TRUE(changed);
        EXPECT_TRUE(r.errors.empty()) << r.errors.front();
        EXPECT_EQ(r.findings.size(), strays ? 2u : 0u) << DescribeFinding(r.findings.front());
        EXPECT_EQ(r.Count(FindingKind::OrphanFile), strays ? 2 : 0);
    }
}

TEST_F(LibraryCheckTest, AStorageDirectoryGoesThroughTheMergeOnlyWhenItsListingDiffersFromItsRows)
{
    const auto empty = builder.AddDocument(folder, Doc("empty.tif", 0));
    const auto link = NoFile(folder, "link.tif");
    fs::create_symlink("a.tif", Path("00000001/link.tif"));
    const auto alsoEmpty = builder.AddDocument(folder, Doc("empty.tif", 0, "00000002"));
    const Found faults = {{"file-empty", {empty}}, {"file-not-plain", {link}}, {"file-empty", {alsoEmpty}}};
    for (const bool orphan : {false, true}) {
        SCOPED_TRACE(orphan ? "a file no row names: each fault told once" : "its files' faults, without the merge");
        Found expected = faults;
        if (orphan) {
            WriteFile(Path("00000001/stray.tif"), "x");
            expected.insert({"orphan-file", {}});
        }
        bool merged = false;
        const auto watch = [&](const std::string& stage, std::int64_t, std::int64_t) {
            merged |= stage == "Reading documents";
        };
        const CheckReport r = CheckLibrary(lib, {}, watch);
        EXPECT_EQ(Summary(r), expected);
        EXPECT_EQ(merged, orphan);
        // Merged or not, a directory's findings come in the order of its place.
        ASSERT_FALSE(r.findings.empty());
        EXPECT_EQ(r.findings.back().ids, std::vector<std::int64_t>{alsoEmpty});
    }
}

TEST_F(LibraryCheckTest, ADirectoryThatChangedBetweenItsListingAndItsLookupsGoesThroughTheMerge)
{
    // 00000001 is listed at its first row, a.tif, and holds a file no row
    // names; thousands of its rows later (without a file name), a
    // document's file comes: the same count of files, other names.
    WriteFile(Path("00000001/stray.tif"), "x");
    builder.Lib().exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 9000) "
                       "INSERT INTO `images` (`folder-id`, `filename`, `location`) SELECT " +
                       std::to_string(folder) + ", '', '00000001' FROM n");
    NoFile(folder, "late.tif");
    const auto watch = [&](const std::string& stage, std::int64_t done, std::int64_t) {
        // Rows go to the helpers in batches of 1,024, at most 4 waiting: by
        // now the first batch was looked at, and the late row is not sent.
        if (stage == "Checking files" && done == 8192) WriteFile(Path("00000001/late.tif"), "late");
    };
    const CheckReport r = CheckLibrary(lib, {}, watch);
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(r.Count(FindingKind::BadDocumentName), 9000);
    ASSERT_EQ(r.Count(FindingKind::OrphanFile), 1);
    for (const Finding& f : r.findings)
        if (f.kind == FindingKind::OrphanFile) {
            EXPECT_EQ(f.path, Path("00000001/stray.tif"));
        }
    EXPECT_EQ(r.findings.size(), 9001u);
}

TEST_F(LibraryCheckTest, EachNameThatLeadsToNoFileIsToldOnceWhetherItsDirectoryIsMergedOrNot)
{
    const std::string f = std::to_string(folder);
    builder.Lib().exec("INSERT INTO `images` (`folder-id`, `location`, `filename`) VALUES (" + f +
                       ", NULL, 'x.tif'), (" + f + ", '', 'x.tif'), (" + f + ", '../elsewhere', 'x.tif'), (" + f +
                       ", '00000001', NULL), (" + f + ", '00000001', '../b.tif'), (" + f + ", 3, 'c.tif')");
    fs::create_directories(Path("3"));
    WriteFile(Path("3/c.tif"), "a location stored as a number");
    // No location is not the library itself: what lies beside the storage
    // directories is no orphan, nor is a document there missing.
    WriteFile(Path("Vellarch.ini"), "[LIB]");
    const std::multiset<std::string> reasons = {"no location", "no location", "leads outside the library",
                                                "no file name", "leads outside the library"};
    for (const bool orphan : {false, true}) {
        SCOPED_TRACE(orphan ? "00000001 merged" : "nothing merged");
        if (orphan) WriteFile(Path("00000001/stray.tif"), "x");
        const CheckReport r = CheckLibrary(lib);
        std::multiset<std::string> found;
        for (const Finding& finding : r.findings)
            if (finding.kind == FindingKind::BadDocumentName)
                found.insert(finding.detail.substr(finding.detail.rfind(": ") + 2));
        EXPECT_EQ(found, reasons);
        EXPECT_EQ(r.findings.size(), reasons.size() + (orphan ? 1 : 0));
    }
}
