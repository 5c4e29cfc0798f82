#include "core/backup/FileSystemFlush.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

// A flush once this many copies wait, or once the oldest has waited this
// long: often enough that a short run's final flush finds little left.
constexpr std::size_t kBatch = 256;
constexpr auto kLongestWait = std::chrono::milliseconds(100);
// The walk waits while this many copies are written but not installed.
constexpr std::size_t kMostPending = 4 * kBatch;

} // namespace

int FileSystemFlush::SyncFileSystem(int fd) { return ::syncfs(fd) == 0 ? 0 : errno; }

FileSystemFlush::FileSystemFlush(const std::string& dir, Install install, Sync sync)
    : dir_(dir), install_(std::move(install)), sync_(std::move(sync))
{
    fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) throw TargetError("cannot open backup", dir, std::error_code(errno, std::generic_category()));
    helper_ = std::thread([this] { Run(); });
}

FileSystemFlush::~FileSystemFlush()
{
    Stop();
    for (const PendingCopy& copy : pending_) DiscardCopy(copy);
    ::close(fd_);
}

void FileSystemFlush::Add(PendingCopy copy)
{
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] { return pending_.size() < kMostPending || failure_ != 0; });
    if (failure_ != 0) {
        DiscardCopy(copy);
        return;
    }
    pending_.push_back(std::move(copy));
    if (pending_.size() >= kBatch) wake_.notify_all();
}

std::vector<FileSystemFlush::Outcome> FileSystemFlush::Take()
{
    std::lock_guard lock(mutex_);
    return std::exchange(done_, {});
}

int FileSystemFlush::Failure()
{
    std::lock_guard lock(mutex_);
    return failure_;
}

void FileSystemFlush::Run()
{
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_.wait_for(lock, kLongestWait, [this] { return stop_ || pending_.size() >= kBatch; });
        if (stop_ || pending_.empty()) continue;
        std::vector<PendingCopy> batch = std::exchange(pending_, {});
        room_.notify_all();
        lock.unlock();
        Commit(std::move(batch));
        lock.lock();
    }
}

bool FileSystemFlush::Flush()
{
    const int err = sync_(fd_);
    std::lock_guard lock(mutex_);
    if (err != 0 && failure_ == 0) failure_ = err;
    room_.notify_all();
    return failure_ == 0;
}

void FileSystemFlush::Commit(std::vector<PendingCopy> batch)
{
    // Copies written before this flush started are on the disk after it.
    if (!Flush()) {
        for (const PendingCopy& copy : batch) DiscardCopy(copy);
        return;
    }
    std::vector<Outcome> outcomes;
    outcomes.reserve(batch.size());
    for (PendingCopy& copy : batch) {
        std::exception_ptr error;
        try {
            install_(copy);
        } catch (...) {
            error = std::current_exception();
        }
        outcomes.push_back({std::move(copy), error});
    }
    std::lock_guard lock(mutex_);
    for (Outcome& o : outcomes) done_.push_back(std::move(o));
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
    std::vector<PendingCopy> batch;
    {
        std::lock_guard lock(mutex_);
        batch = std::exchange(pending_, {});
    }
    if (!batch.empty()) Commit(std::move(batch));
    Flush(); // the names, and whatever else the run wrote
    if (const int err = Failure())
        throw TargetError("cannot flush backup", dir_, std::error_code(err, std::generic_category()));
}
