#include "core/library/LocationFiles.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(LocationFiles, SizesOfOrdinaryFilesInsideTheLibraryOnly)
{
    TestEnv env;
    const fs::path lib = env.root / "lib";
    fs::create_directories(lib / "00000001");
    fs::create_directories(lib / "deep/er");
    fs::create_directories(lib / "00000001/folder.tif");
    WriteFile(lib / "00000001/a.tif", std::string(1500, 'a'));
    WriteFile(lib / "00000001/.hidden.tif", "hidden");
    WriteFile(lib / "deep/er/b.tif", "bb");
    WriteFile(env.root / "secret.tif", "outside the library");
    fs::create_symlink(lib / "00000001/a.tif", lib / "deep/er/link.tif");

    LocationFiles files(lib.string());
    EXPECT_EQ(files.FileLength("00000001", "a.tif"), 1500);
    EXPECT_EQ(files.FileLength("00000001", ".hidden.tif"), 0);
    EXPECT_EQ(files.FileLength("00000001", "folder.tif"), 0);
    EXPECT_EQ(files.FileLength("00000001", "missing.tif"), 0);
    EXPECT_EQ(files.FileLength("..", "secret.tif"), 0);
    EXPECT_EQ(files.FileLength("00000001", "../../secret.tif"), 0);
    EXPECT_EQ(files.FileLength("nowhere", "a.tif"), 0);
    EXPECT_EQ(files.FileLength("deep/er", "b.tif"), 2);
    EXPECT_EQ(files.FileLength("deep/er", "link.tif"), 1500); // as stat follows it
    EXPECT_EQ(files.FileLength("00000001", "a.tif"), 1500);   // back to an earlier location
}
