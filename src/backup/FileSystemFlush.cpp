#include "backup/FileSystemFlush.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// 0 or the errno of opening or flushing.
int SyncFileSystem(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int err = ::syncfs(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

} // namespace

FileSystemFlush::FileSystemFlush(std::string dir) : dir_(std::move(dir)), helper_([this] { Run(); }) {}

FileSystemFlush::~FileSystemFlush() { Stop(); }

void FileSystemFlush::Run()
{
    std::unique_lock lock(mutex_);
    while (!stop_) {
        lock.unlock();
        SyncFileSystem(dir_); // only a head start: Finish reports failures
        lock.lock();
        // Often enough that a short run's final flush finds little left.
        wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop_; });
    }
}

void FileSystemFlush::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (helper_.joinable()) helper_.join();
}

void FileSystemFlush::Finish()
{
    Stop();
    if (const int err = SyncFileSystem(dir_))
        throw fs::filesystem_error("cannot flush backup", dir_, std::error_code(err, std::generic_category()));
}
