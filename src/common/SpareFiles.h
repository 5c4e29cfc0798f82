#pragma once
// Old copies that a run of replacements has swapped out, kept under hidden
// spare names to be written over by the next copies instead of deleted. On
// a file system that discards freed blocks, deleting a file waits for the
// disk; writing over blocks it already holds does not. A spare stays in
// the directory it was swapped out in, so a copy there needs no move, and
// a copy that used one leaves the old content under the same name.
// Thread-safe.
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <sys/stat.h>

class SpareFiles {
public:
    explicit SpareFiles(std::size_t capacity);
    // Deletes the spares.
    ~SpareFiles();
    SpareFiles(const SpareFiles&) = delete;
    SpareFiles& operator=(const SpareFiles&) = delete;

    struct Taken {
        std::filesystem::path path; // empty when there was none
        std::int64_t size = 0;      // of the old bytes still in it
    };
    // A spare of no more blocks than `size` bytes take, in `dir` (moved
    // there if need be), to write a copy into.
    Taken TakeFor(const std::filesystem::path& dir, std::int64_t size);
    // Keeps the file at `path`, described by `st`, as a spare; deletes it
    // when it is not a plain file of this user that nothing else links to.
    // A file that is not yet a spare gets a spare's name first.
    void Keep(const std::filesystem::path& path, const struct stat& st, bool isSpare);

    // A name in `dir` that no other spare or work file of this run has.
    std::filesystem::path NewName(const std::filesystem::path& dir);

    std::size_t Count();

private:
    using Spare = Taken;

    const std::size_t capacity_;
    std::mutex mutex_;
    std::vector<Spare> spares_;
    std::uint64_t next_ = 0;
};
