#include "core/library/LibStatistics.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

TEST(FormatFileSize, UnitsRoundingAndShortestText)
{
    EXPECT_EQ(FormatFileSize(0), "0 KB");
    EXPECT_EQ(FormatFileSize(1024), "1024 KB");
    EXPECT_EQ(FormatFileSize(1025), "1 MB");
    EXPECT_EQ(FormatFileSize(1536), "1.5 MB");
    EXPECT_EQ(FormatFileSize(1048576), "1024 MB");
    EXPECT_EQ(FormatFileSize(1048577), "1 GB");
    EXPECT_EQ(FormatFileSize(5LL * 1048576 * 1024), "5120 GB");
    // 1.25 MB and 1.35 MB: halves go to the even tenth.
    EXPECT_EQ(FormatFileSize(1280), "1.2 MB");
    EXPECT_EQ(FormatFileSize(1382), "1.3 MB");
}

TEST(FormatFileSize, FolderBytesToKilobytesHalvesToEven)
{
    EXPECT_EQ(BytesToKilobytes(1536), 2);
    EXPECT_EQ(BytesToKilobytes(2560), 2);
    EXPECT_EQ(BytesToKilobytes(0), 0);
    EXPECT_EQ(BytesToKilobytes(3LL << 40), 3LL << 30);
}

class StatisticsTest : public ::testing::Test {
protected:
    TestEnv env;
    std::string lib = env.MakeBareLibrary();
    LibraryBuilder builder{lib};
    void SetUp() override
    {
        builder.AddInitialRows();
        env.Activate(lib);
    }
    LibraryBuilder::Document Doc(std::int64_t bytes, std::optional<std::string> internal = "1", std::int64_t pages = 1)
    {
        LibraryBuilder::Document d;
        d.fileSize = bytes;
        d.internal = std::move(internal);
        d.pages = pages;
        return d;
    }
};

TEST_F(StatisticsTest, EmptyLibrary)
{
    builder.AddCabinet();
    LibStatistics stats(*env.app);
    const StatResult r = stats.Start();
    EXPECT_EQ(r.report, "\r\n     Empty !");
    EXPECT_EQ(r.fileCount, 0);
    EXPECT_EQ(r.fileSizeKB, 0);
}

TEST_F(StatisticsTest, ReportCountsPagesAndSizes)
{
    const auto drawer = builder.AddDrawer(builder.AddCabinet());
    const auto f1 = builder.AddFolder(drawer), f2 = builder.AddFolder(drawer);
    builder.AddCabinet(); // an empty cabinet still counts
    builder.AddDocument(f1, Doc(1000, std::nullopt, 3));
    builder.AddDocument(f1, Doc(536, "2", 4));
    builder.AddDocument(f2, Doc(2560, "0", 50)); // not an image: no pages
    auto missing = Doc(0, "C", 7);
    missing.fileSize.reset();
    builder.AddDocument(f2, missing);
    std::vector<std::pair<std::int64_t, std::int64_t>> progress;
    LibStatistics stats(*env.app, [&](std::int64_t v, std::int64_t m) { progress.emplace_back(v, m); });
    const StatResult r = stats.Start();
    EXPECT_EQ(r.report, "\r\n     Document Library Statistics\r\n\r\n"
                        "     Number of Cabinets: 2\r\n"
                        "     Number of Drawers: 1\r\n"
                        "     Number of Folders: 2\r\n"
                        "     Number of Documents: 4\r\n"
                        "     Number of Pages: 7  (for image files only)\r\n"
                        "     Total File Size: 4 KB  (compressed in Library)");
    EXPECT_EQ(r.fileCount, 4);
    EXPECT_EQ(r.fileSizeKB, 4); // 1536 bytes and 2560 bytes: 2 KB each
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::make_pair(std::int64_t{4}, std::int64_t{4}));
}

TEST_F(StatisticsTest, CabinetsOnlyLeaveOutDrawerAndFolderLines)
{
    const auto cabinet = builder.AddCabinet();
    // A document of a folder outside any drawer is not reached by the walk.
    builder.AddDocument(cabinet + 100, Doc(10));
    const StatResult r = LibStatistics(*env.app).Start();
    EXPECT_NE(r.report.find("Number of Cabinets: 1\r\n     Number of Documents: 0\r\n"), std::string::npos);
    EXPECT_EQ(r.report.find("Drawers"), std::string::npos);
    EXPECT_NE(r.report.find("Total File Size: 0 KB"), std::string::npos);
}

