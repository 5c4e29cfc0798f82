#include "core/backup/IsLogic.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace {
FreeSpaceSource Free(std::uint64_t bytes, std::string* asked = nullptr)
{
    return [=](const std::string& dir) {
        if (asked) *asked = dir;
        return std::optional<std::uint64_t>(bytes);
    };
}
} // namespace

TEST(IsEnoughSpace, MarginOfTwentyPercentStrictly)
{
    TestEnv env;
    const std::string path = env.root.string();
    EXPECT_FALSE(IsEnoughSpace(path, 1000, env.prompter, Free(1228800)));
    EXPECT_TRUE(IsEnoughSpace(path, 1000, env.prompter, Free(1228801)));
    EXPECT_TRUE(IsEnoughSpace(path, 0, env.prompter, Free(1)));
    EXPECT_FALSE(IsEnoughSpace(path, 0, env.prompter, Free(0)));
    // Libraries past the old 2 GB limit are measured, not refused.
    EXPECT_TRUE(IsEnoughSpace(path, 3'000'000'000LL, env.prompter, Free(4'000'000'000'000ULL)));
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST(IsEnoughSpace, AsksTheNearestExistingDirectory)
{
    TestEnv env;
    std::string asked;
    EXPECT_TRUE(IsEnoughSpace("  " + env.root.string() + "/not/yet/there", 1, env.prompter, Free(1 << 20, &asked)));
    EXPECT_EQ(asked, env.root.string());
    EXPECT_TRUE(IsEnoughSpace(env.root.string(), 1, env.prompter));
}

TEST(IsEnoughSpace, FailureToAskIsTold)
{
    TestEnv env;
    auto broken = [](const std::string&) { return std::optional<std::uint64_t>(); };
    EXPECT_FALSE(IsEnoughSpace(env.root.string(), 1, env.prompter, broken));
    EXPECT_EQ(env.prompter.Last().text, "Error checking disk space !");
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
}
