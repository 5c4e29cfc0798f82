#pragma once
// The console's commands and the gates before each: the administrator's
// login, the warning that nobody else should use the library, and whether
// an active library is needed. Both front ends run the same gates.
#include <string_view>

struct CommandRule {
    const char* name; // the console's button
    bool login;
    bool warning;
    bool library;
};

namespace Commands {
inline constexpr CommandRule kSelectLib{"cmdSelectLib", false, false, false};
inline constexpr CommandRule kCreateLib{"cmdCreateLib", false, false, false};
inline constexpr CommandRule kLibDesc{"cmdLibDesc", false, false, true};
inline constexpr CommandRule kUsers{"cmdUsers", true, false, true};
inline constexpr CommandRule kGroups{"cmdGroups", true, false, true};
inline constexpr CommandRule kPublishLib{"cmdPublishLib", true, true, true};
inline constexpr CommandRule kCompact{"cmdCompact", false, true, true};
inline constexpr CommandRule kResetDoc{"cmdResetDoc", true, true, true};
inline constexpr CommandRule kResetUser{"cmdResetUser", true, false, true};
inline constexpr CommandRule kMiscSetting{"cmdMiscSetting", true, false, true};
// Reads only, so it needs neither the login nor the warning.
inline constexpr CommandRule kCheckLib{"cmdCheckLib", false, false, true};
// Verify reads the backup alone; restore makes a new library and changes
// nothing of the active one: neither needs the login, the warning or a library.
inline constexpr CommandRule kVerifyBackup{"cmdVerifyBackup", false, false, false};
inline constexpr CommandRule kRestoreLib{"cmdRestoreLib", false, false, false};
// Statistics are part of the backup command in the console; alone they change nothing.
inline constexpr CommandRule kStatistics{"cmdStatistics", false, false, true};
} // namespace Commands

inline constexpr const char* kNoLibrary = "No valid library selected !";
inline constexpr const char* kLibInUseWarning = "Before proceed with selected action, \r\n"
                                                "please make sure that no one else is using the active library !";
