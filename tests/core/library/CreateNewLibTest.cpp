#include "core/library/LibraryCreate.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

const char* kDefaultQuestion =
    "Would you like the system to create a default document library for you (Click Yes) \r\n"
    " or would you prefer to choose the drive and directory for the new library ? (Click No) ";

class CreateNewLibTest : public ::testing::Test {
protected:
    TestEnv env;
    fs::path home = env.root / "home";
    std::string defaultLib = (home / "VrchLib").string();
    int chooserCalls = 0;
    std::string chosen;

    void SetUp() override
    {
        fs::create_directories(home);
        env.app->state.homeDir = home;
    }
    bool Run()
    {
        return CreateNewLib(*env.app, [this] {
            ++chooserCalls;
            return chosen;
        });
    }
};

} // namespace

TEST_F(CreateNewLibTest, DefaultLibraryGoesIntoTheHomeDirectory)
{
    EXPECT_EQ(DefaultLibraryPath(env.app->state), defaultLib);
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes};
    env.prompter.inputs = {"Main"};
    EXPECT_TRUE(Run());
    EXPECT_EQ(chooserCalls, 0);
    EXPECT_EQ(env.prompter.boxes[0].text, kDefaultQuestion);
    EXPECT_EQ(env.prompter.boxes[0].title, "Admin Tool");
    EXPECT_EQ(env.prompter.boxes[0].icon, MsgIcon::Question);
    EXPECT_TRUE(fs::exists(LibDatabaseFile(defaultLib)));
}

TEST_F(CreateNewLibTest, DefaultHoldingALibraryAsksThenStopsWithoutChange)
{
    const std::string lib = CreateLibrary(env, "home/VrchLib", "Old");
    const std::string content = ReadFile(LibDatabaseFile(lib));
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes};
    EXPECT_FALSE(Run());
    const auto texts = env.prompter.Texts();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[1], "A default document library already exists, overwrite it ?");
    EXPECT_EQ(env.prompter.boxes[1].title, "Library setup");
    EXPECT_EQ(texts[2].rfind("You are about to create a new library in location: ", 0), 0u);
    EXPECT_EQ(texts[3].rfind("A document library already exists in the specified directory", 0), 0u);
    EXPECT_EQ(ReadFile(LibDatabaseFile(lib)), content);

    // No at the overwrite question ends there.
    env.prompter.Clear();
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::No};
    EXPECT_FALSE(Run());
    EXPECT_EQ(env.prompter.boxes.size(), 2u);
}

TEST_F(CreateNewLibTest, ChosenLocationOrCancel)
{
    env.prompter.answers = {MsgAnswer::No};
    EXPECT_FALSE(Run());
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_EQ(env.prompter.boxes.size(), 1u);

    chosen = (env.root / "chosen").string();
    env.prompter.answers = {MsgAnswer::No, MsgAnswer::Yes};
    env.prompter.inputs = {""};
    EXPECT_TRUE(Run());
    EXPECT_TRUE(fs::exists(LibDatabaseFile(chosen)));
    EXPECT_FALSE(fs::exists(defaultLib));
}
