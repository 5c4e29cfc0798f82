#pragma once
// Files that replace other files are written beside them and renamed over
// them, so a failure never leaves a half-written target behind.
#include <filesystem>
#include <string>

class SpareFiles;

// Name of the work file used beside `target` (hidden, so listings skip it).
std::filesystem::path WorkFileFor(const std::filesystem::path& target);

// Writes `content` to `target` atomically; throws on failure.
void WriteFileAtomic(const std::filesystem::path& target, const std::string& content);

// Copies `source` over `target` atomically, keeping the source's
// modification time when `keepTime`. Throws on failure; the old target
// stays whole until the rename. With `spares`, the work file may be a spare
// written over, and the replaced content becomes one.
void CopyFileAtomic(const std::filesystem::path& source, const std::filesystem::path& target,
                    bool keepTime = true, SpareFiles* spares = nullptr);
