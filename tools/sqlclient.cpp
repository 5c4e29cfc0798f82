// A desktop client in a process of its own, for the tests: runs SQL on a
// database, as one transaction, some number of times.
//   sqlclient FILE BUSY_TIMEOUT_MS COUNT SQL [PAUSE_MS]
// Each statement may use ?1, bound to the round's number (1, 2, ...). Prints
// the number of each round that committed, one a line, flushed at once.
// PAUSE_MS between rounds lets readers in, as a person's client does.
// Exit status: 0 when every round committed, 5 when the database stayed
// busy, 1 on any other failure, 2 on wrong use.
#include <SQLiteCpp/SQLiteCpp.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 6) {
        std::cerr << "usage: sqlclient FILE BUSY_TIMEOUT_MS COUNT SQL [PAUSE_MS]\n";
        return 2;
    }
    try {
        SQLite::Database db(argv[1], SQLite::OPEN_READWRITE, std::stoi(argv[2]));
        const long count = std::stol(argv[3]);
        const std::chrono::milliseconds pause(argc == 6 ? std::stol(argv[5]) : 0);
        for (long round = 1; round <= count; ++round) {
            SQLite::Transaction tx(db);
            SQLite::Statement statement(db, argv[4]);
            if (statement.getBindParameterCount() > 0) statement.bind(1, static_cast<std::int64_t>(round));
            statement.exec();
            tx.commit();
            std::printf("%ld\n", round);
            std::fflush(stdout);
            std::this_thread::sleep_for(pause);
        }
        return 0;
    } catch (const SQLite::Exception& e) {
        std::cerr << e.what() << "\n";
        return (e.getErrorCode() & 0xff) == SQLITE_BUSY ? 5 : 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
