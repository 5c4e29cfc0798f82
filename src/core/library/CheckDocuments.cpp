// The documents: names that lead to no usable file, folders the backup walk
// never reaches, and then the files themselves (StorageScan). One pass over
// `images`; the rows whose names lead to a file go into a temporary table of
// the check's own connection, sorted by location and name.
#include "core/backup/DocumentDirs.h"
#include "core/library/CheckRun.h"
#include "core/library/DocumentPath.h"
#include "core/library/LevelTree.h"
#include "core/library/StorageScan.h"

#include <map>

namespace {

constexpr const char* kCreateFiles = "CREATE TEMP TABLE check_files (location TEXT NOT NULL, filename TEXT NOT NULL, "
                                     "id INTEGER NOT NULL, PRIMARY KEY (location, filename, id)) WITHOUT ROWID";
constexpr const char* kAddFile = "INSERT INTO temp.check_files (location, filename, id) VALUES (?, ?, ?)";
constexpr const char* kDocuments = "SELECT id, `folder-id`, `location`, `filename` FROM `images` "
                                   "WHERE id > ?1 ORDER BY id LIMIT ?2";

// "a//b/" and "a/b" are one directory.
std::string NormalLocation(const std::string& location)
{
    std::string normal;
    for (std::size_t start = 0; start <= location.size();) {
        std::size_t end = location.find('/', start);
        if (end == std::string::npos) end = location.size();
        if (end > start) normal += (normal.empty() ? "" : "/") + location.substr(start, end - start);
        start = end + 1;
    }
    return normal;
}

class DocumentPass {
public:
    explicit DocumentPass(CheckRun& run) : run_(run), dirs_(run.libPath, std::string()) {}

    void Run();

private:
    void Row(const ResultSet& row);
    // Why the names lead to no usable file; empty when they do.
    std::string BadName(const std::string& location, const std::string& filename);
    void CountReach(std::int64_t folderId);
    void ReportUnreached();

    CheckRun& run_;
    DocumentDirs dirs_;
    LevelTree tree_;
    std::int64_t total_ = 0;
    std::unordered_map<std::int64_t, std::string> reasons_; // by folder; empty when reached
    std::map<std::int64_t, std::int64_t> unreached_;        // documents by folder
};

void DocumentPass::Run()
{
    run_.Progress("Reading the tree", 0, 0);
    tree_.Read(run_.lib);
    total_ = run_.lib.Query("SELECT count(*) AS n FROM `images`", {})["n"].Int();
    run_.lib.Execute(kCreateFiles, {});
    ReadInPages(run_.lib, kDocuments, "id", [this](const ResultSet& row) { Row(row); });
    ReportUnreached();
}

void DocumentPass::Row(const ResultSet& row)
{
    const std::int64_t id = row["id"].Int();
    const std::string location = row["location"].Text(), filename = row["filename"].Text();
    if (++run_.report.documents % 4096 == 0) run_.Progress("Reading documents", run_.report.documents, total_);
    CountReach(row["folder-id"].Int());
    const std::string bad = BadName(location, filename);
    if (bad.empty()) {
        run_.lib.Execute(kAddFile, {NormalLocation(location), filename, id});
        return;
    }
    run_.report.Add(
        {FindingKind::BadDocumentName,
         {id},
         {location, filename},
         {},
         "document " + std::to_string(id) + ", location '" + location + "', file name '" + filename + "': " + bad});
}

std::string DocumentPass::BadName(const std::string& location, const std::string& filename)
{
    if (location.empty() || filename.empty()) return location.empty() ? "no location" : "no file name";
    if (!IsSafeDocumentPath(location, filename))
        return IsControlLocation(location) ? "in the control directory" : "leads outside the library";
    if (!dirs_.SourceReachable(location)) return "reached through a link";
    return {};
}

void DocumentPass::CountReach(std::int64_t folderId)
{
    auto it = reasons_.find(folderId);
    if (it == reasons_.end()) it = reasons_.emplace(folderId, tree_.Unreached(folderId)).first;
    if (!it->second.empty()) ++unreached_[folderId];
}

void DocumentPass::ReportUnreached()
{
    for (const auto& [folder, documents] : unreached_)
        run_.report.Add({FindingKind::NeverBackedUp,
                         {folder},
                         {},
                         {},
                         "folder " + std::to_string(folder) + ", " + std::to_string(documents) +
                             " documents: " + reasons_.at(folder),
                         documents});
}

} // namespace

void CheckDocuments(CheckRun& run)
{
    DocumentPass(run).Run();
    StorageScan(run).Run();
}
