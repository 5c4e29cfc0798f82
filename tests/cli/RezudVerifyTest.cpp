#include "RezudFixture.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

class RezudVerifyTest : public RezudBackupTestBase {
protected:
    void SetUp() override
    {
        for (const char* name : {"a.tif", "b.tif"}) AddDocument(name);
        Unattended();
        ASSERT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);
    }
};

TEST_F(RezudVerifyTest, WholeBackupOfTheSettingsExitsZeroWithoutLoginOrQuestion)
{
    environment.clear();
    const CliResult r = Rezud({"verify", "--read-data"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_NE(r.out.find("Verify of backup " + backup + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Re-read (all): 4 files"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("No findings: the backup is whole."), std::string::npos);
}

TEST_F(RezudVerifyTest, FindingsAreNamedAndExitOne)
{
    fs::remove(backup + "/00000001/a.tif");
    const CliResult text = Rezud({"verify", backup});
    EXPECT_EQ(text.code, 1);
    EXPECT_NE(text.out.find("  file-missing 00000001/a.tif (written "), std::string::npos) << text.out;

    const CliResult json = Rezud({"verify", backup, "--json", "--read-data-subset", "50%"});
    EXPECT_EQ(json.code, 1);
    const nlohmann::json j = nlohmann::json::parse(json.out)["verify"];
    EXPECT_EQ(j["whole"], false);
    EXPECT_EQ(j["counts"]["file-missing"], 1);
    EXPECT_EQ(j["findings"][0]["path"], "00000001/a.tif");
    EXPECT_EQ(json.err, "rezud verify: 1 finding: see the report\n");
    EXPECT_EQ(j["manifestFiles"], 4);
    EXPECT_EQ(j["documents"], 2);
    EXPECT_TRUE(j["readData"].get<std::string>().starts_with("share ")) << j["readData"];
}

TEST_F(RezudVerifyTest, NoBackupOrWrongOptionsAreRefused)
{
    // Nothing verified is never whole, and stderr says why in its first line.
    for (const std::string& path : {(env.root / "nowhere").string(), lib + "/00000001"}) {
        const CliResult r = Rezud({"verify", path});
        EXPECT_EQ(r.code, 2) << path;
        EXPECT_EQ(r.out.find("whole"), std::string::npos) << r.out;
        EXPECT_EQ(r.err.rfind("The backup was not verified: ", 0), 0u) << r.err;
    }
    EXPECT_EQ(Rezud({"verify", "--read-data", "--read-data-subset", "10%"}).code, 64);
    EXPECT_EQ(Rezud({"verify", "--read-data-subset", "0%"}).code, 64);
    IniWrite(env.Ini(), "Lib", "Backpath", "");
    const CliResult none = Rezud({"verify"});
    EXPECT_EQ(none.code, 2);
    EXPECT_NE(none.err.find("Backup library path is not specified"), std::string::npos) << none.err;
}
