#include "RezudFixture.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

TEST_F(RezudTest, TheLoginGateTakesTheConsolesPasswordFromFileEnvironmentOrTerminal)
{
    const CliResult missing = Rezud({"users", "list"});
    EXPECT_EQ(missing.code, 3);
    EXPECT_EQ(missing.err, "The administrator password is needed: give --password-file FILE or set "
                           "REZUD_ADMIN_PASSWORD.\nLogin unsuccessful, please try again !\n");
    Unattended("not-it");
    const CliResult wrong = Rezud({"users", "list"});
    EXPECT_EQ(wrong.code, 3);
    EXPECT_EQ(wrong.err, "Login unsuccessful, please try again !\n");
    EXPECT_EQ(wrong.err.find("not-it"), std::string::npos);
    Unattended(std::string(100000, 'p')); // longer than any stored password comes from
    const CliResult overlong = Rezud({"users", "list"});
    EXPECT_EQ(overlong.code, 3);
    EXPECT_EQ(overlong.err, "Login unsuccessful, please try again !\n");

    environment.clear();
    WriteFile(env.root / "pw", "quillset\r\n");
    EXPECT_EQ(Rezud({"--password-file", (env.root / "pw").string(), "users", "list"}).code, 0);
    EXPECT_EQ(Rezud({"users", "list", "--password-file", (env.root / "nofile").string()}).code, 3);
    terminal = true;
    secret = "quillset";
    EXPECT_EQ(Rezud({"users", "list"}).code, 0);
}

TEST_F(RezudTest, UsersAreMaintainedWithTheWindowsChecksAndTexts)
{
    Unattended();
    const CliResult add = Rezud({"users", "add", "Dan Smith", "dan"});
    EXPECT_EQ(add.code, 0);
    EXPECT_EQ(add.out, "New User created successfully !\n");
    const CliResult again = Rezud({"users", "add", "Other", "DAN"});
    EXPECT_EQ(again.code, 2);
    EXPECT_EQ(again.err, "User ID already exists, please use another one !\n");
    EXPECT_EQ(Rezud({"users", "add", "administrator", "adm2"}).err,
              "Administrator is a reserved user name, cannot be used again !\n");

    const CliResult rename = Rezud({"users", "rename", "dan", "--name", "Daniel Smith"});
    EXPECT_EQ(rename.code, 0);
    EXPECT_EQ(rename.out, "User detail updated successfully !\n");
    EXPECT_EQ(Rezud({"users", "list"}).out, "admin\tAdministrator\ndan\tDaniel Smith\t(no password)\n");

    const fs::path pw = env.root / "new";
    WriteFile(pw, "sesame\n");
    const CliResult passwd = Rezud({"users", "passwd", "dan", "--new-password-file", pw.string()});
    EXPECT_EQ(passwd.code, 0);
    EXPECT_EQ(passwd.out, "Password changed successfully !\n");
    // The old password is asked for now that there is one.
    EXPECT_EQ(Rezud({"users", "passwd", "dan", "--new-password-file", pw.string()}).code, 2);

    EXPECT_EQ(Rezud({"users", "delete", "admin", "-y"}).err, "Cannot delete Admin user account !\n");
    EXPECT_EQ(Rezud({"users", "delete", "dan"}).code, 2);
    const CliResult del = Rezud({"users", "delete", "dan", "-y"});
    EXPECT_EQ(del.code, 0);
    EXPECT_EQ(del.out, "User has been deleted !\n");
    EXPECT_EQ(Rezud({"users", "delete", "dan", "-y"}).err, "There is no user with the login id dan !\n");
}

TEST_F(RezudTest, GroupsKeepTheAdministratorsGroupWhole)
{
    Unattended();
    ASSERT_EQ(Rezud({"users", "add", "Eve", "eve"}).code, 0);
    EXPECT_EQ(Rezud({"groups", "add", "Readers"}).code, 0);
    EXPECT_EQ(Rezud({"groups", "add", "readers"}).err, "Name already exists! \n");
    EXPECT_EQ(Rezud({"groups", "add-member", "Readers", "eve"}).code, 0);
    EXPECT_EQ(Rezud({"groups", "add-member", "Readers", "eve"}).code, 0);
    EXPECT_EQ(Rezud({"groups", "members", "readers"}).out, "Eve\n");
    EXPECT_EQ(Rezud({"groups", "list"}).out, "Admin Group\nReaders\n");

    EXPECT_EQ(Rezud({"groups", "remove-member", "Admin Group", "admin"}).code, 2);
    EXPECT_EQ(Rezud({"groups", "rename", "Admin Group", "Bosses"}).err,
              "The user group Admin Group cannot be renamed or deleted !\n");
    EXPECT_EQ(Rezud({"groups", "rename", "Readers", "Viewers"}).code, 0);
    EXPECT_EQ(Rezud({"groups", "remove-member", "Viewers", "eve"}).code, 0);
    EXPECT_EQ(Rezud({"groups", "members", "Viewers"}).out, "");
    const CliResult del = Rezud({"groups", "delete", "Viewers", "--yes", "--json"});
    EXPECT_EQ(del.code, 0);
    const nlohmann::json j = nlohmann::json::parse(del.out);
    EXPECT_EQ(j["messages"][0]["text"], "Delete this user group Viewers now ? ");
    EXPECT_EQ(j["messages"][0]["answer"], "yes");
    EXPECT_EQ(Rezud({"groups", "list"}).out, "Admin Group\n");
}

TEST_F(RezudTest, SessionsAreListedAndRemoved)
{
    LibraryBuilder builder(lib);
    const auto eve = builder.AddUser("Eve", "eve");
    builder.AddLogin(eve, "2026-01-02 03:04:05");
    Unattended();
    const CliResult list = Rezud({"sessions", "list"});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out, "Eve   ( Login: 26/01/02 03:04:05 )\n");
    EXPECT_EQ(Rezud({"sessions", "remove", "eve"}).code, 2);
    EXPECT_EQ(Rezud({"sessions", "remove", "eve", "-y"}).code, 0);
    EXPECT_EQ(Rezud({"sessions", "list"}).out, "");
    EXPECT_EQ(Rezud({"sessions", "remove", "eve", "-y"}).code, 1);
}

TEST_F(RezudTest, SettingsAreShownAndWritten)
{
    Unattended();
    EXPECT_EQ(Rezud({"settings"}).out, "Operation mode: single\nV1.xx data compatible: on\n");
    const CliResult set = Rezud({"settings", "--mode", "network", "--compatible", "off"});
    EXPECT_EQ(set.code, 0);
    EXPECT_EQ(set.out, "Operation mode: network\nV1.xx data compatible: off\n");
    EXPECT_EQ(IniRead(env.Ini(), "Operation", "Mode"), "1");
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "V1DataCompatible"), "0");
}
