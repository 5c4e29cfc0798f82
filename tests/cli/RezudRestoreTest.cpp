#include "RezudFixture.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

class RezudRestoreTest : public RezudBackupTestBase {
protected:
    std::string dir = (env.root / "restored").string();

    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) AddDocument("", 100 + i);
        env.Configure(lib);
        Unattended();
        const CliResult backedUp = Rezud({"backup", "--to", backup, "--yes", "--create-backup-path"});
        ASSERT_EQ(backedUp.code, 0) << backedUp.err;
        ASSERT_NE(backedUp.out.find("Total files actually copied : 3"), std::string::npos) << backedUp.out;
    }
};

TEST_F(RezudRestoreTest, RestoresAndReportsTheCountsAsTextAndJson)
{
    const CliResult r = Rezud({"restore", backup, dir});
    ASSERT_EQ(r.code, 0) << r.err << r.out;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "Library restored from " + backup + " into " + dir +
                         "\nFiles restored : 5\nFiles restored already by the stopped run : 0\n"
                         "Files the backup's manifest has no entry for (not checked) : 0\n");
    EXPECT_EQ(ReadFile(dir + "/00000001/DOC2.TIF"), ReadFile(lib + "/00000001/DOC2.TIF"));
    // The configured library stays as it was.
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), lib);

    fs::remove_all(dir);
    const CliResult j = Rezud({"restore", backup, dir, "--json"});
    ASSERT_EQ(j.code, 0) << j.err;
    const nlohmann::json report = nlohmann::json::parse(j.out);
    EXPECT_EQ(report["restore"]["restored"], 5);
    EXPECT_EQ(report["restore"]["skipped"], 0);
    EXPECT_EQ(report["restore"]["mismatches"]["count"], 0);
    EXPECT_EQ(report["restore"]["missing"]["count"], 0);
    EXPECT_EQ(report["exit"], 0);
}

TEST_F(RezudRestoreTest, AMismatchIsNamedAndExitsOne)
{
    WriteFile(backup + "/00000001/DOC1.TIF", std::string(100, 'q'));
    const CliResult r = Rezud({"restore", backup, dir, "--json"});
    EXPECT_EQ(r.code, 1) << r.err << r.out;
    const nlohmann::json report = nlohmann::json::parse(r.out);
    EXPECT_EQ(report["restore"]["mismatches"]["names"], nlohmann::json::array({"00000001/DOC1.TIF"}));
    EXPECT_EQ(report["restore"]["mismatches"]["list"], dir + "/restore-mismatches.txt");
    EXPECT_EQ(report["exit"], 1);
    EXPECT_TRUE(r.err.ends_with("rezud restore: the library is not as the backup has it: 1 mismatch, 0 missing "
                                "files, 0 refused documents, 0 unreadable files\n"))
        << r.err;
}

TEST_F(RezudRestoreTest, RefusesTheActiveLibraryAndANonEmptyDirectoryWithExitTwo)
{
    const CliResult active = Rezud({"restore", backup, lib});
    EXPECT_EQ(active.code, 2);
    EXPECT_EQ(active.err, "A backup cannot be restored into the active library: " + lib + "\n");
    const CliResult given = Rezud({"--library", lib + "/", "restore", backup, lib + "/."});
    EXPECT_EQ(given.code, 2);
    fs::create_directories(dir);
    WriteFile(dir + "/keep.txt", "x");
    const CliResult full = Rezud({"restore", backup, dir});
    EXPECT_EQ(full.code, 2);
    EXPECT_EQ(full.err, "The directory is not empty: " + dir + "\n");
    EXPECT_EQ(CountRows(Lib(), "SELECT count(*) FROM images"), 3);
}

TEST_F(RezudRestoreTest, SelectMakesTheRestoredLibraryTheActiveOne)
{
    const CliResult r = Rezud({"restore", backup, dir, "--select"});
    ASSERT_EQ(r.code, 0) << r.err << r.out;
    EXPECT_EQ(IniRead(env.Ini(), "Lib", "Path"), dir);
    EXPECT_NE(r.out.find("Active library: " + dir), std::string::npos) << r.out;
    const CliResult status = Rezud({"status", "--json"});
    EXPECT_EQ(nlohmann::json::parse(status.out)["library"], dir);
}
