#include "core/backup/BackupManifest.h"

#include "core/backup/BackupLock.h"
#include "core/backup/RolledBackCopy.h"
#include "core/base/AppError.h"

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <filesystem>

namespace {

// Changes a transaction holds, and room for the pages they touch: the
// entries land all over the file (keyed by path), and a transaction whose
// pages did not fit would spill them early, flushing the journal each time.
// The batch bounds a run's memory whatever the library's size: a 1 % run
// of a million documents enters 10,000 copies, in batches of this many.
constexpr int kBatch = 1024;
constexpr const char* kCacheForBatch = "PRAGMA cache_size=-5120"; // KiB: a page a change, and the tree above
constexpr int kPage = 4096;

constexpr const char* kSchema[] = {
    "CREATE TABLE IF NOT EXISTS files (path TEXT PRIMARY KEY, size INTEGER NOT NULL, "
    "mtime_ns INTEGER NOT NULL, sha256 TEXT NOT NULL, written TEXT NOT NULL) WITHOUT ROWID",
    "CREATE TABLE IF NOT EXISTS owed (id INTEGER PRIMARY KEY, path TEXT NOT NULL, reason TEXT NOT NULL, "
    "since TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS offsite_pushes (id INTEGER PRIMARY KEY AUTOINCREMENT, snapshot TEXT NOT NULL, "
    "time TEXT NOT NULL, record_date TEXT NOT NULL, files_new INTEGER NOT NULL, files_changed INTEGER NOT NULL, "
    "bytes_added INTEGER NOT NULL, verified INTEGER NOT NULL)",
};

ManifestEntry EntryOf(const ResultSet& rs)
{
    return {rs["path"].Text(), rs["size"].Int(), rs["mtime_ns"].Int(), rs["sha256"].Text(), rs["written"].Text()};
}

OwedDocument OwedOf(const ResultSet& rs)
{
    return {rs["id"].Int(), rs["path"].Text(), rs["reason"].Text(), rs["since"].Text()};
}

} // namespace

std::string ManifestFile(const std::string& backupDir) { return backupDir + "/" + kManifestName; }

std::unique_ptr<BackupManifest> BackupManifest::OpenForWriting(const std::string& backupDir)
{
    return Open(backupDir, Connection::Mode::Create);
}

std::unique_ptr<BackupManifest> BackupManifest::OpenExisting(const std::string& backupDir)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(ManifestFile(backupDir), ec)) return nullptr;
    return Open(backupDir, Connection::Mode::ReadWrite);
}

std::unique_ptr<BackupManifest> BackupManifest::Open(const std::string& backupDir, Connection::Mode mode)
{
    auto db = std::make_unique<Connection>();
    db->Open(ManifestFile(backupDir), mode);
    // Each commit is on the disk, journal and all, when it returns. The
    // journal is kept and written over, not deleted at each commit: deleting
    // it makes the disk discard its blocks, and the next commit takes new ones.
    db->Execute("PRAGMA synchronous=FULL", {});
    db->Execute("PRAGMA journal_mode=PERSIST", {});
    db->Execute(kCacheForBatch, {});
    for (const char* sql : kSchema) db->Execute(sql, {});
    return std::unique_ptr<BackupManifest>(new BackupManifest(std::move(db), ManifestFile(backupDir), nullptr));
}

BackupManifest::BackupManifest(std::unique_ptr<Connection> db, std::string file, std::unique_ptr<RolledBackCopy> copy)
    : copy_(std::move(copy)), db_(std::move(db)), file_(std::move(file))
{
}

std::unique_ptr<BackupManifest> BackupManifest::OpenForReading(const std::string& backupDir)
{
    const std::string file = ManifestFile(backupDir);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) return nullptr;
    // A commit cut off is rolled back in a private copy, taken while no
    // run can begin: the reader writes nothing into the backup.
    std::unique_ptr<RolledBackCopy> copy;
    if (HasHotJournal(file)) {
        const auto lock = BackupReadLock::Take(backupDir);
        if (!lock) throw AppError(EBUSY, "a backup run is working in " + backupDir);
        copy = RolledBackCopy::Make(file);
    }
    auto db = std::make_unique<Connection>();
    db->Open(copy ? copy->File() : file, copy ? Connection::Mode::ReadWrite : Connection::Mode::ReadOnly);
    // One snapshot for the whole reading: a lookup a file does not take
    // the file's lock again, nor read its pages anew.
    db->Execute("BEGIN", {});
    const std::string read = copy ? copy->File() : file;
    return std::unique_ptr<BackupManifest>(new BackupManifest(std::move(db), read, std::move(copy)));
}

