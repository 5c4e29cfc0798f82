#include "core/data/ReadStretch.h"

#include "core/data/Connection.h"

ReadStretch::ReadStretch(Database& db, std::chrono::milliseconds longest) : db_(&db), longest_(longest) {}

ReadStretch::ReadStretch(Connection& connection, std::chrono::milliseconds longest)
    : connection_(&connection), longest_(longest)
{
}

ReadStretch::~ReadStretch()
{
    try {
        End();
    } catch (...) {
        // A read transaction left open ends when its connection closes.
    }
}

bool ReadStretch::Begin()
{
    if (open_) return true;
    if (db_) {
        if (!transaction_.emplace(*db_).Begun()) {
            transaction_.reset();
            return false;
        }
    } else {
        connection_->Execute("BEGIN", {});
    }
    open_ = true;
    start_ = std::chrono::steady_clock::now();
    return true;
}

void ReadStretch::End()
{
    if (!open_) return;
    open_ = false;
    if (!db_) return connection_->Execute("COMMIT", {});
    // Only read: a commit that failed has been reported, and the guard rolls back.
    transaction_->Commit();
    transaction_.reset();
}

bool ReadStretch::Expired() const { return open_ && std::chrono::steady_clock::now() - start_ > longest_; }
