// The incremental walk's reading ahead: every folder counted and every
// folder with a changed document found, whatever the sizes of the ranges
// it reads in and however far apart the ids lie.
#include "core/backup/DueFolders.h"
#include "support/BackupFixture.h"

TEST_F(BackupTest, FoldersAreCountedAndTheirChangesFoundAcrossRangesAndGapsInTheIds)
{
    std::vector<std::int64_t> folders{folder};
    for (int i = 0; i < 4; ++i) folders.push_back(builder.AddFolder(builder.AddDrawer(builder.AddCabinet())));
    // Folder i holds i + 1 documents unchanged since 2020.
    for (std::size_t i = 0; i < folders.size(); ++i)
        for (std::size_t n = 0; n <= i; ++n) builder.AddDocument(folders[i], Doc(""));
    const std::string changed = "2026-06-01 12:00:00";
    builder.AddDocument(folders[1], Doc("", "1", changed));
    // Rows the change test never passes, changed or not.
    builder.AddDocument(folders[2], Doc("", "C", changed));
    builder.AddDocument(folders[2], Doc("", "0", changed));
    builder.AddDocument(folders[2], Doc("", std::nullopt, changed));
    builder.AddDocument(folders[2], Doc("", "1", std::nullopt));
    // Changed, with an id far past the others.
    builder.Lib().exec("INSERT INTO images (id, `folder-id`, filename, location, internal, `updated-date`) VALUES "
                       "(5000000, " +
                       std::to_string(folders[3]) + ", 'FAR.TIF', '00000001', '2', '" + changed + "')");
    // A document of a folder that is not in the tree.
    builder.AddDocument(987654, Doc("", "1", changed));

    const std::unordered_set<std::int64_t> due{folders[1], folders[3], 987654};
    const std::vector<std::int64_t> counts{1, 3, 7, 5, 5};
    for (const DueRanges ranges : {DueRanges{1, 1, 3}, DueRanges{2, 3, 3}, DueRanges{5, 7, 3}, DueRanges{}}) {
        SCOPED_TRACE(std::to_string(ranges.folders) + " folders, " + std::to_string(ranges.ids) + " ids a statement");
        const DueFolders read = ReadDueFolders(env.app->db, "2026-01-01 00:00:00", ranges);
        EXPECT_EQ(read.due, due);
        for (std::size_t i = 0; i < folders.size(); ++i) EXPECT_EQ(read.Count(folders[i]), counts[i]) << i;
        EXPECT_EQ(read.Count(987654), 1);
        EXPECT_EQ(read.Count(-1), 0);
        ASSERT_TRUE(read.rowsHeld);
        ASSERT_EQ(read.RowsOf(folders[3]).size(), 1u);
        EXPECT_EQ(read.RowsOf(folders[3])[0].Named(), "5000000: 00000001/FAR.TIF");
        EXPECT_EQ(read.RowsOf(folders[1]).size(), 1u);
        EXPECT_TRUE(read.RowsOf(folders[2]).empty());
    }
    // More changed rows than it may hold: the folders all the same, no rows.
    const DueFolders many = ReadDueFolders(env.app->db, "2026-01-01 00:00:00", DueRanges{2, 3, 2});
    EXPECT_EQ(many.due, due);
    EXPECT_FALSE(many.rowsHeld);
    EXPECT_TRUE(many.RowsOf(folders[1]).empty());
    // Nothing changed since.
    EXPECT_TRUE(ReadDueFolders(env.app->db, "2026-06-01 12:00:00").due.empty());
}

// A walk copies the same documents and counts the same whether it holds the
// changed rows it read ahead or, past its bound, reads each folder again.
TEST_F(BackupTest, AWalkCopiesWhatChangedWhetherItHoldsTheChangedRowsOrNot)
{
    namespace fs = std::filesystem;
    const std::int64_t other = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
    const std::int64_t quiet = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
    for (const std::int64_t f : {folder, other, quiet})
        for (int n = 0; n < 3; ++n) builder.AddDocument(f, Doc(""));
    ASSERT_TRUE(Run());
    ASSERT_EQ(last.scan, 9);
    int version = 0;
    for (const std::size_t held : {std::size_t{0}, std::size_t{65536}}) {
        SCOPED_TRACE(held);
        builder.Lib().exec("UPDATE images SET `updated-date`='2020-01-01 10:00:00'"); // copied by now
        for (const std::int64_t f : {folder, other}) {
            auto changed = Doc("NEW" + std::to_string(++version) + ".TIF", "1", "2099-01-01 00:00:00");
            changed.fileTime = fs::file_time_type::clock::now() + std::chrono::hours(2);
            builder.AddDocument(f, changed);
        }
        LibBackupRun run(*env.app, Plenty);
        run.dueRanges.rowsHeld = held;
        ASSERT_TRUE(Run(run));
        EXPECT_EQ(run.Totals().scan, 9 + version);
        EXPECT_EQ(run.Totals().copy, 2);
        EXPECT_TRUE(fs::exists(Copied("NEW" + std::to_string(version - 1) + ".TIF")));
        EXPECT_TRUE(fs::exists(Copied("NEW" + std::to_string(version) + ".TIF")));
    }
}
