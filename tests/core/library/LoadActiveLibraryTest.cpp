#include "core/common/IniFile.h"
#include "core/library/Library.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class LoadActiveLibraryTest : public ::testing::Test {
protected:
    TestEnv env;
    AppState& state() { return env.app->state; }
};

TEST_F(LoadActiveLibraryTest, AcceptsADirectoryHoldingItsLibraryDatabase)
{
    const std::string lib = env.MakeBareLibrary();
    IniWrite(env.Ini(), "LIB", "Path", lib);
    EXPECT_TRUE(LoadActiveLibrary(*env.app));
    EXPECT_EQ(state().gsActiveLibPath, lib);
    EXPECT_EQ(state().gsCtrlLibPath, lib);
}

TEST_F(LoadActiveLibraryTest, RefusesWhatHoldsNoLibraryDatabase)
{
    state().gsActiveLibPath = "/old";
    state().gsCtrlLibPath = "/old";
    // No settings file at all.
    EXPECT_FALSE(LoadActiveLibrary(*env.app));
    EXPECT_EQ(state().gsActiveLibPath, "");

    // A directory without 00000000/LIB.MDE; a LIB.MDE that is a directory;
    // a missing directory; a plain file; an empty key.
    const fs::path empty = env.root / "empty";
    fs::create_directories(empty);
    const fs::path dirNotFile = env.root / "dirlib";
    fs::create_directories(dirNotFile / "00000000/LIB.MDE");
    WriteFile(env.root / "plain", "x");
    for (const fs::path& p : {empty, dirNotFile, env.root / "missing", env.root / "plain", fs::path()}) {
        state().gsActiveLibPath = "/old";
        env.Configure(p.string());
        EXPECT_FALSE(LoadActiveLibrary(*env.app)) << p;
        EXPECT_EQ(state().gsActiveLibPath, "") << p;
    }
    // A refusal leaves the control path as it was.
    EXPECT_EQ(state().gsCtrlLibPath, "/old");
}

TEST_F(LoadActiveLibraryTest, UsesTheStoredTextUnchanged)
{
    const std::string lib = env.MakeBareLibrary();
    env.Configure(lib + "/");
    ASSERT_TRUE(LoadActiveLibrary(*env.app));
    EXPECT_EQ(state().gsActiveLibPath, lib + "/");
    EXPECT_EQ(state().gsCtrlLibPath, lib + "/");
}
