#pragma once
// Is there room on the backup's volume for the whole library plus 20 %?
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class Prompter;

// Bytes available to the calling user on the volume holding an existing
// directory; no value when the question cannot be asked.
using FreeSpaceSource = std::function<std::optional<std::uint64_t>(const std::string& directory)>;

// The file system's own answer.
std::optional<std::uint64_t> FileSystemFreeSpace(const std::string& directory);

// The nearest existing directory of a path (the path itself when it exists).
std::string NearestExistingDirectory(const std::string& path);

// True when the free bytes are strictly more than lnSizeKB * 1024 * 1.2.
// Tells "Error checking disk space !" when the space cannot be asked.
bool IsEnoughSpace(const std::string& sPath, std::int64_t lnSizeKB, Prompter& prompter,
                   const FreeSpaceSource& freeSpace = FileSystemFreeSpace);
