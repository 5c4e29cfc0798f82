// Compaction while a desktop client, another process, keeps committing.
#include "core/data/Compact.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <SQLiteCpp/SQLiteCpp.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The client: its own connection, a row per commit, and the row's number
// written to `done` only after the commit returned OK. Stops when `stop`
// is closed. Never returns.
[[noreturn]] void Client(const std::string& file, int stop, int done)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) _exit(2);
    sqlite3_busy_timeout(db, 2000);
    sqlite3_stmt* insert = nullptr;
    pollfd stopped{stop, POLLIN, 0};
    for (std::int64_t row = 1; poll(&stopped, 1, 0) == 0; ++row) {
        // Preparing reads the schema, which a compaction may hold locked.
        if (!insert && sqlite3_prepare_v2(db, "INSERT INTO `level` (`pid`, `type`, `name`) VALUES (0, 'C', ?)", -1,
                                          &insert, nullptr) != SQLITE_OK)
            continue;
        const std::string name = "client " + std::to_string(row);
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        const int rc = sqlite3_step(insert);
        sqlite3_reset(insert);
        if (rc == SQLITE_DONE && write(done, &row, sizeof row) != sizeof row) _exit(4);
        // Irregular pauses, so commits fall at every point of a compaction.
        usleep(static_cast<useconds_t>(row * 7919 % 40000));
    }
    sqlite3_finalize(insert);
    sqlite3_close(db);
    _exit(0);
}

// Reads whole row numbers from a non-blocking pipe.
void Drain(int fd, std::vector<std::int64_t>& rows)
{
    std::int64_t row;
    while (read(fd, &row, sizeof row) == sizeof row) rows.push_back(row);
}

} // namespace

TEST(CompactRace, NoCommitOfAnotherProcessIsLost)
{
    TestEnv env;
    const std::string lib = CreateLibrary(env, "lib", "Raced");
    const std::string file = LibDatabaseFile(lib);
    // The child must not inherit a connection to the file.
    env.app->db.CloseLibConnection();
    env.app->db.CloseCtrlConnection();

    int stop[2], done[2];
    ASSERT_EQ(pipe(stop), 0);
    ASSERT_EQ(pipe(done), 0);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        close(stop[1]);
        close(done[0]);
        Client(file, stop[0], done[1]);
    }
    close(stop[0]);
    close(done[1]);
    fcntl(done[0], F_SETFL, O_NONBLOCK);

    std::vector<std::int64_t> committed;
    int compactions = 0, compacted = 0;
    const auto start = Clock::now();
    // Each compaction syncs the file, so on a slow disk a hundred take seconds.
    while (compactions < 100 && Clock::now() - start < std::chrono::seconds(15)) {
        if (CompactDB(*env.app, file, 500)) ++compacted; // busy failures are reported, and fine
        ++compactions;
        Drain(done[0], committed);
        usleep(static_cast<useconds_t>(compactions * 7727 % 8000)); // room for the client between them
    }
    close(stop[1]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    fcntl(done[0], F_SETFL, 0);
    Drain(done[0], committed);
    close(done[0]);

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_GE(compactions, 100);
    EXPECT_GT(compacted, 0) << env.prompter.Last().text;
    ASSERT_FALSE(committed.empty());

    SQLite::Database db(file, SQLite::OPEN_READONLY);
    SQLite::Statement names(db, "SELECT `name` FROM `level` WHERE `name` LIKE 'client %'");
    std::set<std::string> present;
    while (names.executeStep()) present.insert(names.getColumn(0).getString());
    std::size_t lost = 0;
    for (const std::int64_t row : committed) lost += present.count("client " + std::to_string(row)) == 0;
    EXPECT_EQ(lost, 0u) << "of " << committed.size() << " commits, over " << compactions << " compactions ("
                        << compacted << " done)";
    EXPECT_EQ(QueryOne(file, "PRAGMA integrity_check"), "ok");
}
