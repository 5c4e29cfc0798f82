#include "core/users/UserMaintenance.h"

#include "core/app/AppContext.h"
#include "core/common/Text.h"
#include "core/users/Password.h"

namespace {
constexpr std::int64_t kAdministratorId = 1;
} // namespace

std::vector<ListEntry> UserMaintenance::Users()
{
    ResultSet rs = Required(app_.db.QueryExe(
        std::string("SELECT `user-id`, `user-name`, type FROM `user-list` WHERE type='U' ") + kOrderByName, "R"));
    return ReadEntries(rs);
}

std::optional<UserDetail> UserMaintenance::Detail(const std::string& sUserID)
{
    ResultSet rs = Required(app_.db.QueryExe("SELECT `login-id`, `user-name`, `password`, type FROM `user-list` "
                                             "WHERE type='U'  AND `user-id` = ? ORDER BY `user-name` ",
                                             "R", {IdParam(sUserID)}));
    if (rs.Eof()) return std::nullopt;
    return UserDetail{rs["login-id"].Text(), rs["user-name"].Text(), !rs["password"].Text().empty()};
}

std::optional<ListEntry> UserMaintenance::FindByLogin(const std::string& sLoginID)
{
    ResultSet rs = Required(app_.db.QueryExe(
        "SELECT `user-id`, `user-name` FROM `user-list` WHERE type='U' AND `login-id` = ? COLLATE NOCASE", "R",
        {Trim(sLoginID)}));
    const std::vector<ListEntry> found = ReadEntries(rs);
    if (found.empty()) return std::nullopt;
    return found.front();
}

bool UserMaintenance::IsAdministrator(const std::string& sUserID, const std::string& sEntryText)
{
    return sUserID == "1" || EqualsNoCase(sEntryText, "ADMINISTRATOR");
}

