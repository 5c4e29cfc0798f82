#include "core/users/InitialPassword.h"

#include "core/data/Connection.h"
#include "core/data/Database.h"
#include "core/users/Password.h"

bool AdminHasInitialPassword(const std::string& sLibPath)
{
    if (sLibPath.empty()) return false;
    try {
        // Not the program's connection: a failure here is no error of any
        // command, so the person is not told about it.
        Connection lib;
        lib.Open(LibDatabaseFile(sLibPath));
        ResultSet rs = lib.Query("SELECT password FROM `user-list` WHERE `login-id` = ? AND type = ? ",
                                 {std::string("admin"), std::string("U")});
        if (rs.RecordCount() == 0) return false;
        return rs["password"].Text() == ScramblePassword(kInitialPassword);
    } catch (...) {
        return false;
    }
}
