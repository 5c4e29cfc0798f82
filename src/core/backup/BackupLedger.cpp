#include "core/backup/BackupLedger.h"

#include <filesystem>

BackupLedger::BackupLedger(std::string backupDir)
    : backupDir_(std::move(backupDir)), manifest_(BackupManifest::OpenForWriting(backupDir_))
{
}

void BackupLedger::ForEachOwedAtStart(const std::function<void(const OwedDocument&)>& visit)
{
    manifest_->ForEachOwed([&](const OwedDocument& d) {
        owed_.insert(d.id);
        owedAtStart_.insert(d.id);
        visit(d);
    });
}

void BackupLedger::Written(const PendingCopy& copy, std::int64_t document)
{
    const std::string path = copy.target.lexically_relative(backupDir_).generic_string();
    manifest_->Record({path, copy.content.size, copy.content.mtimeNs, copy.content.sha256, {}});
    if (owed_.erase(document) > 0) manifest_->Paid(document);
}

void BackupLedger::Database(const std::string& relativePath, const CopiedContent& content)
{
    manifest_->Record({relativePath, content.size, content.mtimeNs, content.sha256, {}});
}

bool BackupLedger::HasEntry(const std::string& relativePath) { return manifest_->Entry(relativePath).has_value(); }

void BackupLedger::Owe(std::int64_t document, const std::string& path, const std::string& reason)
{
    manifest_->Owe(document, path, reason);
}

void BackupLedger::Forget(std::int64_t document)
{
    if (owed_.erase(document) > 0) manifest_->Paid(document);
}

void BackupLedger::Commit() { manifest_->Commit(); }

std::int64_t BackupLedger::OwedCount() { return manifest_->OwedCount(); }
