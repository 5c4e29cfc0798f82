#pragma once
// Old copies that a run of replacements has swapped out, kept under hidden
// spare names to be written over by the next copies instead of deleted. On
// a file system that discards freed blocks, deleting a file waits for the
// disk; writing over blocks it already holds does not. A spare stays in
// the directory it was swapped out in: a copy into any directory of the
// same file system is written over it there and swapped with its target,
// so the old content takes the spare's name and nothing is moved.
// Spares no longer wanted are deleted by a helper thread of their own, so
// no copy and no install waits for the disk to discard their blocks.
// Thread-safe.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <sys/stat.h>

// The start of a spare's name.
inline constexpr std::string_view kSparePrefix = ".rzspare-";

class SpareFiles {
public:
    // At most `capacity` spares of at most `maxBytes` in all.
    SpareFiles(std::size_t capacity, std::int64_t maxBytes);
    // Finish unless done.
    ~SpareFiles();
    SpareFiles(const SpareFiles&) = delete;
    SpareFiles& operator=(const SpareFiles&) = delete;

    struct Taken {
        std::filesystem::path path; // empty when there was none
        std::int64_t size = 0;      // of the old bytes still in it
    };
    // A spare of no more blocks than `size` bytes take, on the file system
    // of `dir` and where it is, to write a copy for `dir` into.
    Taken TakeFor(const std::filesystem::path& dir, std::int64_t size);
    // Keeps the file at `path`, described by `st`, as a spare; deletes it
    // when it is not a plain file of this user that nothing else links to.
    // A file that is not yet a spare gets a spare's name first.
    void Keep(const std::filesystem::path& path, const struct stat& st, bool isSpare);
    // Takes on a spare that an earlier run kept, when it still is one.
    void Adopt(const std::filesystem::path& path);
    // Gives up the spares, left where they are for a later run; waits
    // until every spare deleted meanwhile is gone. False when one of those
    // could not be deleted.
    bool Release(std::vector<Taken>& kept);

    // Whether a file name is a spare's (or a backup work file's: both are
    // made here).
    static bool IsSpareName(const std::string& name);
    // A name in `dir` that no other spare or work file has, of this run or
    // of an earlier one.
    std::filesystem::path NewName(const std::filesystem::path& dir);

    std::size_t Count();
    // Deletes the spares and waits until every spare given up is gone;
    // false when one could not be deleted and stays behind.
    bool Finish();

private:
    // Spares in order of their blocks, so a copy finds the one it fills
    // without looking at every spare, and the largest is the last.
    struct Key {
        std::int64_t blocks = 0;
        dev_t device = 0;
        std::string dir;
        std::uint64_t order = 0; // told apart in the order they came
        auto operator<=>(const Key&) const = default;
    };
    struct Spare {
        std::filesystem::path path;
        std::int64_t size = 0;
    };
    void Delete(std::filesystem::path path);
    void Deleting();

    void Add(std::filesystem::path path, const struct stat& st);
    // The file system `dir` is on, looked up once; nullopt when unknown.
    std::optional<dev_t> DeviceOf(const std::string& dir);

    const std::size_t capacity_;
    const std::int64_t maxBytes_;
    const uid_t user_; // whose files may be written over
    std::int64_t bytes_ = 0;
    std::mutex mutex_;
    std::map<Key, Spare> spares_;
    std::map<std::string, std::optional<dev_t>> devices_;
    std::uint64_t next_ = 0; // numbers new names, and orders the spares
    std::string run_;        // in every new name
    std::condition_variable deletable_;
    std::deque<std::filesystem::path> doomed_;
    bool closing_ = false;
    bool deleteFailed_ = false;
    std::thread deleter_;
};
