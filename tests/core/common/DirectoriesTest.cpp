#include "core/common/Directories.h"

#include "../backup/FaultShim.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

// Each new directory is flushed into its parent, and a flush that fails
// fails the making.
TEST(Directories, NewDirectoriesAreFlushedIntoTheirParents)
{
    TestEnv env;
    faults::FailBelow(faults::Op::Fsync, env.root.string(), EIO, 2);
    MakeDirectories(env.root / "a/b", 0700);
    EXPECT_EQ(faults::CallsBelow(faults::Op::Fsync), 2) << "root, then a";
    MakeDirectories(env.root / "a/b", 0700);
    EXPECT_EQ(faults::CallsBelow(faults::Op::Fsync), 2) << "nothing new, nothing flushed";
    EXPECT_THROW(MakeDirectories(env.root / "a/c", 0700), fs::filesystem_error);
    faults::Clear();

    WriteFile(env.root / "file", "");
    EXPECT_THROW(MakeDirectories(env.root / "file/d", 0700), fs::filesystem_error);
}
