#include "core/common/AtomicFile.h"
#include "support/BackupFixture.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <atomic>

namespace fs = std::filesystem;

// A desktop client must be able to write while the backup copies files,
// also in an incremental run, where unchanged folders share one read.
TEST_F(BackupTest, AClientCanWriteWhileFilesAreCopied)
{
    for (int i = 0; i < 3; ++i)
        builder.AddDocument(builder.AddFolder(builder.AddDrawer(builder.AddCabinet())), Doc(""));
    builder.AddDocument(folder, Doc("a.tif"));
    ASSERT_TRUE(Run());

    for (int i = 0; i < 3; ++i) {
        auto changed = Doc("", "1", "2099-01-01 00:00:00");
        changed.fileTime = fs::file_time_type::clock::now() + std::chrono::hours(2);
        builder.AddDocument(folder, changed);
    }
    std::atomic<int> writes = 0;
    LibBackupRun run(*env.app, Plenty);
    run.copyFile = [&](const fs::path& s, const fs::path& d) {
        SQLite::Database client(LibDatabaseFile(lib), SQLite::OPEN_READWRITE, 2000);
        client.exec("UPDATE `lib-ctrl` SET `filecount`=`filecount` WHERE `rec-id`=1");
        ++writes;
        return run.WriteDocument(s, d);
    };
    ASSERT_TRUE(Run(run));
    EXPECT_EQ(writes, 3);
    EXPECT_EQ(run.Totals().copy, 3);
    EXPECT_EQ(run.Totals().scan, 7);
    EXPECT_EQ(env.app->db.TransLevel(), 0);
    EXPECT_TRUE(env.prompter.boxes.empty());
}
