#include "core/library/DocumentPath.h"

#include <filesystem>

namespace {

bool SafeRelative(const std::string& name, bool allowSubdirs)
{
    if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos) return false;
    if (!allowSubdirs && name.find('/') != std::string::npos) return false;
    for (const auto& part : std::filesystem::path(name)) {
        const std::string p = part.string();
        if (p == ".." || p == ".") return false;
    }
    return true;
}

} // namespace

bool IsSafeDocumentPath(const std::string& location, const std::string& filename)
{
    return IsSafeDocumentLocation(location) && IsSafeDocumentName(filename);
}

bool IsSafeDocumentLocation(const std::string& location)
{
    return SafeRelative(location, true) && !IsControlLocation(location);
}

bool IsSafeDocumentName(const std::string& filename) { return SafeRelative(filename, false); }

bool IsControlLocation(const std::string& location)
{
    return !location.empty() && *std::filesystem::path(location).begin() == "00000000";
}
