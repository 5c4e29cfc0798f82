#pragma once
// The library's login list: the users on `active-list` of the control
// database with their login times, and removing a user from it.
#include "core/data/ResultSet.h"

#include <cstdint>
#include <string>
#include <vector>

class AppContext;

inline constexpr const char* kResetUserQuestion = "Reset selected user ?";

// One line of the list: the user's id and the text shown for it.
struct ActiveUserLine {
    std::int64_t userId = 0;
    std::string text;
};

// "yy/mm/dd hh:mm:ss" of a stored "YYYY-MM-DD HH:MM:SS"; empty for NULL.
// A value in no date form is shown as stored.
std::string FormatLoginTime(const Field& logDate);

// user-name & "   ( Login: " & time & " )"
std::string ActiveUserText(const std::string& userName, const std::string& loginTime);

// One line per user of type "U" on the login list, sorted by user-name, with
// the first login of that user in the list's order. Users and rows that are
// not such users are left out. Failures are reported; the lines read so far
// are returned.
std::vector<ActiveUserLine> ReadActiveUsers(AppContext& app);

// Asks "Reset selected user ?" and on Yes deletes every login row of the user.
// True when rows were deleted.
bool ResetActiveUser(AppContext& app, std::int64_t userId);
