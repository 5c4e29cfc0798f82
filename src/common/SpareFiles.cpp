#include "common/SpareFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSparePrefix = ".rzspare-";

// Only what a copy of this program would be: a plain file of this user,
// readable by no more than 0644 allows, with no other name.
bool Reusable(const struct stat& st)
{
    return S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_uid == ::geteuid() && (st.st_mode & 07777 & ~0644) == 0;
}

std::int64_t Blocks(std::int64_t size)
{
    constexpr std::int64_t kBlock = 4096;
    return (size + kBlock - 1) / kBlock;
}

} // namespace

SpareFiles::SpareFiles(std::size_t capacity) : capacity_(capacity) {}

SpareFiles::~SpareFiles()
{
    for (const Spare& s : spares_) ::unlink(s.path.c_str());
}

fs::path SpareFiles::NewName(const fs::path& dir)
{
    std::lock_guard lock(mutex_);
    return dir / (std::string(kSparePrefix) + std::to_string(::getpid()) + "-" + std::to_string(next_++));
}

SpareFiles::Taken SpareFiles::TakeFor(const fs::path& dir, std::int64_t size)
{
    Spare taken;
    {
        std::lock_guard lock(mutex_);
        // The spare with the most blocks that the copy fills at least, one
        // already in `dir` first: cutting a copy to length inside its last
        // block gives nothing back, so nothing waits.
        const std::int64_t blocks = Blocks(size);
        auto better = [&](const Spare& a, const Spare& b) {
            if (Blocks(a.size) != Blocks(b.size)) return Blocks(a.size) > Blocks(b.size);
            return a.path.parent_path() == dir && b.path.parent_path() != dir;
        };
        auto best = spares_.end();
        for (auto it = spares_.begin(); it != spares_.end(); ++it)
            if (Blocks(it->size) <= blocks && (best == spares_.end() || better(*it, *best))) best = it;
        if (best == spares_.end()) return {};
        taken = std::move(*best);
        spares_.erase(best);
    }
    if (taken.path.parent_path() == dir) return taken;
    fs::path moved = dir / taken.path.filename();
    if (::rename(taken.path.c_str(), moved.c_str()) == 0) return {std::move(moved), taken.size};
    ::unlink(taken.path.c_str()); // another file system, or gone: a new file it is
    return {};
}

void SpareFiles::Keep(const fs::path& path, const struct stat& st, bool isSpare)
{
    if (!Reusable(st)) {
        ::unlink(path.c_str());
        return;
    }
    Spare spare{path, static_cast<std::int64_t>(st.st_size)};
    if (!isSpare) {
        spare.path = NewName(path.parent_path());
        if (::rename(path.c_str(), spare.path.c_str()) != 0) {
            ::unlink(path.c_str());
            return;
        }
    }
    Spare evicted;
    {
        std::lock_guard lock(mutex_);
        spares_.push_back(std::move(spare));
        if (spares_.size() <= capacity_) return;
        // Small spares fit more copies: the largest goes.
        auto largest = std::max_element(spares_.begin(), spares_.end(),
                                        [](const Spare& a, const Spare& b) { return a.size < b.size; });
        evicted = std::move(*largest);
        spares_.erase(largest);
    }
    ::unlink(evicted.path.c_str());
}

std::size_t SpareFiles::Count()
{
    std::lock_guard lock(mutex_);
    return spares_.size();
}
