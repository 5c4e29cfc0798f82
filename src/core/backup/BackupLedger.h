#pragma once
// What one backup run tells the manifest: each copy that took its name, each
// database copy, and each document it owes or no longer owes. The owed
// documents of earlier runs are known from the start, so the run copies
// them first and the walk leaves them alone.
#include "core/backup/BackupManifest.h"
#include "core/common/AtomicFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>

class BackupLedger {
public:
    // Opens the manifest of `backupDir`, made when there is none.
    explicit BackupLedger(std::string backupDir);

    // Visits the documents owed when the run began, in order of id, a page
    // at a time; `visit` may pay or owe them again.
    void ForEachOwedAtStart(const std::function<void(const OwedDocument&)>& visit);
    bool WasOwed(std::int64_t id) const { return owedAtStart_.count(id) > 0; }

    // A copy on the disk under its name; a document it owed is paid.
    void Written(const PendingCopy& copy, std::int64_t document);
    // A database copy made now, or one already in place that has no entry.
    void Database(const std::string& relativePath, const CopiedContent& content);
    bool HasEntry(const std::string& relativePath);
    void Owe(std::int64_t document, const std::string& path, const std::string& reason);
    // A document owed that has no row any more.
    void Forget(std::int64_t document);

    // On the disk when it returns; before the record is written.
    void Commit();
    std::int64_t OwedCount();
    BackupManifest& Manifest() { return *manifest_; }

private:
    std::string backupDir_;
    std::unique_ptr<BackupManifest> manifest_;
    std::unordered_set<std::int64_t> owedAtStart_;
    std::unordered_set<std::int64_t> owed_; // those of the start not yet paid
};
