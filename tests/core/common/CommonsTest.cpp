#include "core/common/Commons.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

class CommonsTest : public ::testing::Test {
protected:
    TestEnv env;
    std::string At(const std::string& rel) const { return (env.root / rel).string(); }
};

TEST(SplitDrivePath, AbsoluteRelativeAndBlank)
{
    auto parts = [](const std::string& p) {
        const DrivePath d = SplitDrivePath(p);
        return d.drive + "|" + d.dir;
    };
    EXPECT_EQ(parts(""), "|");
    EXPECT_EQ(parts("   "), "|");
    EXPECT_EQ(parts("Lib/Data"), "|");
    EXPECT_EQ(parts("/"), "|/");
    EXPECT_EQ(parts("/Lib/Data"), "|/Lib/Data");
    EXPECT_EQ(parts("/Lib  "), "|/Lib");
    // A comma in a directory name no longer cuts it.
    EXPECT_EQ(parts("/A,B/C"), "|/A,B/C");
}

TEST_F(CommonsTest, CreateFullPathMakesEveryMissingLevel)
{
    const std::string target = At("A/B");
    EXPECT_TRUE(CreateFullPath(target, env.prompter));
    EXPECT_TRUE(fs::is_directory(At("A")));
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_TRUE(CreateFullPath(target + "/", env.prompter));
    // The comma is part of the name here.
    EXPECT_TRUE(CreateFullPath(At("A,B/C"), env.prompter));
    EXPECT_TRUE(fs::is_directory(At("A,B/C")));
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(CommonsTest, CreateFullPathFailuresAreTold)
{
    WriteFile(At("file"), "x");
    EXPECT_FALSE(CreateFullPath(At("file/sub"), env.prompter));
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.Last().text, "Failed to create the directory: " + At("file/sub") +
                                            "\r\nplease check that you have access to the directory !");
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
    EXPECT_EQ(env.prompter.Last().title, "Admin Tool");

    // A directory part of 255 characters with its closing separator is too long.
    std::string longPath = env.root.string() + "/";
    longPath += std::string(254 - longPath.size(), 'x');
    EXPECT_FALSE(CreateFullPath(longPath, env.prompter));
    EXPECT_FALSE(fs::exists(longPath));
    EXPECT_EQ(env.prompter.boxes.size(), 2u);

    // A relative path creates nothing and only says whether it exists.
    EXPECT_FALSE(CreateFullPath("no-such-relative-dir/x", env.prompter));
    EXPECT_FALSE(fs::exists("no-such-relative-dir"));
}

TEST_F(CommonsTest, FileExistsFindsOrdinaryFilesAndWildcards)
{
    fs::create_directories(At("lib/00000000"));
    WriteFile(At("lib/00000000/LIB.MDE"), "x");
    WriteFile(At("lib/.hidden"), "x");
    EXPECT_TRUE(FileExists(At("lib/00000000/LIB.MDE")));
    EXPECT_TRUE(FileExists("  " + At("lib/00000000/LIB.MDE") + " "));
    EXPECT_FALSE(FileExists(At("lib/00000000/lib.mde"))); // names compare with case here
    EXPECT_FALSE(FileExists(At("lib/00000000")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists(At("lib/.hidden")));
    EXPECT_TRUE(FileExists(At("lib/00000000/*.MDE")));
    EXPECT_TRUE(FileExists(At("lib/00000000/LIB.MD?")));
    EXPECT_FALSE(FileExists(At("lib/00000000/*.ini")));
    EXPECT_FALSE(FileExists(At("lib/*")));
    EXPECT_FALSE(FileExists(At("missing/*.MDE")));
}

TEST_F(CommonsTest, DirExistsWithOrWithoutSeparator)
{
    EXPECT_TRUE(DirExists(env.root.string()));
    EXPECT_TRUE(DirExists(env.root.string() + "/"));
    EXPECT_FALSE(DirExists(""));
    WriteFile(At("file"), "x");
    EXPECT_FALSE(DirExists(At("file")));
    EXPECT_FALSE(DirExists(At("missing")));
}

TEST_F(CommonsTest, KillFile)
{
    EXPECT_FALSE(KillFile(At("missing")));
    EXPECT_FALSE(KillFile(""));
    WriteFile(At("ro"), "x");
    fs::permissions(At("ro"), fs::perms::owner_read);
    EXPECT_FALSE(KillFile(At("ro"), true));
    EXPECT_TRUE(fs::exists(At("ro")));
    EXPECT_TRUE(KillFile(At("ro")));
    EXPECT_FALSE(fs::exists(At("ro")));
}

TEST_F(CommonsTest, KillFileDeletesWhatFileExistsFinds)
{
    fs::create_directories(At("d/sub.mde"));
    WriteFile(At("d/a.mde"), "x");
    WriteFile(At("d/b.mde"), "x");
    WriteFile(At("d/.c.mde"), "x");
    WriteFile(At("d/keep.ini"), "x");
    WriteFile(At("d/ro.mde"), "x");
    fs::permissions(At("d/ro.mde"), fs::perms::owner_read);
    ASSERT_TRUE(FileExists(At("d/*.mde")));

    // Every match but the read-only one; hidden files, folders and other
    // names stay.
    EXPECT_TRUE(KillFile(At("d/*.mde"), true));
    EXPECT_FALSE(fs::exists(At("d/a.mde")));
    EXPECT_FALSE(fs::exists(At("d/b.mde")));
    EXPECT_TRUE(fs::exists(At("d/ro.mde")));
    EXPECT_TRUE(fs::exists(At("d/.c.mde")));
    EXPECT_TRUE(fs::is_directory(At("d/sub.mde")));
    EXPECT_TRUE(fs::exists(At("d/keep.ini")));
    // Only read-only matches left: nothing attempted.
    EXPECT_FALSE(KillFile(At("d/?o.mde"), true));
    EXPECT_TRUE(fs::exists(At("d/ro.mde")));
    EXPECT_TRUE(KillFile(At("d/?o.mde")));
    EXPECT_FALSE(FileExists(At("d/*.mde")));
    EXPECT_FALSE(KillFile(At("d/*.mde")));

    // Blanks around the name are ignored, as FileExists ignores them.
    WriteFile(At("d/e.mde"), "x");
    EXPECT_TRUE(KillFile("  " + At("d/e.mde") + " "));
    EXPECT_FALSE(fs::exists(At("d/e.mde")));
}
