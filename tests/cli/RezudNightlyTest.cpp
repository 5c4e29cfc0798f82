#include "RezudFixture.h"
#include "core/backup/NightlyRun.h"
#include "core/backup/VerifySubset.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

class RezudNightlyTest : public RezudBackupTestBase {
protected:
    std::string metrics = (env.root / "rezud.prom").string();

    void SetUp() override
    {
        for (int i = 0; i < 3; ++i) AddDocument();
        // The nightly run creates no backup path: a missing one is a drive not mounted.
        fs::create_directories(backup);
    }

    std::vector<std::string> StepCommands(const nlohmann::json& j)
    {
        std::vector<std::string> names;
        for (const auto& step : j["steps"]) names.push_back(step["command"].get<std::string>());
        return names;
    }
};

TEST_F(RezudNightlyTest, BacksUpVerifiesAndWritesEachCommandsMetricsWithoutARepository)
{
    Unattended();
    const CliResult r = Rezud({"nightly", "--yes", "--json", "--metrics", metrics});
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(StepCommands(j), (std::vector<std::string>{"backup", "verify"}));
    EXPECT_EQ(j["steps"][0]["totals"]["copied"], 3);
    EXPECT_EQ(j["steps"][1]["verify"]["readData"], "share " + std::to_string(VerifySubset::Today() % 20 + 1) + " of 20")
        << j["steps"][1]["verify"];
    EXPECT_EQ(j["offsite"], false);
    EXPECT_EQ(j["summary"], std::string("Nightly run: backup 0, verify 0. ") + kNightlyNoRepository);

    const std::string prom = ReadFile(metrics);
    for (const char* line :
         {"rezud_exit_code{command=\"backup\"} 0\n", "rezud_exit_code{command=\"verify\"} 0\n",
          "rezud_exit_code{command=\"nightly\"} 0\n", "rezud_documents_copied{command=\"backup\"} 3\n",
          "rezud_documents_owed{command=\"backup\"} 0\n", "rezud_findings{command=\"verify\"} 0\n"})
        EXPECT_NE(prom.find(line), std::string::npos) << line << prom;
    EXPECT_EQ(prom.find("quillset"), std::string::npos);
}

TEST_F(RezudNightlyTest, AStepThatFailedStopsTheChainWithItsExitCode)
{
    // A wrong administrator password: the backup refuses and nothing follows.
    Unattended("wrong");
    CliResult r = Rezud({"nightly", "--yes", "--json", "--metrics", metrics});
    EXPECT_EQ(r.code, 3);
    nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(StepCommands(j), std::vector<std::string>{"backup"});
    EXPECT_FALSE(fs::exists(backup + "/Libbackup.ini"));
    std::string prom = ReadFile(metrics);
    EXPECT_NE(prom.find("rezud_exit_code{command=\"nightly\"} 3\n"), std::string::npos) << prom;
    EXPECT_EQ(prom.find("command=\"verify\""), std::string::npos) << prom;

    // A document the backup cannot copy: verified, found owed, never pushed.
    AddDocument("broken.tif");
    fs::remove(lib + "/00000001/broken.tif");
    fs::create_directory(lib + "/00000001/broken.tif");
    Unattended();
    r = Rezud({"nightly", "--yes", "--json", "--repo", (env.root / "repo").string(), "--metrics", metrics});
    EXPECT_EQ(r.code, 1) << r.out;
    j = nlohmann::json::parse(r.out);
    EXPECT_EQ(StepCommands(j), (std::vector<std::string>{"backup", "verify"}));
    EXPECT_EQ(j["offsite"], true);
    prom = ReadFile(metrics);
    EXPECT_NE(prom.find("rezud_documents_owed{command=\"verify\"} 1\n"), std::string::npos) << prom;
    EXPECT_NE(prom.find("rezud_last_success_timestamp_seconds{command=\"verify\"}"), std::string::npos) << prom;
}

TEST_F(RezudNightlyTest, AMetricsFileThatCannotBeWrittenFailsTheCommand)
{
    const CliResult r = Rezud({"status", "--metrics", (env.root / "none" / "rezud.prom").string()});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("none"), std::string::npos) << r.err;
}
