#include "core/app/SettingsLocation.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

namespace fs = std::filesystem;

namespace {

bool Given(const std::optional<std::string>& value) { return value && !value->empty(); }

// XDG_CONFIG_HOME when it is an absolute path (a relative one is to be
// ignored), else ~/.config.
fs::path ConfigHome(const std::optional<std::string>& configHome, const std::optional<std::string>& home)
{
    if (Given(configHome) && fs::path(*configHome).is_absolute()) return *configHome;
    return fs::path(UserHome(home)) / ".config";
}

} // namespace

std::string UserHome(const std::optional<std::string>& home)
{
    if (Given(home)) return *home;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
    return "/";
}

bool MayWrite(const fs::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || (st.st_mode & 0222) == 0) return false;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

SettingsFile LocateSettings(const fs::path& programDir, const std::optional<std::string>& configHome,
                            const std::optional<std::string>& home)
{
    const fs::path beside = programDir / kSettingsFileName;
    std::error_code ec;
    const bool besideExists = fs::exists(beside, ec);
    // Written by replacing it, which its directory must allow as well.
    if (MayWrite(programDir) && (!besideExists || MayWrite(beside))) return {beside, {}};
    const fs::path own = ConfigHome(configHome, home) / kSettingsFolder / kSettingsFileName;
    return {own, besideExists ? beside : fs::path()};
}
