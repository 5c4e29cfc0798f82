#include "core/data/ReadStretch.h"

#include "core/data/Database.h"

ReadStretch::ReadStretch(Database& db, std::chrono::milliseconds longest) : db_(db), longest_(longest) {}

ReadStretch::~ReadStretch() { End(); }

void ReadStretch::Begin()
{
    if (open_) return;
    db_.TableExeBegin();
    open_ = true;
    start_ = std::chrono::steady_clock::now();
}

void ReadStretch::End()
{
    if (!open_) return;
    open_ = false;
    db_.TableExeCommit();
}

bool ReadStretch::Expired() const { return open_ && std::chrono::steady_clock::now() - start_ > longest_; }
