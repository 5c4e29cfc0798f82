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
    for (const auto& [folderRange, idRange] : {std::pair{1, 1}, {2, 3}, {5, 7}, {512, 65536}}) {
        SCOPED_TRACE(std::to_string(folderRange) + " folders, " + std::to_string(idRange) + " ids a statement");
        const DueFolders read = ReadDueFolders(env.app->db, "2026-01-01 00:00:00", folderRange, idRange);
        EXPECT_EQ(read.due, due);
        for (std::size_t i = 0; i < folders.size(); ++i) EXPECT_EQ(read.Count(folders[i]), counts[i]) << i;
        EXPECT_EQ(read.Count(987654), 1);
        EXPECT_EQ(read.Count(-1), 0);
    }
    // Nothing changed since.
    EXPECT_TRUE(ReadDueFolders(env.app->db, "2026-06-01 12:00:00").due.empty());
}
