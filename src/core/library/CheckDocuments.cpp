// The documents: folders the backup walk never reaches, then the files
// themselves (StorageScan). The rows are copied page by page, inside
// SQLite, into a temporary table of the check's own connection, sorted by
// location and name; a location's spellings with doubled or trailing
// slashes are one directory there.
#include "core/data/ReadStretch.h"
#include "core/library/CheckRun.h"
#include "core/library/LevelTree.h"
#include "core/library/StorageScan.h"

#include <limits>

namespace {

constexpr std::int64_t kPageRows = 4096;
constexpr const char* kCreateFiles = "CREATE TEMP TABLE check_files (location TEXT NOT NULL, filename TEXT NOT NULL, "
                                     "id INTEGER NOT NULL, PRIMARY KEY (location, filename, id)) WITHOUT ROWID";
constexpr const char* kCopyFiles =
    "INSERT INTO temp.check_files (location, filename, id) "
    "SELECT rtrim(replace(replace(replace(coalesce(`location`, ''), '//', '/'), '//', '/'), '//', '/'), '/'), "
    "coalesce(`filename`, ''), id FROM main.`images` WHERE id > ?1 ORDER BY id LIMIT ?2";
constexpr const char* kPageEnd =
    "SELECT count(*) AS n, max(id) AS last FROM (SELECT id FROM main.`images` WHERE id > ?1 ORDER BY id LIMIT ?2)";
constexpr const char* kFolders = "SELECT `folder-id` AS folder, count(*) AS n FROM `images` WHERE `folder-id` > ?1 "
                                 "GROUP BY `folder-id` ORDER BY `folder-id` LIMIT ?2";

// Copies every row of `images` into check_files.
void CopyRows(CheckRun& run)
{
    const std::int64_t total = run.lib.Query("SELECT count(*) AS n FROM `images`", {})["n"].Int();
    run.lib.Execute(kCreateFiles, {});
    ReadStretch stretch(run.lib);
    for (std::int64_t last = std::numeric_limits<std::int64_t>::min();;) {
        stretch.Begin();
        const ResultSet end = run.lib.Query(kPageEnd, {last, kPageRows});
        run.lib.Execute(kCopyFiles, {last, kPageRows});
        if (stretch.Expired()) stretch.End();
        run.report.documents += end["n"].Int();
        run.Progress("Reading documents", run.report.documents, total);
        if (end["n"].Int() < kPageRows) break;
        last = end["last"].Int();
    }
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
                        "folder " + std::to_string(folder) + ", " + std::to_string(documents) + " documents: " + why,
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
    CopyRows(run);
    StorageScan(run).Run();
}
