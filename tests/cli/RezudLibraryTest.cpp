#include "RezudFixture.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

TEST_F(RezudTest, StatusTellsTheLibraryItsDescriptionAndBackup)
{
    IniWrite(env.Ini(), "Lib", "Backpath", (env.root / "bk").string());
    const CliResult r = Rezud({"status"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Library: " + lib + "\nDescription: Test library\nBackup path: " + (env.root / "bk").string() +
                         "\nSettings file: " + env.Ini() +
                         "\nOperation mode: single\nV1.xx data compatible: on\nLast backup: none\n"
                         "Warning: the backup path holds no backup of this library - run Backup.\n");
    EXPECT_EQ(r.err, "");

    IniWrite(env.Ini(), "Lib", "Path", (env.root / "nowhere").string());
    const CliResult none = Rezud({"status"});
    EXPECT_EQ(none.code, 2);
    EXPECT_EQ(none.out.substr(0, none.out.find('\n')), "Library: No valid library selected !");
}

TEST_F(RezudTest, LibraryOptionWorksForOneCommandAndKeepsTheSettings)
{
    TestEnv other;
    const std::string second = CreateLibrary(other, "second", "Second");
    const CliResult r = Rezud({"--library", second, "describe"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Second\n");
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), lib);

    const CliResult missing = Rezud({"describe", "--library", (env.root / "none").string()});
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(missing.err, "No valid library selected !\n");
}

TEST_F(RezudTest, DescribeSetsAtMostFiftyCharacters)
{
    const std::string longText(60, 'x');
    const CliResult r = Rezud({"describe", longText});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string(50, 'x') + "\n");
    EXPECT_EQ(QueryOne(Lib(), "SELECT subpath FROM `lib-ctrl` WHERE `rec-id` = 3"), std::string(50, 'x'));
}

TEST_F(RezudTest, SelectRunsTheWindowsChecksAndWritesBothPaths)
{
    const CliResult bad = Rezud({"select", (env.root / "none").string()});
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(bad.err, "Active Library path does not exist!\n");
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), lib);

    const std::string backup = (env.root / "newbk").string();
    const CliResult unanswered = Rezud({"select", lib, "--backup", backup});
    EXPECT_EQ(unanswered.code, 2);
    EXPECT_FALSE(fs::exists(backup));

    const CliResult r = Rezud({"select", lib, "--backup", backup, "--yes"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(fs::is_directory(backup));
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Backpath"), backup);
    EXPECT_EQ(r.out, "Active library: " + lib + "\nBackup path: " + backup + "\n");
}

TEST_F(RezudTest, CreateWithAPasswordFileLeavesNoInitialPassword)
{
    const fs::path pw = env.root / "pw";
    WriteFile(pw, "s3cret\n");
    const std::string dir = (env.root / "made").string();
    const CliResult refused = Rezud({"create", dir});
    EXPECT_EQ(refused.code, 2);
    EXPECT_FALSE(fs::exists(dir + "/00000000/LIB.MDE"));

    const CliResult r =
        Rezud({"create", dir, "--description", "Made here", "--admin-password-file", pw.string(), "-y"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "New Library is created succussfully !\nPassword changed successfully !\n");
    Unattended("quillset");
    EXPECT_EQ(Rezud({"users", "list"}).code, 3);
    Unattended("s3cret");
    const CliResult list = Rezud({"users", "list"});
    EXPECT_EQ(list.code, 0);
    EXPECT_EQ(list.out, "admin\tAdministrator\n");
    EXPECT_EQ(Rezud({"describe"}).out, "Made here\n");
}

TEST_F(RezudTest, StatsPrintsTheReportAndCountsInJson)
{
    LibraryBuilder builder(lib);
    const auto folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
    LibraryBuilder::Document doc;
    doc.fileSize = 2048;
    builder.AddDocument(folder, doc);
    builder.AddDocument(folder, doc);
    const CliResult r = Rezud({"stats", "--json"});
    EXPECT_EQ(r.code, 0);
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["command"], "stats");
    EXPECT_EQ(j["documents"], 2);
    EXPECT_EQ(j["sizeKB"], 4);
    EXPECT_NE(j["report"].get<std::string>().find("Number of Documents: 2"), std::string::npos);
    EXPECT_EQ(r.err, "");
}

TEST_F(RezudTest, UsageErrorsAndHelp)
{
    EXPECT_EQ(Rezud({}).code, 64);
    EXPECT_EQ(Rezud({"frobnicate"}).code, 64);
    EXPECT_EQ(Rezud({"settings", "--mode", "parallel"}).code, 64);
    const CliResult help = Rezud({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("3   administrator password wrong or missing"), std::string::npos);
    EXPECT_EQ(Rezud({"users", "--help"}).code, 0);
}

TEST_F(RezudTest, CheckNeedsNoLoginAndExitsOneWithFindings)
{
    const CliResult clean = Rezud({"check"});
    EXPECT_EQ(clean.code, 0) << clean.out << clean.err;
    EXPECT_NE(clean.out.find("No findings: the library is clean."), std::string::npos);

    LibraryBuilder builder(lib);
    LibraryBuilder::Document gone;
    gone.filename = "gone.tif"; // no file written
    builder.AddDocument(builder.AddFolder(builder.AddDrawer(builder.AddCabinet())), gone);
    const CliResult found = Rezud({"check", "--deep", "--json"});
    EXPECT_EQ(found.code, 1);
    const nlohmann::json j = nlohmann::json::parse(found.out);
    EXPECT_EQ(j["exit"], 1);
    EXPECT_EQ(j["check"]["check"], "integrity_check");
    EXPECT_EQ(j["check"]["counts"]["file-missing"], 1);
    EXPECT_EQ(Rezud({"check", "--stale-days", "-1"}).code, 64);
}

// A program directory nobody may write, as an installed one: the settings
// are the user's own, and the file beside the program only their defaults.
TEST_F(RezudTest, ReadOnlyProgramDirectoryKeepsTheSettingsInTheUsersOwnFile)
{
    const std::string site = ReadFile(env.Ini());
    fs::permissions(env.Ini(), fs::perms(0444));
    fs::permissions(env.programDir, fs::perms(0555));
    environment["XDG_CONFIG_HOME"] = (env.root / "xdg").string();
    const std::string own = (env.root / "xdg/rezudizid/Vellarch.ini").string();

    nlohmann::json j = nlohmann::json::parse(Rezud({"status", "--json"}).out);
    EXPECT_EQ(j["settingsFile"], own);
    EXPECT_EQ(j["settingsDefaults"], env.Ini());
    EXPECT_EQ(j["library"], lib) << "from the defaults";

    const std::string backup = (env.root / "bk").string();
    fs::create_directories(backup);
    EXPECT_EQ(Rezud({"select", lib, "--backup", backup}).code, 0);
    EXPECT_EQ(IniRead(own, "Lib", "Backpath"), backup);
    EXPECT_EQ(ReadFile(env.Ini()), site);
    EXPECT_EQ(nlohmann::json::parse(Rezud({"status", "--json"}).out)["backup"], backup);
    fs::permissions(env.programDir, fs::perms(0755));
}
