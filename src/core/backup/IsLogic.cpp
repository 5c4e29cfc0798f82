#include "core/backup/IsLogic.h"

#include "core/base/Prompter.h"
#include "core/common/Text.h"

#include <filesystem>
#include <limits>
#include <system_error>

namespace fs = std::filesystem;

namespace {
// Wide enough for free space and required bytes times twelve.
__extension__ typedef __int128 Wide;
} // namespace

std::optional<std::uint64_t> FileSystemFreeSpace(const std::string& directory)
{
    std::error_code ec;
    const fs::space_info info = fs::space(directory, ec);
    if (ec) return std::nullopt;
    return info.available;
}

std::string NearestExistingDirectory(const std::string& path)
{
    std::error_code ec;
    fs::path p = fs::absolute(Trim(path), ec);
    if (ec) return {};
    while (!p.empty() && !fs::is_directory(p, ec)) {
        if (p == p.parent_path()) return {};
        p = p.parent_path();
    }
    return p.string();
}

bool IsEnoughSpace(const std::string& sPath, std::int64_t lnSizeKB, Prompter& prompter,
                   const FreeSpaceSource& freeSpace)
{
    const std::string directory = NearestExistingDirectory(sPath);
    const bool sizeFits = lnSizeKB >= 0 && lnSizeKB <= std::numeric_limits<std::int64_t>::max() / 1024;
    const std::optional<std::uint64_t> available = directory.empty() || !sizeFits ? std::nullopt : freeSpace(directory);
    if (!available) {
        prompter.MsgBox("Error checking disk space !", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    // Free > required * 1.2, in exact integers: free * 10 > bytes * 12.
    return static_cast<Wide>(*available) * 10 > static_cast<Wide>(lnSizeKB) * 1024 * 12;
}