BackupManifest::~BackupManifest()
{
    if (batched_ == 0) return;
    try {
        db_->Execute("ROLLBACK", {});
    } catch (...) {
    }
}

void BackupManifest::Change(const std::string& sql, const SqlParams& params)
{
    if (batched_ == 0) db_->Execute("BEGIN IMMEDIATE", {});
    ++batched_;
    db_->Execute(sql, params);
    if (batched_ >= kBatch) Commit();
}

void BackupManifest::Commit()
{
    if (batched_ == 0) return;
    db_->Execute("COMMIT", {});
    batched_ = 0;
    // The pages stay in the file system's cache; a run keeps the room for
    // one batch only.
    db_->Execute("PRAGMA shrink_memory", {});
}

void BackupManifest::Record(const ManifestEntry& e)
{
    Change("INSERT OR REPLACE INTO files (path, size, mtime_ns, sha256, written) VALUES (?,?,?,?,?)",
           {e.path, e.size, e.mtimeNs, e.sha256, e.written.empty() ? Now() : e.written});
}

void BackupManifest::Owe(std::int64_t id, const std::string& path, const std::string& reason)
{
    Change("INSERT INTO owed (id, path, reason, since) VALUES (?1,?2,?3,?4) "
           "ON CONFLICT(id) DO UPDATE SET path=?2, reason=?3",
           {id, path, reason, Now()});
}

void BackupManifest::Paid(std::int64_t id) { Change("DELETE FROM owed WHERE id=?", {id}); }

std::optional<ManifestEntry> BackupManifest::Entry(const std::string& path)
{
    ResultSet rs = db_->Query("SELECT * FROM files WHERE path=?", {path});
    if (rs.Eof()) return std::nullopt;
    return EntryOf(rs);
}

void BackupManifest::ForEachEntry(const std::function<void(const ManifestEntry&)>& visit)
{
    std::string after;
    for (bool first = true;; first = false) {
        ResultSet rs =
            first ? db_->Query("SELECT * FROM files ORDER BY path LIMIT ?", {std::int64_t{kPage}})
                  : db_->Query("SELECT * FROM files WHERE path>? ORDER BY path LIMIT ?", {after, std::int64_t{kPage}});
        if (rs.Eof()) return;
        for (; !rs.Eof(); rs.MoveNext()) {
            visit(EntryOf(rs));
            after = rs["path"].Text();
        }
    }
}

std::vector<OwedDocument> BackupManifest::FirstOwed(std::int64_t limit)
{
    std::vector<OwedDocument> owed;
    for (ResultSet rs = db_->Query("SELECT * FROM owed ORDER BY id LIMIT ?", {limit}); !rs.Eof(); rs.MoveNext())
        owed.push_back(OwedOf(rs));
    return owed;
}

void BackupManifest::ForEachOwed(const std::function<void(const OwedDocument&)>& visit)
{
    std::int64_t after = INT64_MIN;
    for (;;) {
        ResultSet rs = db_->Query("SELECT * FROM owed WHERE id>? ORDER BY id LIMIT ?", {after, std::int64_t{kPage}});
        if (rs.Eof()) return;
        for (; !rs.Eof(); rs.MoveNext()) {
            visit(OwedOf(rs));
            after = rs["id"].Int();
        }
    }
}

std::int64_t BackupManifest::EntryCount() { return db_->Query("SELECT count(*) AS n FROM files", {})["n"].Int(); }

std::int64_t BackupManifest::OwedCount() { return db_->Query("SELECT count(*) AS n FROM owed", {})["n"].Int(); }

void BackupManifest::RecordPush(const OffsitePush& p)
{
    Commit();
    Change("INSERT INTO offsite_pushes (snapshot, time, record_date, files_new, files_changed, bytes_added, verified) "
           "VALUES (?,?,?,?,?,?,?)",
           {p.snapshot, p.time.empty() ? Now() : p.time, p.recordDate, p.filesNew, p.filesChanged, p.bytesAdded,
            std::int64_t{p.verified}});
    Commit();
}

std::optional<OffsitePush> BackupManifest::LastPush()
{
    // A manifest of an older run has no such table.
    if (db_->Query("SELECT name FROM sqlite_master WHERE name='offsite_pushes'", {}).Eof()) return std::nullopt;
    ResultSet rs = db_->Query("SELECT * FROM offsite_pushes ORDER BY id DESC LIMIT 1", {});
    if (rs.Eof()) return std::nullopt;
    return OffsitePush{rs["snapshot"].Text(),    rs["time"].Text(),         rs["record_date"].Text(),
                       rs["files_new"].Int(),    rs["files_changed"].Int(), rs["bytes_added"].Int(),
                       rs["verified"].Int() != 0};
}

std::string BackupManifest::Now()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}
