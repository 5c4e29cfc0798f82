#include "core/library/StorageTally.h"

#include "core/common/BatchWorker.h"
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

// The names in the open directory `fd` other than directories; false when
// it cannot be listed.
bool ListNames(int fd, NameSums& names)
{
    const int copy = ::dup(fd);
    DIR* dir = copy < 0 ? nullptr : ::fdopendir(copy);
    if (!dir) {
        if (copy >= 0) ::close(copy);
        return false;
    }
    errno = 0;
    while (const dirent* d = ::readdir(dir)) {
        struct stat st {};
        const bool isDir = d->d_type == DT_DIR ||
                           (d->d_type == DT_UNKNOWN &&
                            ::fstatat(::dirfd(dir), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode));
        if (!isDir) names.Add(d->d_name);
        errno = 0;
    }
    const bool listed = errno == 0;
    ::closedir(dir);
    return listed;
}

} // namespace

StorageTally::StorageTally(CheckRun& run) : run_(run), documentDirs_(run.libPath, std::string()) {}

StorageTally::~StorageTally()
{
    if (fd_ >= 0) ::close(fd_);
}

// The rows are read on this thread while a helper looks at their files.
std::int64_t StorageTally::Run()
{
    total_ = run_.lib.Query("SELECT count(*) AS n FROM `images`", {})["n"].Int();
    const std::string sql = std::string("SELECT id, ") + kNormalLocation +
                            " AS location, coalesce(`filename`, '') AS filename FROM `images` WHERE id > ?1 "
                            "ORDER BY id LIMIT ?2";
    std::int64_t last = std::numeric_limits<std::int64_t>::min(), rows = 0;
    {
        BatchWorker<Row> helper([this](Row& row) { Take(row); }, kWaitingBatches);
        std::vector<Row> batch;
        ReadInPages(run_.lib, sql, "id", [&](const ResultSet& page) {
            last = page["id"].Int();
            batch.push_back({last, page["location"].Text(), page["filename"].Text()});
            if (batch.size() == kBatchRows) helper.Put(std::exchange(batch, {}));
            if (++rows % kProgressRows == 0) run_.Progress("Checking files", rows, total_);
        });
        helper.Put(std::move(batch));
        helper.Finish();
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    run_.report.documents += rows;
    run_.Progress("Checking files", rows, total_);
    if (!all_) Judge();
    return last;
}

void StorageTally::Take(const Row& row)
{
    if (all_) return;
    Directory& dir = Enter(row.location);
    if (all_) return;
    if (const std::string bad = NameFault(dir.fault, row.filename); !bad.empty())
        dir.findings.push_back(BadNameFinding(row.id, row.location, row.filename, bad));
    else
        Look(dir, row.location, row.filename, row.id);
}

// The location's directory, opened for lookups when it is good.
StorageTally::Directory& StorageTally::Enter(const std::string& location)
{
    if (current_ && location == location_) return *current_;
    auto it = dirs_.find(location);
    const bool first = it == dirs_.end();
    if (first) {
        if (dirs_.size() >= kMostDirectories) all_ = true;
        it = dirs_.emplace(location, Directory{}).first;
        it->second.fault = LocationFault(documentDirs_, location);
    }
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    Directory& dir = it->second;
    if (dir.fault.empty()) {
        fd_ = ::open((run_.libPath + "/" + location).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const int error = fd_ < 0 ? errno : 0;
        if (first) dir.openError = error;
        // Listed before its rows' files are looked up: whatever changes in
        // between makes the two differ.
        if (first && error == 0 && !ListNames(fd_, dir.listed)) dir.unsure = true;
        // It could be opened once and not again, or the other way round.
        if (error != dir.openError) dir.unsure = true;
    }
    location_ = location;
    current_ = &dir;
    return dir;
}

void StorageTally::Look(Directory& dir, const std::string& location, const std::string& name, std::int64_t id)
{
    struct stat st {};
    // A file not there, or a directory, may be named by more rows than one,
    // which no sum tells: the merge decides.
    if (dir.openError != 0 || ::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) {
        dir.unsure = true;
        return;
    }
    dir.found.Add(name);
    if (const auto fault = StatFault(fd_, name, st))
        dir.findings.push_back(FileFinding(id, run_.DocumentPath(location, name), *fault));
}

void StorageTally::Judge()
{
    for (const auto& [location, dir] : dirs_) {
        if (!dir.fault.empty()) continue;
        if (dir.unsure || !(dir.listed == dir.found))
            left_.insert(location);
        else
            ++run_.report.storageDirs;
    }
    // Directories below the library that no good location names hold no file.
    for (const std::string& root : RootDirectories(run_.libPath)) {
        if (const auto it = dirs_.find(root); it != dirs_.end() && it->second.fault.empty()) continue;
        NameSums listed;
        const int fd = ::open((run_.libPath + "/" + root).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0 && ListNames(fd, listed) && listed.count == 0)
            ++run_.report.storageDirs;
        else
            left_.insert(root);
        if (fd >= 0) ::close(fd);
    }
    for (auto& [location, dir] : dirs_)
        if (left_.count(location) == 0)
            for (Finding& finding : dir.findings) run_.report.Add(std::move(finding));
}
