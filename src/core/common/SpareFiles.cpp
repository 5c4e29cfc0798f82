#include "core/common/SpareFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <utility>

namespace fs = std::filesystem;

namespace {

// Only what a copy of this program would be: a plain file of this user,
// readable by no more than 0644 allows, with no other name.
bool Reusable(const struct stat& st, uid_t user)
{
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == user && (st.st_mode & 07777 & ~0644) == 0;
}

std::int64_t Blocks(std::int64_t size)
{
    constexpr std::int64_t kBlock = 4096;
    return (size + kBlock - 1) / kBlock;
}

} // namespace

SpareFiles::SpareFiles(std::size_t capacity, std::int64_t maxBytes)
    : capacity_(capacity), maxBytes_(maxBytes), user_(::geteuid()),
      run_(std::to_string(::getpid()) + "-" +
           std::to_string(std::chrono::system_clock::now().time_since_epoch().count())),
      deleter_([this] { Deleting(); })
{
}

SpareFiles::~SpareFiles() { Finish(); }

bool SpareFiles::Finish()
{
    if (!deleter_.joinable()) return !deleteFailed_;
    {
        std::lock_guard lock(mutex_);
        for (auto& [key, s] : spares_) doomed_.push_back(std::move(s.path));
        spares_.clear();
        bytes_ = 0;
        closing_ = true;
    }
    deletable_.notify_all();
    deleter_.join();
    return !deleteFailed_;
}

bool SpareFiles::IsSpareName(const std::string& name) { return name.starts_with(kSparePrefix); }

void SpareFiles::Adopt(const fs::path& path)
{
    struct stat st {};
    if (!IsSpareName(path.filename().string()) || ::lstat(path.c_str(), &st) != 0 || !Reusable(st, user_)) return;
    Add(path, st);
}

bool SpareFiles::Release(std::vector<Taken>& kept)
{
    {
        std::lock_guard lock(mutex_);
        for (auto& [key, s] : spares_) kept.push_back({std::move(s.path), s.size});
        spares_.clear();
        bytes_ = 0;
    }
    return Finish();
}

void SpareFiles::Delete(fs::path path)
{
    {
        std::lock_guard lock(mutex_);
        doomed_.push_back(std::move(path));
    }
    deletable_.notify_all();
}

void SpareFiles::Deleting()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        deletable_.wait(lock, [this] { return closing_ || !doomed_.empty(); });
        if (doomed_.empty()) return;
        const fs::path path = std::move(doomed_.front());
        doomed_.pop_front();
        lock.unlock();
        const bool failed = ::unlink(path.c_str()) != 0 && errno != ENOENT;
        lock.lock();
        deleteFailed_ = deleteFailed_ || failed;
    }
}

fs::path SpareFiles::NewName(const fs::path& dir)
{
    std::lock_guard lock(mutex_);
    return dir / (std::string(kSparePrefix) + run_ + "-" + std::to_string(next_++));
}

std::optional<dev_t> SpareFiles::DeviceOf(const std::string& dir)
{
    const auto known = devices_.find(dir);
    if (known != devices_.end()) return known->second;
    struct stat st {};
    std::optional<dev_t> device;
    if (::stat(dir.c_str(), &st) == 0) device = st.st_dev;
    return devices_[dir] = device;
}

SpareFiles::Taken SpareFiles::TakeFor(const fs::path& dir, std::int64_t size)
{
    std::lock_guard lock(mutex_);
    // The spare with the most blocks that the copy fills at least, one
    // already in `dir` first: cutting a copy to length inside its last
    // block gives nothing back, so nothing waits; a swap within one
    // directory changes one directory instead of two.
    if (spares_.empty()) return {};
    const std::string& here = dir.native();
    const std::optional<dev_t> device = DeviceOf(here);
    if (!device) return {};
    // Those of other file systems are passed over; a backup has one most
    // often.
    auto best = spares_.end();
    for (auto it = spares_.lower_bound(Key{Blocks(size) + 1, 0, {}, 0}); it != spares_.begin();)
        if ((--it)->first.device == *device) {
            best = it;
            break;
        }
    if (best == spares_.end()) return {};
    const auto inDir = spares_.lower_bound(Key{best->first.blocks, *device, here, 0});
    if (inDir != spares_.end() && inDir->first.blocks == best->first.blocks && inDir->first.device == *device &&
        inDir->first.dir == here)
        best = inDir;
    Taken taken{std::move(best->second.path), best->second.size};
    bytes_ -= taken.size;
    spares_.erase(best);
    return taken;
}

void SpareFiles::Keep(const fs::path& path, const struct stat& st, bool isSpare)
{
    if (!Reusable(st, user_)) {
        ::unlink(path.c_str());
        return;
    }
    fs::path spare = path;
    if (!isSpare) {
        spare = NewName(path.parent_path());
        if (::rename(path.c_str(), spare.c_str()) != 0) {
            ::unlink(path.c_str());
            return;
        }
    }
    Add(std::move(spare), st);
}

// Small spares fit more copies: over the limits, the largest go.
void SpareFiles::Add(fs::path path, const struct stat& st)
{
    std::string dir = path.parent_path().native();
    const auto size = static_cast<std::int64_t>(st.st_size);
    std::vector<fs::path> evicted;
    {
        std::lock_guard lock(mutex_);
        bytes_ += size;
        spares_.emplace(Key{Blocks(size), st.st_dev, std::move(dir), next_++}, Spare{std::move(path), size});
        while (!spares_.empty() && (spares_.size() > capacity_ || bytes_ > maxBytes_)) {
            const auto largest = std::prev(spares_.end());
            bytes_ -= largest->second.size;
            evicted.push_back(std::move(largest->second.path));
            spares_.erase(largest);
        }
    }
    for (fs::path& doomed : evicted) Delete(std::move(doomed));
}

std::size_t SpareFiles::Count()
{
    std::lock_guard lock(mutex_);
    return spares_.size();
}
