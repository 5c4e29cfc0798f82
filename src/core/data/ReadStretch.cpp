#include "core/data/ReadStretch.h"

#include "core/data/Connection.h"
#include "core/data/Database.h"

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

void ReadStretch::Begin()
{
    if (open_) return;
    if (db_)
        db_->TableExeBegin();
    else
        connection_->Execute("BEGIN", {});
    open_ = true;
    start_ = std::chrono::steady_clock::now();
}

void ReadStretch::End()
{
    if (!open_) return;
    open_ = false;
    if (db_)
        db_->TableExeCommit();
    else
        connection_->Execute("COMMIT", {});
}

bool ReadStretch::Expired() const { return open_ && std::chrono::steady_clock::now() - start_ > longest_; }
