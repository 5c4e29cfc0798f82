// What the incremental walk reads: every folder counted and every changed
// row found, whatever the sizes of the ranges it reads in and however far
// apart the ids lie.
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

    const std::vector<std::int64_t> counts{1, 3, 7, 5, 5};
    for (const DueRanges ranges : {DueRanges{1, 1}, DueRanges{2, 3}, DueRanges{5, 7}, DueRanges{}}) {
        SCOPED_TRACE(std::to_string(ranges.folders) + " folders, " + std::to_string(ranges.ids) + " ids a statement");
        const auto read = ReadFolderCounts(LibDatabaseFile(lib), ranges.folders);
        for (std::size_t i = 0; i < folders.size(); ++i) EXPECT_EQ(read.at(folders[i]), counts[i]) << i;
        EXPECT_EQ(read.at(987654), 1);
        EXPECT_EQ(read.size(), folders.size() + 1);
        std::vector<std::string> due;
        std::int64_t lastId = 0;
        ForEachDueRange(env.app->db, {"2026-01-01 00:00:00"}, ranges.ids, [&](const std::vector<DueRow>& rows) {
            EXPECT_FALSE(rows.empty());
            for (const DueRow& r : rows) {
                EXPECT_GT(r.row.id, lastId) << "in order of id, each once";
                lastId = r.row.id;
                due.push_back(std::to_string(r.folder) + " " + r.row.Named());
            }
        });
        ASSERT_EQ(due.size(), 3u);
        EXPECT_EQ(due[0].substr(0, due[0].find(' ')), std::to_string(folders[1]));
        EXPECT_EQ(due[1], std::to_string(folders[3]) + " 5000000: 00000001/FAR.TIF");
        EXPECT_EQ(due[2].substr(0, due[2].find(' ')), "987654");
    }
    // Nothing changed since.
    bool visited = false;
    ForEachDueRange(env.app->db, {"2026-06-01 12:00:00"}, 16384, [&](const std::vector<DueRow>&) { visited = true; });
    EXPECT_FALSE(visited);
}

// A walk copies the changed documents of the folders it reaches, and only
// those, however many ranges of ids they are read in.
TEST_F(BackupTest, AWalkCopiesWhatChangedInTheFoldersItReachesWhateverTheRanges)
{
    namespace fs = std::filesystem;
    const std::int64_t other = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
    const std::int64_t quiet = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
    for (const std::int64_t f : {folder, other, quiet})
        for (int n = 0; n < 3; ++n) builder.AddDocument(f, Doc(""));
    ASSERT_TRUE(Run());
    ASSERT_EQ(last.scan, 9);
    int version = 0;
    // Ids a statement, and changed rows held from the space check to the
    // copies: past those, the copies read the rest again.
    for (const auto& [ids, held] : {std::pair<std::int64_t, std::int64_t>{1, 16384}, {2, 1}, {16384, 0}}) {
        SCOPED_TRACE(std::to_string(ids) + " ids, " + std::to_string(held) + " held");
        builder.Lib().exec("UPDATE images SET `updated-date`='2020-01-01 10:00:00'"); // copied by now
        auto changed = [&](std::int64_t f) {
            auto doc = Doc("NEW" + std::to_string(++version) + ".TIF", "1", "2099-01-01 00:00:00");
            doc.fileTime = fs::file_time_type::clock::now() + std::chrono::hours(2);
            builder.AddDocument(f, doc);
        };
        changed(folder);
        changed(other);
        changed(424242); // a folder the tree does not reach
        LibBackupRun run(*env.app, Plenty);
        run.dueRanges.ids = ids;
        run.dueRanges.held = held;
        ASSERT_TRUE(Run(run));
        EXPECT_EQ(run.Totals().scan, 9 + 2 * version / 3);
        EXPECT_EQ(run.Totals().copy, 2);
        EXPECT_TRUE(fs::exists(Copied("NEW" + std::to_string(version - 2) + ".TIF")));
        EXPECT_TRUE(fs::exists(Copied("NEW" + std::to_string(version - 1) + ".TIF")));
        EXPECT_FALSE(fs::exists(Copied("NEW" + std::to_string(version) + ".TIF")));
    }
}
