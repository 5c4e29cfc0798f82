#include "core/backup/DirectoryMoves.h"

#include "core/backup/DocumentDirs.h"
#include "core/common/AtomicFile.h"
#include "core/common/Directories.h"
#include "core/library/DocumentPath.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

// Enough for the storage directories of any library; beyond, file by file.
constexpr std::size_t kMostDirectories = 4096;
// Files of one directory that could not be read, remembered by name.
constexpr std::size_t kMostUnread = 16;

// A location spelt one way only: no empty part, none "." or "..".
bool Plain(const std::string& location)
{
    return IsSafeDocumentLocation(location) && location.back() != '/' && location.find("//") == std::string::npos;
}

bool IsRealDirectory(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Every directory from `root` down to `relative` is one, none a link.
bool ReachedThroughNoLink(const std::string& root, const std::string& relative)
{
    std::string path = root;
    for (const auto& part : std::filesystem::path(relative)) {
        path += "/" + part.string();
        if (!IsRealDirectory(path)) return false;
    }
    return true;
}

bool Absent(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) != 0 && errno == ENOENT;
}

[[noreturn]] void Fail(const std::string& what, const std::string& path, int err)
{
    throw TargetError(what, path, std::error_code(err, std::generic_category()));
}

} // namespace

DirectoryMoves::DirectoryMoves(std::string from, std::string to) : from_(std::move(from)), to_(std::move(to)) {}

bool DirectoryMoves::Waits(const std::string& location)
{
    if (const auto it = dirs_.find(location); it != dirs_.end()) return it->second.waits;
    if (dirs_.size() >= kMostDirectories) return false;
    // Links are looked for when it moves, the state that counts.
    const bool waits = Plain(location) && Absent(to_ + "/" + location);
    dirs_[location].waits = waits;
    return waits;
}

// Plain files only, exactly those read, reached through no link.
bool DirectoryMoves::Holds(const std::string& location, const NameSums& read) const
{
    if (!ReachedThroughNoLink(from_, location)) return false;
    const int fd = ::open((from_ + "/" + location).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    NameSums found;
    bool plain = true;
    const int error = ListDirectory(fd, [&](const char* name, unsigned char type) {
        plain = plain && type == DT_REG;
        found.Add(name);
    });
    ::close(fd);
    return error == 0 && plain && found == read;
}

std::string DirectoryMoves::LocationOf(const std::string& target) const
{
    const std::string::size_type start = to_.size() + 1, end = target.rfind('/');
    return target.starts_with(to_ + "/") && end != std::string::npos && end > start ? target.substr(start, end - start)
                                                                                    : std::string();
}

void DirectoryMoves::Read(const std::string& location, const std::string& name, bool whole)
{
    const auto it = dirs_.find(location);
    if (it == dirs_.end() || !it->second.waits) return;
    Directory& d = it->second;
    if (whole) return d.read.Add(name);
    // Past the bound, every file of the directory is read again.
    if (d.unread.size() < kMostUnread)
        d.unread.insert(name);
    else
        d.unreadForgotten = true;
}

bool DirectoryMoves::Waiting(const std::string& location) const
{
    const auto it = dirs_.find(location);
    return it != dirs_.end() && it->second.waits;
}

bool DirectoryMoves::Unread(const std::string& location, const std::string& name) const
{
    const auto it = dirs_.find(location);
    return it != dirs_.end() && it->second.unread.count(name) > 0;
}

bool DirectoryMoves::ReadAgain(const std::string& location) const
{
    const auto it = dirs_.find(location);
    return it != dirs_.end() && it->second.unreadForgotten;
}

std::vector<std::string> DirectoryMoves::Move(const std::function<void(std::int64_t files)>& moved)
{
    std::vector<std::string> left;
    for (auto it = dirs_.begin(); it != dirs_.end();) {
        const auto& [location, d] = *it;
        if (!d.waits) {
            it = dirs_.erase(it);
        } else if (d.unread.empty() && !d.unreadForgotten && MovedWhole(location)) {
            moved(d.read.count);
            it = dirs_.erase(it);
        } else {
            left.push_back(location);
            (it++)->second.waits = false;
        }
    }
    return left;
}

bool DirectoryMoves::MovedWhole(const std::string& location) const
{
    if (!Holds(location, dirs_.at(location).read)) return false;
    const std::string parent = std::filesystem::path(location).parent_path().string();
    if (!parent.empty() && !MakeDirectoryBeneath(to_, parent)) return false;
    const std::string from = from_ + "/" + location, to = to_ + "/" + location;
    // Never over a directory: one made since (for a row spelling the
    // location another way) takes the files one by one, as does a file
    // system that cannot tell.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EEXIST && errno != EINVAL && errno != ENOSYS) Fail("cannot move directory", to, errno);
    return false;
}
