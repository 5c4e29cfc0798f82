#include "OffsiteFixture.h"

// With a repository: pushed and thinned; a push that failed stops the chain
// before the retention.
TEST_F(OffsiteTest, TheNightlyRunPushesAndForgetsAndAFailedPushStopsIt)
{
    ASSERT_EQ(Offsite("init").code, 0);
    const std::string metrics = (env.root / "rezud.prom").string();
    auto nightly = [&](const std::string& password) {
        return Rezud(
            {"nightly", "--yes", "--json", "--repo", repo, "--repo-password-file", password, "--metrics", metrics});
    };
    CliResult r = nightly(pw);
    ASSERT_EQ(r.code, 0) << r.out << r.err;
    nlohmann::json j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j["steps"].size(), 4u) << j;
    EXPECT_EQ(j["steps"][2]["command"], "offsite push");
    EXPECT_EQ(j["steps"][3]["command"], "offsite forget");
    EXPECT_EQ(j["steps"][3]["exit"], 0);
    const std::string prom = ReadFile(metrics);
    EXPECT_NE(prom.find("rezud_exit_code{command=\"offsite push\"} 0\n"), std::string::npos) << prom;
    EXPECT_NE(prom.find("\nrezud_offsite_last_push_timestamp_seconds 1"), std::string::npos) << prom;
    for (const std::string& hidden : {std::string("offsite secret"), pw, repo})
        EXPECT_EQ(prom.find(hidden), std::string::npos) << hidden;

    const std::string wrong = (env.root / "wrong-pw").string();
    WriteFile(wrong, "not it\n");
    r = nightly(wrong);
    EXPECT_EQ(r.code, 2) << r.out;
    j = nlohmann::json::parse(r.out);
    ASSERT_EQ(j["steps"].size(), 3u) << j;
    EXPECT_EQ(j["steps"][2]["exit"], 2);
    EXPECT_NE(ReadFile(metrics).find("rezud_exit_code{command=\"nightly\"} 2\n"), std::string::npos);
}
