#pragma once
// Gets the backup's file system onto the disk before the backup record may
// say the backup is done. While documents are still being copied, a helper
// thread keeps writing back what is already copied, so the final flush
// finds little left to do instead of the whole backup.
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class FileSystemFlush {
public:
    // Starts the helper: made when the first file has been written.
    explicit FileSystemFlush(std::string dir);
    ~FileSystemFlush();
    FileSystemFlush(const FileSystemFlush&) = delete;
    FileSystemFlush& operator=(const FileSystemFlush&) = delete;

    // Stops the helper and flushes once more, waiting for the disk; throws
    // std::filesystem::filesystem_error when the file system reports an error.
    void Finish();

private:
    void Stop();
    void Run();

    std::string dir_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread helper_;
};
