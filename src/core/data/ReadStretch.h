#pragma once
// One read transaction of the library connection over a stretch of queries,
// so a long walk takes the shared lock once a stretch instead of once a
// query. The walk ends the stretch before it does file work and once the
// stretch has lasted a short while, so a desktop client waiting to write
// is held up only briefly.
#include <chrono>

class Connection;
class Database;

class ReadStretch {
public:
    explicit ReadStretch(Database& db, std::chrono::milliseconds longest = std::chrono::milliseconds(20));
    // On a connection of its own: failures to begin or end throw.
    explicit ReadStretch(Connection& connection, std::chrono::milliseconds longest = std::chrono::milliseconds(20));
    ~ReadStretch();
    ReadStretch(const ReadStretch&) = delete;
    ReadStretch& operator=(const ReadStretch&) = delete;

    void Begin();
    void End();
    bool IsOpen() const { return open_; }
    bool Expired() const;

private:
    Database* db_ = nullptr;
    Connection* connection_ = nullptr;
    std::chrono::milliseconds longest_;
    bool open_ = false;
    std::chrono::steady_clock::time_point start_;
};
