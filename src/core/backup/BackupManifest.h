#pragma once
// The backup's manifest, Libbackup.manifest beside the record: what every
// file of the backup held when it was written (size, time, SHA-256), the
// database copies included, and the documents the backup owes: those that
// qualified for copying and were not copied, with the reason. A run writes
// it in batches and commits it before the record, so the record never
// claims what the manifest does not hold; verify and restore read it.
#include "core/data/Connection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class RolledBackCopy;

inline constexpr const char* kManifestName = "Libbackup.manifest";
std::string ManifestFile(const std::string& backupDir);

struct ManifestEntry {
    std::string path;         // relative to the backup directory, "location/filename"
    std::int64_t size = 0;    // bytes written
    std::int64_t mtimeNs = 0; // modification time, nanoseconds since 1970
    std::string sha256;       // of the bytes written, lowercase hexadecimal
    std::string written;      // when, "yyyy-mm-ddThh:mm:ssZ"
};

// A document the backup lacks and the next run copies first.
struct OwedDocument {
    std::int64_t id = 0; // the row in `images`
    std::string path;    // "location/filename" as the row names it
    std::string reason;  // why it was not copied
    std::string since;   // first owed, "yyyy-mm-ddThh:mm:ssZ"
};

class BackupManifest {
public:
    // The manifest of a backup directory, made when there is none.
    // Throws on failure.
    static std::unique_ptr<BackupManifest> OpenForWriting(const std::string& backupDir);
    // The manifest for reading only; null when the directory has none. A
    // commit a run did not end is rolled back in a private copy, which is
    // read then. Throws on failure.
    static std::unique_ptr<BackupManifest> OpenForReading(const std::string& backupDir);
    // Ends a batch left open uncommitted: it is rolled back.
    ~BackupManifest();
    BackupManifest(const BackupManifest&) = delete;
    BackupManifest& operator=(const BackupManifest&) = delete;

    // Changes gather in a batch, committed every few thousand and by Commit.
    void Record(const ManifestEntry& entry);
    // Owed from now, or still owed: the first `since` is kept.
    void Owe(std::int64_t id, const std::string& path, const std::string& reason);
    void Paid(std::int64_t id);
    // Commits the batch; on the disk when it returns.
    void Commit();

    std::optional<ManifestEntry> Entry(const std::string& path);
    // In order of path and of id, a page at a time, so memory stays flat.
    void ForEachEntry(const std::function<void(const ManifestEntry&)>& visit);
    void ForEachOwed(const std::function<void(const OwedDocument&)>& visit);
    // The first `limit` owed, in order of id.
    std::vector<OwedDocument> FirstOwed(std::int64_t limit);
    std::int64_t EntryCount();
    std::int64_t OwedCount();

    // "yyyy-mm-ddThh:mm:ssZ" of now, as the manifest writes its times.
    static std::string Now();

    // The file read: the manifest, or the private copy where a commit cut
    // off was rolled back.
    const std::string& File() const { return file_; }

private:
    BackupManifest(std::unique_ptr<Connection> db, std::string file, std::unique_ptr<RolledBackCopy> copy);
    void Change(const std::string& sql, const SqlParams& params);

    std::unique_ptr<RolledBackCopy> copy_; // ends after the connection
    std::unique_ptr<Connection> db_;
    std::string file_;
    int batched_ = 0; // changes in the open batch; none open when 0
};
