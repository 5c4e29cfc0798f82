#include "core/library/BackupPlace.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

fs::path Resolved(const std::string& path)
{
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec) resolved = fs::absolute(path, ec).lexically_normal();
    // "/a/b/" and "/a/b" name one directory.
    if (!resolved.has_filename() && resolved.has_parent_path() && resolved != resolved.root_path())
        resolved = resolved.parent_path();
    return resolved;
}

// True when `inner` lies below `outer`, compared by whole names.
bool Below(const fs::path& inner, const fs::path& outer)
{
    const auto [o, i] = std::mismatch(outer.begin(), outer.end(), inner.begin(), inner.end());
    return o == outer.end() && i != inner.end();
}

} // namespace

BackupPlace PlaceOfBackup(const std::string& library, const std::string& backup)
{
    if (library.empty() || backup.empty()) return BackupPlace::Apart;
    const fs::path lib = Resolved(library);
    const fs::path back = Resolved(backup);
    std::error_code ec;
    if (lib == back || fs::equivalent(lib, back, ec)) return BackupPlace::Same;
    if (Below(back, lib)) return BackupPlace::InsideLibrary;
    if (Below(lib, back)) return BackupPlace::AroundLibrary;
    return BackupPlace::Apart;
}

std::string BackupPlaceText(BackupPlace place)
{
    switch (place) {
    case BackupPlace::Same:
        return kBackupSameAsLibrary;
    case BackupPlace::InsideLibrary:
        return kBackupInsideLibrary;
    case BackupPlace::AroundLibrary:
        return kLibraryInsideBackup;
    case BackupPlace::Apart:
        break;
    }
    return {};
}
