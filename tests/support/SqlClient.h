#pragma once
// A desktop client writing to a database from a process of its own (the
// sqlclient tool): locks between processes are what a client meets, and
// what this program must never drop.
#include <string>
#include <vector>

class SqlClient {
public:
    // Starts `count` rounds of `sql`, each its own transaction, ?1 bound to
    // the round's number, `pauseMs` between them.
    SqlClient(const std::string& file, int busyTimeoutMs, long count, const std::string& sql, int pauseMs = 0);
    ~SqlClient();
    SqlClient(const SqlClient&) = delete;
    SqlClient& operator=(const SqlClient&) = delete;

    // Waits for the end: the exit status (0 all committed, 5 busy).
    int Wait();
    // Ends the client at once; a round under way is rolled back by the next
    // connection to the database.
    void Stop();
    // The rounds that committed; complete after Wait.
    const std::vector<long>& Committed() const { return committed_; }

private:
    int pid_ = -1;
    int out_ = -1;
    int status_ = -1;
    std::vector<long> committed_;
};

// Runs one round and waits: the exit status.
int SqlClientRun(const std::string& file, int busyTimeoutMs, const std::string& sql);
