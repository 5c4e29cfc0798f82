#pragma once
// Directories made so that they survive a crash: each new one is flushed
// into its parent before anything counts on it.
#include <filesystem>
#include <functional>
#include <sys/types.h>

// Makes every missing directory of the absolute path `dir` with `mode`
// (less the umask), flushing the parent of each; throws filesystem_error.
void MakeDirectories(const std::filesystem::path& dir, mode_t mode);

// Calls `each` with the name and type of every entry of the open directory
// `fd` but "." and "..", from its start. A type the file system does not
// give is looked up without following a link, and stays DT_UNKNOWN when it
// cannot be. `fd` stays open. Returns 0, or the errno of a listing that
// could not be read whole.
int ListDirectory(int fd, const std::function<void(const char* name, unsigned char type)>& each);
