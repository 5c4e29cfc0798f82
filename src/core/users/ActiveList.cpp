#include "core/users/ActiveList.h"

#include "core/app/AppContext.h"
#include "core/base/MyErrHandler.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace {

bool Digits(const std::string& s, std::size_t pos, std::size_t n)
{
    if (pos + n > s.size()) return false;
    return std::all_of(s.begin() + static_cast<long>(pos), s.begin() + static_cast<long>(pos + n),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

bool At(const std::string& s, std::size_t pos, char c) { return pos < s.size() && s[pos] == c; }

// The ids of the login list, each once, for the user query; the leading 0
// matches nobody and keeps the list from being empty.
SqlParams DistinctIds(ResultSet& logins)
{
    std::vector<std::int64_t> ids{0};
    for (logins.MoveFirst(); !logins.Eof(); logins.MoveNext()) ids.push_back(logins["uid"].Int());
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return SqlParams(ids.begin(), ids.end());
}

std::string UserQuery(std::size_t idCount)
{
    std::string marks = "?";
    for (std::size_t i = 1; i < idCount; ++i) marks += ",?";
    return "SELECT `user-name`,`user-id` FROM `user-list` WHERE `user-id` IN ( " + marks +
           " ) AND `type`='U' ORDER BY `user-name` ";
}

// The log-date of the first row of the user, in the list's order.
std::string FirstLogin(ResultSet& logins, std::int64_t userId)
{
    for (logins.MoveFirst(); !logins.Eof(); logins.MoveNext()) {
        if (logins["uid"].Int() == userId) return FormatLoginTime(logins["log-date"]);
    }
    return {};
}

} // namespace

std::string FormatLoginTime(const Field& logDate)
{
    if (logDate.IsNull()) return {};
    const std::string s = logDate.Text();
    // YYYY-MM-DD, then optionally " HH:MM:SS" (or "T" between them).
    const bool date = Digits(s, 0, 4) && At(s, 4, '-') && Digits(s, 5, 2) && At(s, 7, '-') && Digits(s, 8, 2);
    if (!date) return s;
    const bool time = s.size() >= 19 && (s[10] == ' ' || s[10] == 'T') && Digits(s, 11, 2) && At(s, 13, ':') &&
                      Digits(s, 14, 2) && At(s, 16, ':') && Digits(s, 17, 2);
    if (s.size() > 10 && !time) return s;
    const std::string clock = time ? s.substr(11, 8) : "00:00:00";
    return s.substr(2, 2) + "/" + s.substr(5, 2) + "/" + s.substr(8, 2) + " " + clock;
}

std::string ActiveUserText(const std::string& userName, const std::string& loginTime)
{
    return userName + "   ( Login: " + loginTime + " )";
}

std::vector<ActiveUserLine> ReadActiveUsers(AppContext& app)
{
    std::vector<ActiveUserLine> lines;
    // A failure keeps the lines read before it.
    Trapped(app.prompter, "ActiveUser.LoadActiveUsers", [&] {
        std::optional<ResultSet> logins = app.db.CtrlQueryExe("Select * FROM `active-list`", "R");
        if (!logins || logins->RecordCount() == 0) return;
        const SqlParams ids = DistinctIds(*logins);
        std::optional<ResultSet> users = app.db.QueryExe(UserQuery(ids.size()), "R", ids);
        if (!users) return;
        for (users->MoveFirst(); !users->Eof(); users->MoveNext()) {
            const std::int64_t id = (*users)["user-id"].Int();
            lines.push_back({id, ActiveUserText((*users)["user-name"].Text(), FirstLogin(*logins, id))});
        }
    });
    return lines;
}

bool ResetActiveUser(AppContext& app, std::int64_t userId)
{
    if (app.prompter.MsgBox(kResetUserQuestion, MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes) return false;
    return app.db.CtrlTableExe("DELETE FROM `active-list` WHERE uid = ?", {userId});
}