TEST_F(StatisticsTest, LargeTotalsUseSixtyFourBits)
{
    const auto folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
    builder.AddDocument(folder, Doc(10));
    LibStatistics stats(*env.app);
    ASSERT_TRUE(stats.CountDocuments());
    // A folder file over 2 GB, made sparse so the test stays small.
    std::filesystem::resize_file(env.root / "lib/00000001/DOC1.TIF", 3LL << 30);
    EXPECT_EQ(stats.GetFolderFileSize(folder), 3LL << 20);
    EXPECT_EQ(FormatFileSize(stats.Start().fileSizeKB), "3 GB");
}

TEST_F(StatisticsTest, ProgressNeverPassesTheMaximum)
{
    const auto folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
    for (int i = 0; i < 3; ++i) builder.AddDocument(folder, Doc(1));
    LibStatistics stats(*env.app);
    ASSERT_TRUE(stats.CountDocuments());
    builder.AddDocument(folder, Doc(1)); // the library grows after the count
    StatCounters c;
    EXPECT_EQ(stats.CollectSubNodes(0, c, false), 4);
    EXPECT_LE(stats.ProgressValue(), stats.ProgressMaximum());
}

TEST_F(StatisticsTest, TheWalkLeavesNoLockBehind)
{
    const auto drawer = builder.AddDrawer(builder.AddCabinet());
    for (int i = 0; i < 3; ++i) builder.AddDocument(builder.AddFolder(drawer), Doc(100));
    LibStatistics stats(*env.app);
    EXPECT_EQ(stats.Start().fileCount, 3);
    EXPECT_EQ(env.app->db.TransLevel(), 0);
    SQLite::Database client(LibDatabaseFile(lib), SQLite::OPEN_READWRITE); // no busy wait
    EXPECT_NO_THROW(client.exec("UPDATE `lib-ctrl` SET `filecount`=`filecount`"));
}

TEST_F(StatisticsTest, ALoopingTreeIsWalkedOnceAndReported)
{
    const auto cabinet = builder.AddCabinet();
    const auto drawer = builder.AddDrawer(cabinet);
    const auto folder = builder.AddFolder(drawer);
    builder.AddDocument(folder, Doc(1024, "1", 2));
    builder.AddDocument(folder, Doc(1024, "1", 3));
    const std::string expected = "\r\n     Document Library Statistics\r\n\r\n"
                                 "     Number of Cabinets: 1\r\n"
                                 "     Number of Drawers: 1\r\n"
                                 "     Number of Folders: 1\r\n"
                                 "     Number of Documents: 2\r\n"
                                 "     Number of Pages: 5  (for image files only)\r\n"
                                 "     Total File Size: 2 KB  (compressed in Library)";
    // A row with the root's own id, first its own child, then closing a loop
    // root -> cabinet -> drawer -> root.
    builder.Lib().exec("INSERT INTO `level` (id, pid, `type`) VALUES (0, 0, 'C')");
    for (const std::int64_t parent : {std::int64_t{0}, drawer}) {
        builder.Lib().exec("UPDATE `level` SET pid = " + std::to_string(parent) + " WHERE id = 0");
        LibStatistics stats(*env.app);
        const StatResult r = stats.Start();
        EXPECT_EQ(r.report, expected) << "id 0 under " << parent;
        EXPECT_EQ(r.fileCount, 2);
        EXPECT_EQ(r.fileSizeKB, 2);
        EXPECT_EQ(stats.ProgressValue(), 2);
    }
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
}

TEST_F(StatisticsTest, ALoopAwayFromTheRootEndsWhereItStarted)
{
    // Three drawers whose parents go round, one of them holding a folder.
    builder.Lib().exec("INSERT INTO `level` (id, pid, `type`) VALUES (501, 503, 'D'), (502, 501, 'D'), "
                       "(503, 502, 'C'), (504, 502, 'F')");
    builder.AddDocument(504, Doc(10));
    LibStatistics stats(*env.app);
    ASSERT_TRUE(stats.CountDocuments());
    for (const std::int64_t start : {501, 502, 503}) {
        StatCounters c;
        EXPECT_EQ(stats.CollectSubNodes(start, c, true), 1) << "from " << start;
        // Every node but the starting one is counted once.
        EXPECT_EQ(c.cabinets + c.drawers, 2) << "from " << start;
        EXPECT_EQ(c.folders, 1) << "from " << start;
    }
    // The walk from the root does not reach the loop.
    StatCounters c;
    EXPECT_EQ(stats.CollectSubNodes(0, c, true), 0);
    EXPECT_EQ(c.drawers + c.cabinets + c.folders, 0);
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
}
