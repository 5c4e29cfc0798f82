// The documents: folders the backup walk never reaches, then the files
// themselves: all of them by StorageTally, and the directories it leaves
// by StorageScan. For those, the rows are copied page by page, inside
// SQLite, into a temporary table of the check's own connection, sorted by
// location and name.
#include "core/common/Text.h"
#include "core/data/ReadStretch.h"
#include "core/library/CheckRun.h"
#include "core/library/LevelTree.h"
#include "core/library/StorageScan.h"
#include "core/library/StorageTally.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <set>

namespace {

constexpr std::int64_t kPageRows = 4096;
constexpr const char* kCreateFiles = "CREATE TEMP TABLE check_files (location TEXT NOT NULL, filename TEXT NOT NULL, "
                                     "id INTEGER NOT NULL, PRIMARY KEY (location, filename, id)) WITHOUT ROWID";
constexpr const char* kCreateDirs = "CREATE TEMP TABLE check_dirs (location TEXT PRIMARY KEY) WITHOUT ROWID";
constexpr const char* kAddDir = "INSERT INTO temp.check_dirs (location) VALUES (?)";
constexpr const char* kPageEnd =
    "SELECT count(*) AS n, max(id) AS last FROM (SELECT id FROM main.`images` WHERE id > ?1 ORDER BY id LIMIT ?2)";
constexpr const char* kAddedSince =
    "SELECT id, `location`, `filename` FROM `images` WHERE id > ?1 ORDER BY id LIMIT ?2";
constexpr const char* kFolders = "SELECT `folder-id` AS folder, count(*) AS n FROM `images` WHERE `folder-id` > ?1 "
                                 "GROUP BY `folder-id` ORDER BY `folder-id` LIMIT ?2";

std::string Normal(const std::string& path) { return std::filesystem::path(path).lexically_normal().string(); }

bool IsFileFinding(FindingKind kind)
{
    return kind == FindingKind::FileMissing || kind == FindingKind::FileNotPlain ||
           kind == FindingKind::FileUnreadable || kind == FindingKind::FileEmpty;
}

// Copies the rows of the directories the tally left (of all, when it left
// all) into check_files, a page at a time, each in a read transaction of
// its own.
void CopyRows(CheckRun& run, const StorageTally& tally)
{
    run.lib.Execute(kCreateFiles, {});
    run.lib.Execute(kCreateDirs, {});
    for (const std::string& location : tally.Left()) run.lib.Execute(kAddDir, {location});
    // A page is a stretch of ids, of which the rows of the directories left are copied.
    const std::string copy = std::string("INSERT INTO temp.check_files (location, filename, id) SELECT ") +
                             kNormalLocation + ", coalesce(`filename`, ''), id FROM main.`images` " +
                             "WHERE id > ?1 AND id <= ?2 AND (?3 OR " + kNormalLocation + " IN temp.check_dirs)";
    std::int64_t last = std::numeric_limits<std::int64_t>::min(), read = 0;
    for (std::int64_t copied = kPageRows; copied == kPageRows;) {
        ReadStretch stretch(run.lib);
        stretch.Begin();
        const ResultSet end = run.lib.Query(kPageEnd, {last, kPageRows});
        copied = end["n"].Int();
        if (copied > 0) {
            run.lib.Execute(copy, {last, end["last"].Int(), tally.LeavesAll()});
            last = end["last"].Int();
        }
        stretch.End();
        read += copied;
        run.Progress("Reading documents", read, run.report.documents);
    }
}

// Clients go on working while the check runs: a file whose row came after
// the copy is no orphan, and a document deleted since has no missing file.
void DropChangedSince(CheckRun& run, std::int64_t last)
{
    std::set<std::string> added;
    ReadInPages(
        run.lib, kAddedSince, "id",
        [&](const ResultSet& row) {
            added.insert(Normal(run.DocumentPath(row["location"].Text(), row["filename"].Text())));
        },
        last);
    std::set<std::int64_t> gone;
    ReadStretch stretch(run.lib);
    for (const Finding& f : run.report.findings) {
        if (!IsFileFinding(f.kind)) continue;
        stretch.Begin();
        if (run.lib.Query("SELECT count(*) AS n FROM `images` WHERE id = ?", {f.ids.at(0)})["n"].Int() == 0)
            gone.insert(f.ids.at(0));
        if (stretch.Expired()) stretch.End();
    }
    stretch.End();
    run.report.Drop([&](const Finding& f) {
        if (f.kind == FindingKind::OrphanFile) return added.count(Normal(f.path)) > 0;
        return IsFileFinding(f.kind) && gone.count(f.ids.at(0)) > 0;
    });
}

// The files' findings from the tally and from the merge, as one list in the
// order of their paths.
void InPathOrder(CheckRun& run, std::size_t first)
{
    auto& findings = run.report.findings;
    std::vector<std::pair<std::string, Finding>> keyed;
    for (auto f = findings.begin() + static_cast<std::ptrdiff_t>(first); f != findings.end(); ++f) {
        std::string key =
            f->path.empty() && f->names.size() == 2 ? run.DocumentPath(f->names[0], f->names[1]) : f->path;
        keyed.emplace_back(std::move(key), std::move(*f));
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    findings.resize(first);
    for (auto& [key, finding] : keyed) findings.push_back(std::move(finding));
}

// The documents of each folder, counted from the folder index, against the tree.
void ReportUnreached(CheckRun& run, const LevelTree& tree)
{
    ReadInPages(run.lib, kFolders, "folder", [&](const ResultSet& row) {
        const std::int64_t folder = row["folder"].Int(), documents = row["n"].Int();
        const std::string why = tree.Unreached(folder);
        if (why.empty()) return;
        run.report.Add({FindingKind::NeverBackedUp,
                        {folder},
                        {},
                        {},
                        "folder " + std::to_string(folder) + ", " + CountOf(documents, "document") + ": " + why,
                        documents});
    });
}

} // namespace

void CheckDocuments(CheckRun& run)
{
    run.Progress("Reading the tree", 0, 0);
    LevelTree tree;
    tree.Read(run.lib);
    ReportUnreached(run, tree);
    const std::size_t first = run.report.findings.size();
    StorageTally tally(run);
    const std::int64_t last = tally.Run();
    if (tally.LeavesAll() || !tally.Left().empty()) {
        CopyRows(run, tally);
        StorageScan(run, tally.LeavesAll() ? nullptr : &tally.Left()).Run();
    }
    InPathOrder(run, first);
    DropChangedSince(run, last);
}
