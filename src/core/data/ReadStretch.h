#pragma once
// One read transaction of the library connection over a stretch of queries,
// so a long walk takes the shared lock once a stretch instead of once a
// query. The walk ends the stretch before it does file work and once the
// stretch has lasted a short while, so a desktop client waiting to write
// is held up only briefly.
#include "core/data/Database.h"

#include <chrono>
#include <optional>

class Connection;

class ReadStretch {
public:
    explicit ReadStretch(Database& db, std::chrono::milliseconds longest = std::chrono::milliseconds(20));
    // On a connection of its own: failures to begin or end throw.
    explicit ReadStretch(Connection& connection, std::chrono::milliseconds longest = std::chrono::milliseconds(20));
    ~ReadStretch();
    ReadStretch(const ReadStretch&) = delete;
    ReadStretch& operator=(const ReadStretch&) = delete;

    // True when the stretch is open. On the library connection a transaction
    // that did not begin has been reported; the stretch stays closed, the
    // walk's queries then run each on its own, and the next Begin tries again.
    bool Begin();
    void End();
    bool IsOpen() const { return open_; }
    bool Expired() const;

private:
    Database* db_ = nullptr;
    Connection* connection_ = nullptr;
    std::chrono::milliseconds longest_;
    std::optional<Database::Transaction> transaction_;
    bool open_ = false;
    std::chrono::steady_clock::time_point start_;
};
