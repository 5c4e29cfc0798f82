#include "core/backup/FileSystemFlush.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
// Flushed batches waiting for their installs, before the next flush waits.
constexpr std::size_t kMostInstallable = 2;

} // namespace

int FileSystemFlush::SyncFileSystem(int fd) { return ::syncfs(fd) == 0 ? 0 : errno; }

FileSystemFlush::FileSystemFlush(const std::string& dir, Install install, Sync sync)
    : dir_(dir), install_(std::move(install)), sync_(std::move(sync))
{
    Cover(dir);
    helper_ = std::thread([this] { Run(); });
    installer_ = std::thread([this] { Installing(); });
}

FileSystemFlush::~FileSystemFlush()
{
    Stop();
    for (const PendingCopy& copy : pending_) DiscardCopy(copy);
    for (const auto& [device, fd] : fileSystems_) ::close(fd);
}

void FileSystemFlush::Cover(const std::string& dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        throw TargetError("cannot open backup", dir, std::error_code(err, std::generic_category()));
    }
    std::lock_guard lock(mutex_);
    if (!fileSystems_.emplace(st.st_dev, fd).second) ::close(fd);
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
        wake_.wait(lock, [this] { return stop_ || installable_.size() < kMostInstallable; });
        if (stop_ || pending_.empty()) continue;
        std::vector<PendingCopy> batch = std::exchange(pending_, {});
        room_.notify_all();
        lock.unlock();
        const bool flushed = Flushed(batch);
        lock.lock();
        if (flushed) installable_.push_back(std::move(batch));
        flushed_.notify_all();
    }
}

// Installs the flushed batches in turn, until the flushing has stopped and
// none is left.
void FileSystemFlush::Installing()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        flushed_.wait(lock, [this] { return flushingStopped_ || !installable_.empty(); });
        if (installable_.empty()) return;
        std::vector<PendingCopy> batch = std::move(installable_.front());
        installable_.pop_front();
        wake_.notify_all();
        lock.unlock();
        InstallBatch(std::move(batch));
        lock.lock();
    }
}

// Every file system written to, each flushed even after another failed:
// its own errors are its descriptor's to report.
bool FileSystemFlush::Flush()
{
    std::vector<int> fds;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [device, fd] : fileSystems_) fds.push_back(fd);
    }
    int err = 0;
    for (const int fd : fds)
        if (const int e = sync_(fd); e != 0 && err == 0) err = e;
    std::lock_guard lock(mutex_);
    if (err != 0 && failure_ == 0) failure_ = err;
    room_.notify_all();
    return failure_ == 0;
}

// Copies written before this flush started are on the disk after it.
// Moved files are on the disk already: their names wait for the last flush.
bool FileSystemFlush::Flushed(const std::vector<PendingCopy>& batch)
{
    if (std::all_of(batch.begin(), batch.end(), [](const PendingCopy& c) { return c.moved; })) {
        std::lock_guard lock(mutex_);
        if (failure_ == 0) return true;
    } else if (Flush()) {
        return true;
    }
    for (const PendingCopy& copy : batch) DiscardCopy(copy);
    return false;
}

void FileSystemFlush::InstallBatch(std::vector<PendingCopy> batch)
{
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

// The flushing ends first; the batches it flushed are installed all the same.
void FileSystemFlush::Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (helper_.joinable()) helper_.join();
    {
        std::lock_guard lock(mutex_);
        flushingStopped_ = true;
    }
    flushed_.notify_all();
    if (installer_.joinable()) installer_.join();
}

void FileSystemFlush::Finish()
{
    Stop();
    std::vector<PendingCopy> batch;
    {
        std::lock_guard lock(mutex_);
        batch = std::exchange(pending_, {});
    }
    if (!batch.empty() && Flushed(batch)) InstallBatch(std::move(batch));
    Flush(); // the names, and whatever else the run wrote
    if (const int err = Failure())
        throw TargetError("cannot flush backup", dir_, std::error_code(err, std::generic_category()));
}
