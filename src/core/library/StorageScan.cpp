#include "core/library/StorageScan.h"
#include "core/common/Directories.h"
#include "core/common/Text.h"

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
#include <system_error>

namespace {

constexpr std::int64_t kPageRows = 4096;
constexpr const char* kFilesPage = "SELECT location, filename, id FROM temp.check_files "
                                   "WHERE (location, filename, id) > (?1, ?2, ?3) "
                                   "ORDER BY location, filename, id LIMIT ?4";

// Every entry of the open directory `fd`, sorted by name; 0 or the errno.
template <typename Entry>
int ReadEntries(int fd, std::vector<Entry>& entries)
{
    const int error = ListDirectory(fd, [&](const char* name, unsigned char type) { entries.push_back({name, type}); });
    if (error != 0) return error;
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return 0;
}

std::string Bytes(std::int64_t size) { return CountOf(size, "byte"); }

} // namespace

StorageScan::StorageScan(CheckRun& run, const std::set<std::string>* only)
    : run_(run), dirs_(run.libPath, std::string()), only_(only)
{
}

StorageScan::~StorageScan()
{
    if (fd_ >= 0) ::close(fd_);
}

void StorageScan::Run()
{
    ListRoot();
    Row last{"", "", std::numeric_limits<std::int64_t>::min()};
    for (;;) {
        ResultSet page = run_.lib.Query(kFilesPage, {last.location, last.filename, last.id, kPageRows});
        for (; !page.Eof(); page.MoveNext()) {
            last = {page["location"].Text(), page["filename"].Text(), page["id"].Int()};
            Take(last);
        }
        if (page.RecordCount() < static_cast<std::size_t>(kPageRows)) break;
    }
    Group();
    Close();
    while (nextRoot_ < rootDirs_.size()) {
        Open(rootDirs_[nextRoot_++]);
        Close();
    }
}

// The directories directly below the library that no row may name: their
// files are orphans all the same.
void StorageScan::ListRoot()
{
    for (std::string& name : RootDirectories(run_.libPath))
        if (!only_ || only_->count(name) > 0) rootDirs_.push_back(std::move(name));
}

void StorageScan::Take(const Row& row)
{
    if (++rows_ % kPageRows == 0) run_.Progress("Checking files", rows_, run_.report.documents);
    if (const std::string bad = BadName(row); !bad.empty()) {
        run_.report.Add(BadNameFinding(row.id, row.location, row.filename, bad));
        return;
    }
    if (!open_ || row.location != location_) {
        Group();
        Close();
        // Directories below the library that come before this one, in order.
        for (; nextRoot_ < rootDirs_.size() && rootDirs_[nextRoot_] <= row.location; ++nextRoot_) {
            if (rootDirs_[nextRoot_] == row.location) continue;
            Open(rootDirs_[nextRoot_]);
            Close();
        }
        Open(row.location);
    }
    if (!group_.empty() && group_.back().filename != row.filename) Group();
    group_.push_back(row);
}

std::string StorageScan::BadName(const Row& row)
{
    if (judged_ != row.location) {
        judged_ = row.location;
        locationFault_ = LocationFault(dirs_, row.location);
    }
    return NameFault(locationFault_, row.filename);
}

void StorageScan::Open(const std::string& location)
{
    location_ = location;
    open_ = true;
    listError_ = 0;
    next_ = 0;
    fd_ = ::open(Path("").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    listError_ = fd_ < 0 ? errno : ReadEntries(fd_, entries_);
    if (listError_ == 0) ++run_.report.storageDirs;
}

void StorageScan::Close()
{
    if (!open_) return;
    for (const Entry& e : entries_)
        if (!e.named) Orphan(e);
    entries_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    open_ = false;
}

// The rows naming one file: each row's file is checked, and more than one
// row is a finding of its own.
void StorageScan::Group()
{
    if (group_.empty()) return;
    const std::string& name = group_.front().filename;
    while (next_ < entries_.size() && entries_[next_].name < name) ++next_;
    Entry* entry = next_ < entries_.size() && entries_[next_].name == name ? &entries_[next_] : nullptr;
    if (entry) entry->named = true;
    for (const Row& row : group_) CheckFile(row.id, name, entry);
    if (group_.size() > 1) {
        std::vector<std::int64_t> ids;
        std::string detail = "documents";
        for (const Row& row : group_) {
            detail += (ids.empty() ? " " : ", ") + std::to_string(row.id);
            ids.push_back(row.id);
        }
        run_.report.Add({FindingKind::SharedFile, ids, {}, Path(name), detail});
    }
    group_.clear();
}

void StorageScan::CheckFile(std::int64_t id, const std::string& name, const Entry* entry)
{
    const auto add = [&](const FileFault& fault) { run_.report.Add(FileFinding(id, Path(name), fault)); };
    if (listError_ != 0) return add(DirectoryFault(listError_));
    if (!entry) return add({FindingKind::FileMissing, ""});
    if (entry->type == DT_DIR) return add({FindingKind::FileNotPlain, "a directory"});
    if (entry->type == DT_LNK) return add({FindingKind::FileNotPlain, "a link"});
    struct stat st {};
    if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return add({errno == ENOENT ? FindingKind::FileMissing : FindingKind::FileUnreadable,
                    errno == ENOENT ? "" : std::strerror(errno)});
    if (const auto fault = StatFault(fd_, name, st)) add(*fault);
}

void StorageScan::Orphan(const Entry& entry)
{
    if (entry.type == DT_DIR) return;
    struct stat st {};
    if (::fstatat(fd_, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) return;
    const std::string what = S_ISREG(st.st_mode) ? "file of " + Bytes(st.st_size) : NotPlain(st.st_mode);
    const std::int64_t bytes = S_ISREG(st.st_mode) ? st.st_size : 0;
    run_.report.Add({FindingKind::OrphanFile, {}, {entry.name}, Path(entry.name), what, bytes});
}

std::string StorageScan::Path(const std::string& name) const
{
    return name.empty() ? run_.libPath + "/" + location_ : run_.DocumentPath(location_, name);
}
