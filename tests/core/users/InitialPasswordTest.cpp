#include "core/users/InitialPassword.h"

#include "core/data/Database.h"
#include "core/users/Password.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"

#include <SQLiteCpp/Statement.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

void SetAdminPassword(const std::string& lib, const std::string& stored)
{
    LibraryBuilder builder(lib);
    SQLite::Statement update(builder.Lib(), "UPDATE `user-list` SET password = ? WHERE `user-id` = 1");
    update.bind(1, stored);
    update.exec();
}

} // namespace

TEST(InitialPassword, ANewLibraryHasItUntilItChanges)
{
    TestEnv env;
    const std::string lib = CreateLibrary(env);
    EXPECT_TRUE(AdminHasInitialPassword(lib));
    SetAdminPassword(lib, ScramblePassword("another"));
    EXPECT_FALSE(AdminHasInitialPassword(lib));
    // A cleared password is no longer the initial one either.
    SetAdminPassword(lib, "");
    EXPECT_FALSE(AdminHasInitialPassword(lib));
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST(InitialPassword, OnlyTheAdministratorUserRowCounts)
{
    TestEnv env;
    const std::string lib = env.MakeBareLibrary();
    LibraryBuilder builder(lib);
    // The group shares the login "admin"; a user with the initial password is not the administrator.
    SQLite::Statement group(builder.Lib(), "INSERT INTO `user-list` (`user-name`,`login-id`,`type`,`password`) "
                                           "VALUES ('Admin Group','admin','G',?)");
    group.bind(1, ScramblePassword(kInitialPassword));
    group.exec();
    builder.AddUser("Mike", "mike", ScramblePassword(kInitialPassword));
    EXPECT_FALSE(AdminHasInitialPassword(lib));
    builder.AddUser("Administrator", "admin", ScramblePassword(kInitialPassword));
    EXPECT_TRUE(AdminHasInitialPassword(lib));
}

TEST(InitialPassword, NoLibraryOrAnUnreadableOneIsNoAndNotReported)
{
    TestEnv env;
    EXPECT_FALSE(AdminHasInitialPassword(""));
    EXPECT_FALSE(AdminHasInitialPassword((env.root / "missing").string()));
    const std::string lib = env.MakeBareLibrary();
    WriteFile(LibDatabaseFile(lib), "not a database");
    EXPECT_FALSE(AdminHasInitialPassword(lib));
    EXPECT_TRUE(env.prompter.boxes.empty());
}
