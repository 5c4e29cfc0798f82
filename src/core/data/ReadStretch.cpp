#include "core/data/ReadStretch.h"

ReadStretch::ReadStretch(Database& db, std::chrono::milliseconds longest) : db_(db), longest_(longest) {}

ReadStretch::~ReadStretch() { End(); }

bool ReadStretch::Begin()
{
    if (transaction_) return true;
    if (!transaction_.emplace(db_).Begun()) {
        transaction_.reset();
        return false;
    }
    start_ = std::chrono::steady_clock::now();
    return true;
}

void ReadStretch::End()
{
    if (!transaction_) return;
    // Only read: a commit that failed has been reported, and the guard rolls back.
    transaction_->Commit();
    transaction_.reset();
}

bool ReadStretch::Expired() const { return transaction_ && std::chrono::steady_clock::now() - start_ > longest_; }
