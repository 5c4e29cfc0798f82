// The check beside a desktop client writing to LIB.MDE from another process:
// it neither fails nor waits for the client, and the client is not held up.
#include "core/library/LibraryCheck.h"
#include "support/LibraryBuilder.h"
#include "support/SqlClient.h"
#include "support/TestEnv.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A write transaction that computes for a while before it commits.
constexpr const char* kSlowWrite =
    "UPDATE `lib-ctrl` SET `filecount` = `filecount` + (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL "
    "SELECT x + 1 FROM c WHERE x < 1500000) SELECT count(*) * 0 FROM c) WHERE `rec-id` = 1";

// Another connection holds the write lock (RESERVED or more) on `file`.
bool WriterHolds(const std::string& file)
{
    SQLite::Database probe(file, SQLite::OPEN_READWRITE, 0);
    try {
        probe.exec("BEGIN IMMEDIATE");
        probe.exec("ROLLBACK");
        return false;
    } catch (const SQLite::Exception&) {
        return true;
    }
}

class LibraryCheckClientTest : public ::testing::Test {
protected:
    TestEnv env;
    std::string lib = env.MakeBareLibrary();
    void SetUp() override
    {
        LibraryBuilder builder(lib);
        builder.AddInitialRows();
        const auto folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
        SQLite::Transaction rows(builder.Lib());
        for (int i = 0; i < 300; ++i) {
            LibraryBuilder::Document d;
            d.fileSize = 10;
            builder.AddDocument(folder, d);
        }
        rows.commit();
    }
};

} // namespace

TEST_F(LibraryCheckClientTest, AWriteTransactionHeldThroughTheCheck)
{
    const std::string file = LibDatabaseFile(lib);
    SqlClient client(file, 5000, 1, kSlowWrite);
    const auto waitFrom = Clock::now();
    while (!WriterHolds(file) && Clock::now() - waitFrom < std::chrono::seconds(5))
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(WriterHolds(file)) << "the client never took its write lock";

    const auto start = Clock::now();
    const CheckReport r = CheckLibrary(lib, {.deep = true});
    const auto took = Clock::now() - start;
    const bool stillHeld = WriterHolds(file);
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_TRUE(r.findings.empty()) << DescribeFinding(r.findings.front());
    EXPECT_EQ(r.documents, 300);
    EXPECT_LT(took, std::chrono::seconds(3));
    EXPECT_TRUE(stillHeld) << "the check ended after the client: it may have waited for it";
    EXPECT_EQ(client.Wait(), 0);
    EXPECT_EQ(client.Committed(), std::vector<long>{1});
}

TEST_F(LibraryCheckClientTest, ClientsCommittingAllTheWhile)
{
    SqlClient client(LibDatabaseFile(lib), 5000, 100, "UPDATE `lib-ctrl` SET `filecount` = ?1 WHERE `rec-id` = 1");
    for (int checks = 0; checks < 10; ++checks) {
        const CheckReport r = CheckLibrary(lib);
        ASSERT_TRUE(r.errors.empty()) << r.errors.front();
        ASSERT_TRUE(r.findings.empty()) << DescribeFinding(r.findings.front());
    }
    EXPECT_EQ(client.Wait(), 0);
    EXPECT_EQ(client.Committed().size(), 100u);
}
