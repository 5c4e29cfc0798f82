#include "core/library/StorageTally.h"

#include "core/common/BatchWorker.h"
#include "core/common/Directories.h"
#include "core/library/CheckRun.h"
#include "core/library/FileFindings.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace {

// Enough for the storage directories of any library; beyond, the merge.
constexpr std::size_t kMostDirectories = 65536;
constexpr std::int64_t kProgressRows = 4096;
constexpr std::size_t kBatchRows = 1024, kWaitingBatches = 4;
// The lookups are the longer part: two helpers beside the reading.
constexpr std::size_t kHelpers = 2;

// The names in the open directory `fd` other than directories; false when
// it cannot be listed.
bool ListNames(int fd, NameSums& names)
{
    return ListDirectory(fd, [&](const char* name, unsigned char type) {
               if (type != DT_DIR) names.Add(name);
           }) == 0;
}

} // namespace

StorageTally::StorageTally(CheckRun& run) : run_(run)
{
    for (std::size_t i = 0; i < kHelpers; ++i) shares_.push_back(std::make_unique<Share>(run.libPath));
}

StorageTally::~StorageTally() = default;

StorageTally::Share::~Share()
{
    if (fd >= 0) ::close(fd);
}

std::size_t StorageTally::ShareOf(const std::string& location) const
{
    return std::hash<std::string>{}(location) % shares_.size();
}

// The rows are read on this thread while the helpers look at their files,
// each at those of its own directories.
std::int64_t StorageTally::Run()
{
    const std::int64_t total = run_.lib.Query("SELECT count(*) AS n FROM `images`", {})["n"].Int();
    const std::string sql = std::string("SELECT id, ") + kNormalLocation +
                            " AS location, coalesce(`filename`, '') AS filename FROM `images` WHERE id > ?1 "
                            "ORDER BY id LIMIT ?2";
    std::int64_t last = std::numeric_limits<std::int64_t>::min(), rows = 0;
    {
        std::vector<std::unique_ptr<BatchWorker<Row>>> helpers;
        for (auto& share : shares_)
            helpers.push_back(std::make_unique<BatchWorker<Row>>([this, s = share.get()](Row& row) { Take(*s, row); },
                                                                 kWaitingBatches));
        std::vector<std::vector<Row>> batches(shares_.size());
        ReadInPages(run_.lib, sql, "id", [&](const ResultSet& page) {
            last = page["id"].Int();
            Row row{last, page["location"].Text(), page["filename"].Text()};
            const std::size_t to = ShareOf(row.location);
            batches[to].push_back(std::move(row));
            if (batches[to].size() == kBatchRows) helpers[to]->Put(std::exchange(batches[to], {}));
            if (++rows % kProgressRows == 0) run_.Progress("Checking files", rows, total);
        });
        for (std::size_t i = 0; i < helpers.size(); ++i) helpers[i]->Put(std::move(batches[i]));
        for (auto& helper : helpers) helper->Finish();
    }
    for (auto& share : shares_) {
        if (share->fd >= 0) ::close(share->fd);
        share->fd = -1;
        all_ |= share->full;
    }
    run_.report.documents += rows;
    run_.Progress("Checking files", rows, total);
    if (!all_) Judge();
    return last;
}

void StorageTally::Take(Share& share, const Row& row)
{
    if (share.full) return;
    Directory& dir = Enter(share, row.location);
    if (share.full) return;
    if (const std::string bad = NameFault(dir.fault, row.filename); !bad.empty())
        dir.findings.push_back(BadNameFinding(row.id, row.location, row.filename, bad));
    else
        Look(share, dir, row);
}

// The location's directory, opened for lookups when it is good.
StorageTally::Directory& StorageTally::Enter(Share& share, const std::string& location)
{
    if (share.current && location == share.location) return *share.current;
    auto it = share.dirs.find(location);
    const bool first = it == share.dirs.end();
    if (first) {
        if (share.dirs.size() >= kMostDirectories / kHelpers) share.full = true;
        it = share.dirs.emplace(location, Directory{}).first;
        it->second.fault = LocationFault(share.documentDirs, location);
    }
    if (share.fd >= 0) ::close(share.fd);
    share.fd = -1;
    Directory& dir = it->second;
    if (dir.fault.empty()) {
        // A directory that cannot be opened, even once, is the merge's to tell.
        share.fd = ::open((run_.libPath + "/" + location).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (share.fd < 0) dir.unsure = true;
        // Listed before its rows' files are looked up: whatever changes in
        // between makes the two differ.
        else if (first && !ListNames(share.fd, dir.listed))
            dir.unsure = true;
    }
    share.location = location;
    share.current = &dir;
    return dir;
}

void StorageTally::Look(Share& share, Directory& dir, const Row& row)
{
    struct stat st {};
    // A file not there, or a directory, may be named by more rows than one,
    // which no sum tells: the merge decides.
    if (share.fd < 0 || ::fstatat(share.fd, row.filename.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        S_ISDIR(st.st_mode)) {
        dir.unsure = true;
        return;
    }
    dir.found.Add(row.filename);
    if (const auto fault = StatFault(share.fd, row.filename, st))
        dir.findings.push_back(FileFinding(row.id, run_.DocumentPath(row.location, row.filename), *fault));
}

void StorageTally::Judge()
{
    std::map<std::string, Directory*> dirs; // of every share, in the report's order
    for (auto& share : shares_)
        for (auto& [location, dir] : share->dirs) dirs.emplace(location, &dir);
    for (const auto& [location, dir] : dirs) {
        if (!dir->fault.empty()) continue;
        if (dir->unsure || !(dir->listed == dir->found))
            left_.insert(location);
        else
            ++run_.report.storageDirs;
    }
    // Directories below the library that no good location names hold no file.
    for (const std::string& root : RootDirectories(run_.libPath)) {
        if (const auto it = dirs.find(root); it != dirs.end() && it->second->fault.empty()) continue;
        NameSums listed;
        const int fd = ::open((run_.libPath + "/" + root).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 && ListNames(fd, listed) && listed.count == 0)
            ++run_.report.storageDirs;
        else
            left_.insert(root);
        if (fd >= 0) ::close(fd);
    }
    for (auto& [location, dir] : dirs)
        if (left_.count(location) == 0)
            for (Finding& finding : dir->findings) run_.report.Add(std::move(finding));
}
