#pragma once
// Files that replace other files are written beside them and renamed over
// them, so a failure never leaves a half-written target behind.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

class SpareFiles;

// A failure of the file being written rather than the one being read: a
// full, read-only or failing disk under the target, which every further
// file written there would meet as well.
class TargetError : public std::filesystem::filesystem_error {
public:
    using std::filesystem::filesystem_error::filesystem_error;
};

// What a copy wrote: the bytes as they passed through, and the time kept.
struct CopiedContent {
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0; // nanoseconds since 1970
    std::string sha256;       // lowercase hexadecimal
};

// A copy whose content is in its work file and not yet under its name.
struct PendingCopy {
    std::filesystem::path work, target;
    CopiedContent content;
    std::int64_t tag = 0; // the caller's, carried along
    // The work file is the source itself, on the disk already, moved into
    // place rather than copied: it is never deleted, so a failed move
    // leaves it to be moved again.
    bool moved = false;
};

// The end of a work file's name.
inline constexpr std::string_view kWorkSuffix = ".rztmp";
// Name of the work file used beside `target` (hidden, so listings skip it).
std::filesystem::path WorkFileFor(const std::filesystem::path& target);
// Whether a file name is one that WorkFileFor gives.
bool IsWorkFileName(const std::string& name);

// Flushes the directory `dir` itself, so the names made, replaced or
// removed in it are on the disk; a file system that cannot flush a
// directory is taken as one that needs no flush. Throws TargetError.
void FlushDirectory(const std::filesystem::path& dir);

// Opens for reading without changing the file's access time where this
// process may (it owns the file, or is privileged): a copy or a digest is
// no access by a person, and every changed time is an inode more to write
// back. A descriptor, or -1 with errno.
int OpenForReading(const std::filesystem::path& path, int flags);
// Flushes the directory holding `path`, so the name `path` is on the disk.
void FlushDirectoryOf(const std::filesystem::path& path);

// Writes `content` to `target` atomically, flushed first and its name
// flushed after; on the disk when it returns. Throws on failure.
void WriteFileAtomic(const std::filesystem::path& target, const std::string& content);

// Copies `source` over `target` atomically and flushed, name and all,
// keeping the source's modification time when `keepTime`. Throws on
// failure; the old target stays whole until the rename. What was written.
CopiedContent CopyFileAtomic(const std::filesystem::path& source, const std::filesystem::path& target,
                             bool keepTime = true);

// The first half of a copy that is flushed later, with others at once:
// the source's content and time go into a work file beside `target` (a
// spare written over, or a new file under a spare's name), which is not
// flushed. The source must be a plain file, not a link. Throws on failure,
// TargetError when writing failed; nothing is left behind then.
PendingCopy WriteCopy(const std::filesystem::path& source, const std::filesystem::path& target, SpareFiles& spares);
// The first half of a move into place on the same file system, to take
// the target's name through InstallCopy: the source's content read through
// the digest, and its time. The source must be a plain file, not a link,
// and on the disk already.
// Throws on failure.
PendingCopy ReadForMove(const std::filesystem::path& source, const std::filesystem::path& target);
// The second half, once the work file is on the disk: it takes the
// target's name, and the replaced content becomes a spare. Throws
// TargetError; the work file is deleted then.
void InstallCopy(const PendingCopy& copy, SpareFiles& spares);
// Writes the work file beside `target` from `read`, which fills a buffer
// with the bytes from an offset on and returns how many (0 at the end),
// each passing through the digest on its way. Not flushed, not installed:
// its name. Throws TargetError when writing failed; nothing is left then.
std::filesystem::path WriteWorkFile(const std::filesystem::path& target,
                                    const std::function<std::size_t(char*, std::size_t, std::int64_t)>& read,
                                    CopiedContent& written);

// Deletes the work file of a copy that will not be installed; a moved
// file stays where it is.
void DiscardCopy(const PendingCopy& copy) noexcept;
