#pragma once
// The incremental backup of the active library into gsBackupLibPath: the
// checks, the walk over cabinets, drawers and folders, the document copies,
// the database copies and the backup record Libbackup.ini.
#include "core/backup/BackupLock.h"
#include "core/backup/BackupManifest.h"
#include "core/backup/CopyPool.h"
#include "core/backup/DatabaseCopy.h"
#include "core/backup/DueFolders.h"
#include "core/backup/DueSet.h"
#include "core/backup/IsLogic.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class AppContext;

struct BackupTotals {
    std::int64_t scan = 0;      // documents visited
    std::int64_t modified = 0;  // documents that passed the change test
    std::int64_t copy = 0;      // files actually copied
    std::int64_t notCopied = 0; // documents that should have been copied but were not
    std::int64_t owed = 0;      // documents the backup lacks after the run, of this run or earlier
};

// What the backup window shows after a run that did not end.
inline constexpr const char* kBackupRefused = "The backup was refused:\r\n";
inline constexpr const char* kBackupStopped = "The backup stopped on an error: run Backup again.";

// What a run does with a backup path that does not exist.
enum class MissingBackupPath { Ask, Create, Refuse };

class LibBackupRun {
public:
    using Progress = std::function<void(std::int64_t scanned)>;
    using CopyRoutine = CopyPool::Routine;

    LibBackupRun(AppContext& app, FreeSpaceSource freeSpace = FileSystemFreeSpace, Progress progress = {});
    ~LibBackupRun();
    // The copy routine holds on to the run.
    LibBackupRun(const LibBackupRun&) = delete;
    LibBackupRun& operator=(const LibBackupRun&) = delete;

    // The run; false when a check refused it or an error stopped it. The
    // space check asks for room for what the run will write; the
    // statistics' size, when there are statistics, is what an error report
    // names.
    bool LibBackup(std::int64_t nStatFileSize = 0);
    // The three-line report; then what the backup owes, when it owes any.
    std::string ReportText() const;

    bool DrawersBackup(std::int64_t sCatID);
    // Hands one document file to the copy helpers; false when it cannot.
    bool CopyImage(const std::string& sOrifile, const std::string& sTarget, const std::string& sTargetName,
                   std::int64_t document = 0);
    bool CopyLibData(const std::string& sTarget);

    const BackupTotals& Totals() const { return totals_; }
    // Why the checks refused the run; empty when they did not.
    const std::string& Refusal() const { return refusal_; }
    // After a run that ended: everything due was copied, the databases too.
    bool Complete() const { return complete_; }
    bool CopyAll() const { return m_bCopyAll; }
    std::time_t LastBackup() const { return m_dLastBackup; }
    std::string RecordFile() const;

    // Writes one document's copy, beside its target, on a helper thread.
    PendingCopy WriteDocument(const std::filesystem::path& source, const std::filesystem::path& target);
    // The one file copy, run on helper threads; replaceable so a test can
    // make a copy fail. WriteDocument unless replaced.
    CopyRoutine copyFile;
    // How an incremental walk reads; replaceable so a test can make its
    // statements cover fewer folders and ids.
    DueRanges dueRanges;
    // Asks the question the selection window asks, unless told otherwise.
    MissingBackupPath missingPath = MissingBackupPath::Ask;

private:
    bool Refuse(const std::string& text);
    bool Checks(std::string& previousDate);
    std::int64_t KilobytesDue();
    void CopyAllReached();
    bool TakeLock();
    bool MayCreateBackupPath();
    void Start();
    void BeforeDatabaseWrites();
    void BeginWriting();
    void AdoptSpares();
    bool End(std::vector<BackupLock::Spare>* kept = nullptr);
    void BackupFolder(std::int64_t folderId);
    void CopyChanged();
    void CountReached();
    void Scanned(std::int64_t count);
    void Collect(const std::vector<CopyPool::Outcome>& outcomes);
    void CollectInstalled();
    void FinishFlushing();
    void CopyFailed(const std::exception_ptr& error, const std::string& source, const std::string& target);
    void Unsafe(const DocumentRow& row);
    void ReportUnsafe();
    bool WriteRecord(const std::string& date);
    void BackupDocument(const DocumentRow& row, bool owed = false, const SourceState* known = nullptr);
    void PayOwed();
    void Owe(std::int64_t document, const std::string& path, const std::string& reason);
    void RecordDatabases();
    bool Finish(std::time_t walkStart, const std::string& previousDate);

    AppContext& app_;
    FreeSpaceSource freeSpace_;
    Progress progress_;
    BackupTotals totals_;
    std::string refusal_;
    bool m_bCopyAll = false;
    std::time_t m_dLastBackup;
    std::string lastBackupIso_;
    bool incomplete_ = false;
    bool wrote_ = false; // copies or databases
    bool complete_ = false;
    std::int64_t unsafe_ = 0;                    // rows naming files out of reach
    std::vector<std::string> unsafeNames_;       // the first few of them
    std::vector<OwedDocument> owedNamed_;        // the first few owed after the run
    std::unique_ptr<class BackupLedger> ledger_; // from the start to the record
    std::unique_ptr<class BackupLock> lock_;     // while the run works
    std::mutex beginning_;                       // the database copies begin on a thread of their own
    bool begun_ = false;                         // marked under way on the lock
    std::unique_ptr<class DocumentDirs> dirs_;   // during the walk
    // Documents by folder, read beside an incremental walk.
    std::future<std::unordered_map<std::int64_t, std::int64_t>> counting_;
    std::unordered_set<std::int64_t> reached_;     // folders the walk reaches
    bool copying_ = false;                         // the walk copies what it reaches
    DueSet due_;                                   // from the space check to the copies
    std::unique_ptr<class ReadAhead> readAhead_;   // of the changed files held, until their copies
    std::unique_ptr<class SpareFiles> spares_;     // until the last copy is installed
    std::vector<BackupLock::Spare> unadopted_;     // kept by an earlier run, until the first copy
    std::unique_ptr<class FileSystemFlush> flush_; // during the walk and the database copies
    std::unique_ptr<CopyPool> pool_;               // during the walk
    std::future<DatabaseCopies> databases_;        // made while the walk runs
    std::string libStamp_, ctrlStamp_;             // what the database copies were made from
    DatabaseCopies databaseCopies_;                // what this run's database copies hold
};
