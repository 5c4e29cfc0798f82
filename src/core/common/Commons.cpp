#include "core/common/Commons.h"

#include "core/base/Prompter.h"
#include "core/common/AtomicFile.h"
#include "core/common/IniFile.h"
#include "core/common/Text.h"

#include <sys/stat.h>

#include <filesystem>
#include <fnmatch.h>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxIniValue = 254;
constexpr std::size_t kMaxDirPart = 254;

bool IsOrdinaryFile(const fs::directory_entry& entry)
{
    std::error_code ec;
    return entry.is_regular_file(ec) && entry.path().filename().string().rfind('.', 0) != 0;
}

bool HasWildcards(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// The ordinary files a name finds: trimmed, with * and ? allowed in its last
// component. FileExists and KillFile both look files up through here, so
// KillFile deletes exactly what FileExists finds.
std::vector<fs::path> MatchingFiles(const std::string& name, bool firstOnly)
{
    std::vector<fs::path> found;
    const std::string trimmed = Trim(name);
    if (trimmed.empty()) return found;
    std::error_code ec;
    const fs::path p = trimmed;
    const std::string pattern = p.filename().string();
    if (pattern.empty()) return found;
    if (!HasWildcards(pattern)) {
        if (IsOrdinaryFile(fs::directory_entry(p, ec)) && !ec) found.push_back(p);
        return found;
    }
    const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (IsOrdinaryFile(*it) && fnmatch(pattern.c_str(), it->path().filename().c_str(), FNM_PERIOD) == 0) {
            found.push_back(it->path());
            if (firstOnly) break;
        }
    }
    return found;
}

void ShowCreateFailure(const std::string& path, Prompter& prompter)
{
    prompter.MsgBox("Failed to create the directory: " + path + "\r\n" +
                        "please check that you have access to the directory !",
                    MsgButtons::Ok, MsgIcon::Critical);
}

bool Flushed(const fs::path& made)
{
    try {
        FlushDirectoryOf(made);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::string GetIniString(const std::string& section, const std::string& key, const std::string& iniFile)
{
    // Counted in characters, so a long non-ASCII path is never cut inside one.
    return LeftChars(IniRead(iniFile, section, key), kMaxIniValue);
}

DrivePath SplitDrivePath(const std::string& path)
{
    if (Trim(path).empty() || path.front() != '/') return {};
    return {"", TrimRight(path)};
}

bool CreateFullPath(const std::string& path, Prompter& prompter)
{
    const DrivePath parts = SplitDrivePath(path);
    std::string dir = parts.dir;
    if (!dir.empty()) {
        if (dir.back() != '/') dir += '/';
        if (dir.size() > kMaxDirPart) {
            ShowCreateFailure(path, prompter);
            return false;
        }
        for (std::size_t i = 1; i < dir.size(); ++i) {
            if (dir[i] != '/') continue;
            const fs::path prefix = parts.drive + dir.substr(0, i);
            std::error_code ec;
            if (fs::exists(prefix, ec)) continue;
            // A directory made counts once its name is on the disk.
            if (!fs::create_directory(prefix, ec) || ec || !Flushed(prefix)) {
                ShowCreateFailure(path, prompter);
                return false;
            }
        }
    }
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool FileExists(const std::string& name) { return !MatchingFiles(name, true).empty(); }

bool DirExists(const std::string& path)
{
    if (path.empty()) return false;
    std::error_code ec;
    return fs::is_directory(path, ec);
}

bool IsPlainFile(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool KillFile(const std::string& sFile, bool bCheckReadOnly)
{
    bool attempted = false;
    for (const fs::path& file : MatchingFiles(sFile, false)) {
        std::error_code ec;
        const auto perms = fs::status(file, ec).permissions();
        if (ec) continue;
        if (bCheckReadOnly && (perms & fs::perms::owner_write) == fs::perms::none) continue;
        // A deletion that fails still counts as attempted.
        fs::remove(file, ec);
        attempted = true;
    }
    return attempted;
}
