#include "backup/FileSystemFlush.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(FileSystemFlush, FlushesWhatWasWrittenAndReportsAFailure)
{
    TestEnv env;
    const fs::path dir = env.root / "backup";
    fs::create_directories(dir);
    {
        FileSystemFlush flush(dir.string());
        WriteFile(dir / "a.tif", "page");
        EXPECT_NO_THROW(flush.Finish());
    }
    FileSystemFlush gone(dir.string());
    fs::remove_all(dir);
    EXPECT_THROW(gone.Finish(), fs::filesystem_error);

    // Dropped unfinished (a run that stopped early): the helper must end
    // with it, or the program would be terminated here.
    FileSystemFlush dropped(env.root.string());
}
