#pragma once
// The administrator's password check behind the window Admin_Pass.
#include <string>

class AppContext;

inline constexpr const char* kLoginUnsuccessful = "Login unsuccessful, please try again !";

// Checks sPassword, as entered, against the library's administrator account
// (login "admin", type "U"); on a match sets gsLoginUserID and
// gsLoginUserName. Tells the user when the login fails. Both connections are
// closed afterwards, so the next use opens them on the current library.
bool AdminLogin(AppContext& app, const std::string& sPassword);
