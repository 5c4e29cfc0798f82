#pragma once
// Where a restore writes: a directory that is new or empty, never an
// existing library and never the active one. A marker file in it, written
// before anything else and removed only once the result is checked, makes
// it this backup's restore in progress, which the same restore may go on
// with after it was stopped.
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

inline constexpr const char* kRestoreMarkerName = ".rezud-restore";

inline constexpr const char* kNoBackupRecord = "The directory holds no backup: no backup record Libbackup.ini in ";
inline constexpr const char* kNoLibraryCopy = "The backup holds no copy of the library database 00000000/LIB.MDE: ";
inline constexpr const char* kRestoreIntoActive = "A backup cannot be restored into the active library: ";
inline constexpr const char* kRestoreIntoLibrary = "The directory already holds a library: ";
inline constexpr const char* kRestoreIntoNonEmpty = "The directory is not empty: ";
inline constexpr const char* kRestoreIntoOther = "The directory holds the unfinished restore of another backup: ";
inline constexpr const char* kRestoreIntoBackup = "A backup cannot be restored into itself: ";
inline constexpr const char* kRestoreIntoFile = "The restore directory is not a directory: ";
inline constexpr const char* kRestoreRunning = "Another restore is running into this directory: ";

// Why `dir` cannot take the restore of `backup`; empty when it can.
// `activeLib` is the configured library, empty when there is none.
std::string RestoreRefusal(const std::string& backup, const std::string& dir, const std::string& activeLib);

// Why `dir` cannot take a restore; empty when it can. `own` tells whether
// it holds the unfinished restore to go on with.
std::string TargetRefusal(const std::string& dir, const std::string& activeLib, const std::function<bool()>& own);

// The marker file of a restore directory.
std::string RestoreMarkerFile(const std::string& dir);
// Whether `dir` holds a restore of `backup` that has not ended.
bool IsOwnRestore(const std::string& dir, const std::string& backup);
using RestoreMarks = std::vector<std::pair<std::string, std::string>>;
// Marks the restore in `dir` before anything else is written there, with
// `more` keys in the same write. Throws TargetError.
void MarkRestore(const std::string& dir, const std::string& backup, const RestoreMarks& more = {});
// The backup the marker names.
std::string MarkedBackup(const std::string& dir);
// Other keys of the marker, written at once, and a key's value (empty
// when it has none).
void SetRestoreMarks(const std::string& dir, const RestoreMarks& keys);
std::string RestoreMark(const std::string& dir, const std::string& key);
// Ends the restore: the marker goes, flushed. Throws TargetError.
void UnmarkRestore(const std::string& dir);

// Held on the restore directory from its checks to the end of the restore,
// so two restores never write into one directory.
class RestoreLock {
public:
    // Makes `dir` (and its parents) and locks it; null when another
    // restore holds it. Throws TargetError.
    static std::unique_ptr<RestoreLock> Take(const std::string& dir);
    ~RestoreLock();
    RestoreLock(const RestoreLock&) = delete;
    RestoreLock& operator=(const RestoreLock&) = delete;

private:
    explicit RestoreLock(int fd) : fd_(fd) {}
    int fd_;
};
