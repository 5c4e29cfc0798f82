// The documents of the backup's own LIB.MDE copy that the walk reaches,
// read in pages by id. Those the manifest lists are looked at with the
// manifest's files, and those it owes are listed as owed; the rest must
// have their file in the backup: made before the manifest, they have no
// entry yet. A document that fails the row part of the change test is not
// copied by an incremental run, so its file may be absent.
#include "core/backup/BackupFiles.h"
#include "core/backup/DocumentRows.h"
#include "core/backup/VerifyRun.h"
#include "core/library/CheckRun.h"
#include "core/library/DocumentPath.h"
#include "core/library/LevelTree.h"

#include <unordered_map>

namespace {

// With the manifest attached, whether it lists the file or owes the
// document. The run names a file by its path relative to the backup, where
// doubled and trailing slashes of a location are gone.
const std::string kDocumentsWithManifest =
    std::string("SELECT i.id AS id, i.`folder-id` AS folder, i.`location` AS location, i.`filename` AS filename, ") +
    kDueWhenChangedSql +
    " AS due, "
    "EXISTS (SELECT 1 FROM m.files AS f WHERE f.path = rtrim(replace(replace(replace(i.`location`, '//', '/'), "
    "'//', '/'), '//', '/'), '/') || '/' || i.`filename`) AS listed, "
    "EXISTS (SELECT 1 FROM m.owed AS o WHERE o.id = i.id) AS owed "
    "FROM main.`images` AS i WHERE i.id > ?1 ORDER BY i.id LIMIT ?2";
const std::string kDocuments = std::string("SELECT id, `folder-id` AS folder, `location` AS location, ") +
                               "`filename` AS filename, " + kDueWhenChangedSql +
                               " AS due, 0 AS listed, 0 AS owed FROM `images` WHERE id > ?1 ORDER BY id LIMIT ?2";

class DocumentPass {
public:
    explicit DocumentPass(VerifyRun& run) : run_(run), files_(run.backup) { tree_.Read(run.lib); }

    void Visit(const ResultSet& row)
    {
        if (!Reached(row["folder"].Int())) return;
        ++run_.report.documents;
        if (run_.report.documents % 4096 == 0) run_.Progress("Documents", run_.report.documents, 0);
        const std::string location = row["location"].Text(), filename = row["filename"].Text();
        if (!IsSafeDocumentPath(location, filename)) {
            ++run_.report.unusableNames; // the library check names them
            return;
        }
        if (row["listed"].Int() != 0 || row["owed"].Int() != 0) return;
        const std::string path = location + "/" + filename;
        const BackupFileState state = files_.Look(path);
        const std::int64_t id = row["id"].Int();
        switch (state.is) {
        case BackupFileState::Is::Plain:
            ++run_.report.noEntryYet;
            break;
        case BackupFileState::Is::Missing:
            if (row["due"].Int() == 0) {
                ++run_.report.notDue;
                break;
            }
            if (run_.libByRun) {
                ++run_.report.leftByRun;
                break;
            }
            run_.report.Add({VerifyKind::DocumentMissing, id, path, "no file in the backup"});
            break;
        case BackupFileState::Is::NotPlain:
            run_.report.Add({VerifyKind::FileNotPlain, id, path, "a directory, a link or a special file"});
            break;
        case BackupFileState::Is::Unreadable:
            run_.report.Add({VerifyKind::FileUnreadable, id, path, state.error});
            break;
        }
    }

private:
    bool Reached(std::int64_t folder)
    {
        const auto known = reached_.find(folder);
        if (known != reached_.end()) return known->second;
        return reached_[folder] = tree_.Unreached(folder).empty();
    }

    VerifyRun& run_;
    BackupFiles files_;
    LevelTree tree_;
    std::unordered_map<std::int64_t, bool> reached_;
};

} // namespace

void VerifyDocuments(VerifyRun& run)
{
    run.Progress("Reading the tree", 0, 0);
    DocumentPass pass(run);
    if (!run.attach.empty()) run.lib.Execute("ATTACH DATABASE ? AS m", {run.attach});
    ReadInPages(run.lib, run.attach.empty() ? kDocuments : kDocumentsWithManifest, "id",
                [&](const ResultSet& row) { pass.Visit(row); });
}
