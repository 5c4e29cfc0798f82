#include "core/backup/DocumentDirs.h"

#include "core/common/AtomicFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace {

// Enough for every storage directory of a library; forgotten beyond that.
constexpr std::size_t kRemembered = 4096;

template <typename Check>
bool Remembered(std::map<std::string, bool>& known, const std::string& location, Check check)
{
    if (auto it = known.find(location); it != known.end()) return it->second;
    if (known.size() >= kRemembered) known.clear();
    const bool result = check();
    known.emplace(location, result);
    return result;
}

bool IsLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

} // namespace

bool MakeDirectoryBeneath(const std::string& root, const std::string& relative)
{
    std::string path = root;
    for (const auto& part : std::filesystem::path(relative)) {
        if (part.empty()) continue;
        path += "/" + part.string();
        if (::mkdir(path.c_str(), 0755) == 0) continue;
        if (errno != EEXIST)
            throw TargetError("cannot create directory", path, std::error_code(errno, std::generic_category()));
        if (IsLink(path)) return false;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw TargetError("cannot create directory", path, std::make_error_code(std::errc::not_a_directory));
    }
    return true;
}

DocumentDirs::DocumentDirs(std::string libPath, std::string backupPath, StorageLinks links)
    : libPath_(std::move(libPath)), backupPath_(std::move(backupPath)), links_(links)
{
}

bool DocumentDirs::SourceReachable(const std::string& location)
{
    return Remembered(sources_, location, [&] {
        std::string path = libPath_;
        bool first = links_ == StorageLinks::Followed;
        for (const auto& part : std::filesystem::path(location)) {
            if (part.empty()) continue;
            path += "/" + part.string();
            if (!first && IsLink(path)) return false;
            first = false;
        }
        return true;
    });
}

bool DocumentDirs::TargetReady(const std::string& location)
{
    return Remembered(targets_, location, [&] {
        if (!MakeDirectoryBeneath(backupPath_, location)) return false;
        if (targetReady) targetReady(backupPath_ + "/" + location);
        return true;
    });
}