bool UserMaintenance::Ask(const char* text)
{
    return app_.prompter.MsgBox(text, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

void UserMaintenance::Tell(const char* text, MsgIcon icon) { app_.prompter.MsgBox(text, MsgButtons::Ok, icon); }

bool UserMaintenance::MayLeaveBox(bool bLoginBox, const std::string& sText)
{
    if (!sText.empty()) return true;
    Tell(bLoginBox ? UserMsg::kLoginNotEntered : UserMsg::kNameNotEntered, MsgIcon::Exclamation);
    return false;
}

bool UserMaintenance::ValidateDetail(const std::string& sUserName, const std::string& sLoginID)
{
    if (sUserName.empty()) {
        Tell(UserMsg::kNameNotEntered, MsgIcon::Exclamation);
        return false;
    }
    if (sLoginID.empty()) {
        Tell(UserMsg::kLoginNotEntered, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

// Login ids compare ignoring case, as the library's database always did.
bool UserMaintenance::LoginTaken(const std::string& sLoginID, const std::string& sExceptUserID)
{
    const std::string login = Trim(sLoginID);
    std::optional<ResultSet> rs =
        sExceptUserID.empty()
            ? app_.db.QueryExe("SELECT * FROM `user-list` WHERE `login-id` = ? COLLATE NOCASE", "R", {login})
            : app_.db.QueryExe("SELECT * FROM `user-list` WHERE `login-id` = ? COLLATE NOCASE AND `user-id` <> ?", "R",
                               {login, IdParam(sExceptUserID)});
    if (Required(std::move(rs)).Eof()) return false;
    Tell(UserMsg::kLoginExists, MsgIcon::Exclamation);
    return true;
}

std::optional<std::int64_t> UserMaintenance::CreateUser(const std::string& sUserName, const std::string& sLoginID)
{
    if (Trim(sUserName).empty()) {
        Tell(UserMsg::kNameEmpty, MsgIcon::Exclamation);
        return std::nullopt;
    }
    if (Trim(sLoginID).empty()) {
        Tell(UserMsg::kLoginEmpty, MsgIcon::Exclamation);
        return std::nullopt;
    }
    if (LoginTaken(sLoginID, "")) return std::nullopt;
    if (EqualsNoCase(sLoginID, "ADMIN") || EqualsNoCase(sUserName, "ADMINISTRATOR")) {
        Tell(UserMsg::kReservedName, MsgIcon::Critical);
        return std::nullopt;
    }
    if (!app_.db.TableExe("INSERT INTO `user-list` (`user-name`,`login-id`,`type`)  VALUES ( ?,?, 'U' ) ",
                          {sUserName, sLoginID}))
        return std::nullopt;
    // Found by the login id as stored, so blanks typed around it do not hide
    // the new row.
    ResultSet rs = Required(
        app_.db.QueryExe("SELECT `user-id` FROM `user-list` WHERE `login-id` = ? AND type='U' ORDER BY `user-id` DESC",
                         "R", {sLoginID}));
    if (rs.Eof()) return std::nullopt;
    return rs["user-id"].Int();
}

void UserMaintenance::ConfirmCreated() { Tell(UserMsg::kCreated, MsgIcon::Information); }

bool UserMaintenance::UpdateUser(const std::string& sUserID, const std::string& sUserName, const std::string& sLoginID)
{
    if (LoginTaken(sLoginID, sUserID)) return false;
    if (IdParam(sUserID) != SqlValue(kAdministratorId) && EqualsNoCase(sUserName, "ADMINISTRATOR")) {
        Tell(UserMsg::kReservedName, MsgIcon::Critical);
        return false;
    }
    if (!app_.db.TableExe("UPDATE `user-list` SET `user-name`=?, `login-id`=?, `type`='U'  WHERE `user-id` =?",
                          {sUserName, sLoginID, IdParam(sUserID)}))
        return false;
    Tell(UserMsg::kUpdated, MsgIcon::Information);
    return true;
}

bool UserMaintenance::ChangePassword(const std::string& sUserID, const std::string& sOld, const std::string& sNew,
                                     const std::string& sVerify)
{
    const std::string oldText = Trim(sOld), newText = Trim(sNew), verifyText = Trim(sVerify);
    if (newText.empty()) {
        Tell(UserMsg::kNewPasswordEmpty, MsgIcon::Exclamation);
        return false;
    }
    if (PasswordLength(newText) > UserMsg::kMaxPasswordLength) {
        Tell(UserMsg::kNewPasswordTooLong, MsgIcon::Exclamation);
        return false;
    }
    if (newText == oldText) {
        Tell(UserMsg::kPasswordSame, MsgIcon::Exclamation);
        return false;
    }
    if (verifyText != newText) {
        Tell(UserMsg::kVerifyMismatch, MsgIcon::Exclamation);
        return false;
    }
    ResultSet rs =
        Required(app_.db.QueryExe("SELECT password FROM `user-list` WHERE `user-id` =?", "R", {IdParam(sUserID)}));
    if (rs.Eof()) return false;
    // An old text too long to scramble cannot be the stored one.
    if (PasswordLength(oldText) > kScrambleMaxLength || ScramblePassword(oldText) != rs["password"].Text()) {
        Tell(UserMsg::kPasswordFailed, MsgIcon::Critical);
        return false;
    }
    if (!app_.db.TableExe("UPDATE `user-list` SET `password` = ?   WHERE `user-id` =?",
                          {ScramblePassword(newText), IdParam(sUserID)}))
        return false;
    Tell(UserMsg::kPasswordChanged, MsgIcon::Information);
    return true;
}

bool UserMaintenance::ClearPassword(const std::string& sUserID)
{
    if (sUserID.empty()) return false;
    if (!Ask(UserMsg::kConfirmClear)) return false;
    if (!app_.db.TableExe("UPDATE `user-list` SET `password` = ''   WHERE `user-id` =?", {IdParam(sUserID)}))
        return false;
    Tell(UserMsg::kPasswordCleared, MsgIcon::Information);
    return true;
}

bool UserMaintenance::DeleteUser(const std::string& sUserID, const std::string& sUserName, const std::string& sLoginID)
{
    if (sUserID.empty()) return false;
    if (!Ask(UserMsg::kConfirmDelete)) return false;
    if (EqualsNoCase(sLoginID, "ADMIN") || EqualsNoCase(sUserName, "ADMINISTRATOR")) {
        Tell(UserMsg::kCannotDeleteAdmin, MsgIcon::Critical);
        return false;
    }
    const SqlParams id{IdParam(sUserID)};
    if (!Required(app_.db.QueryExe("SELECT * FROM `user-group` WHERE `uid` = ?", "R", id)).Eof() &&
        !Ask(UserMsg::kStillMember))
        return false;
    if (!Required(app_.db.QueryExe("SELECT * FROM `level-access` WHERE uid = ?", "R", id)).Eof() &&
        !Ask(UserMsg::kStillPermitted))
        return false;
    if (!RunAllOrNothing(app_.db, {{"DELETE FROM `level-access` WHERE `uid`= ?", id},
                                   {"DELETE FROM `user-group` WHERE `uid`= ?", id},
                                   {"DELETE FROM `user-list` WHERE `user-id`= ?", id}})) {
        Tell(UserMsg::kNotDeleted, MsgIcon::Critical);
        return false;
    }
    Tell(UserMsg::kDeleted, MsgIcon::Information);
    return true;
}
