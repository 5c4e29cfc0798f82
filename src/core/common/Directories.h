#pragma once
// Directories made so that they survive a crash: each new one is flushed
// into its parent before anything counts on it.
#include <filesystem>
#include <sys/types.h>

// Makes every missing directory of the absolute path `dir` with `mode`
// (less the umask), flushing the parent of each; throws filesystem_error.
void MakeDirectories(const std::filesystem::path& dir, mode_t mode);
