#include "core/common/ReadAhead.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <future>

namespace fs = std::filesystem;

// A file handed over as plain may since have become a pipe or a link to
// one, or be gone: the helper neither waits for a pipe's writer nor stops,
// and goes on to the files after it.
TEST(ReadAheadTest, APipeALinkOrAMissingFileNeitherHoldsNorStopsTheHelper)
{
    TestEnv env;
    const fs::path pipe = env.root / "pipe", link = env.root / "link", plain = env.root / "plain";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_symlink(pipe, link);
    std::ofstream(plain) << "content";
    ReadAhead ahead(1 << 20);
    for (const fs::path& p : {pipe, link, env.root / "gone", plain}) ahead.Add(p.string(), 4096);
    auto waited = std::async(std::launch::async, [&] { ahead.Wait(); });
    const bool done = waited.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    if (!done) ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK)); // a writer lets a waiting open go
    EXPECT_TRUE(done) << "the helper waited on the pipe";
}
