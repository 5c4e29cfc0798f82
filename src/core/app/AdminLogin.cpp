#include "core/app/AdminLogin.h"

#include "core/app/AppContext.h"
#include "core/users/Password.h"

namespace {

// Connections close after every attempt, whatever happened in it.
struct CloseConnections {
    Database& db;
    ~CloseConnections()
    {
        db.CloseLibConnection();
        db.CloseCtrlConnection();
    }
};

// Only the user row counts: the administrators' group has the login "admin" too.
bool CheckAgainstAdminRow(AppContext& app, const std::string& sPassword)
{
    const std::optional<ResultSet> rs =
        app.db.QueryExe("SELECT `user-id`, `user-name`, password FROM `user-list` WHERE `login-id` = ? "
                        " AND type=? ",
                        "R", {std::string("admin"), std::string("U")});
    // No result set: the database layer has reported why; nobody logs in.
    if (!rs || rs->RecordCount() == 0) return false;
    const std::string stored = (*rs)["password"].Text(); // null reads as empty
    if (ScramblePassword(sPassword) != stored) return false;
    app.state.gsLoginUserID = (*rs)["user-id"].Text();
    app.state.gsLoginUserName = (*rs)["user-name"].Text();
    return true;
}

} // namespace

bool AdminLogin(AppContext& app, const std::string& sPassword)
{
    CloseConnections closer{app.db};
    // No stored password comes from a longer one: a wrong password, not an error.
    if (PasswordLength(sPassword) <= kScrambleMaxLength && CheckAgainstAdminRow(app, sPassword)) return true;
    app.prompter.MsgBox(kLoginUnsuccessful, MsgButtons::Ok, MsgIcon::Critical);
    return false;
}
