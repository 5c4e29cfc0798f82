#include "core/library/Library.h"

#include "core/app/AppContext.h"
#include "core/common/Commons.h"

#include <cstdlib>

bool LoadActiveLibrary(AppContext& app)
{
    AppState& state = app.state;
    state.gsActiveLibPath.clear();
    const std::string path = GetIniString("LIB", "Path", state.settings);
    // The stored text is used as it stands: no trimming, no separator handling.
    if (path.empty() || !DirExists(path) || !FileExists(LibDatabaseFile(path))) return false;
    state.gsActiveLibPath = path;
    state.gsCtrlLibPath = path;
    return true;
}

std::string GetLibExtraInfo(AppContext& app, const std::string& sRecID)
{
    try {
        const long long id = std::stoll(sRecID);
        auto rs = app.db.QueryExe("SELECT `subpath`, `filecount` FROM `lib-ctrl` WHERE `rec-id`= ? AND `filecount` = ?",
                                  "R", {id, id});
        if (rs && rs->RecordCount() > 0) return (*rs)["subpath"].Text();
    } catch (...) {
        // Reading the description never reports.
    }
    return {};
}
