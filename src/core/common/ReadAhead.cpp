#include "core/common/ReadAhead.h"

#include "core/common/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

namespace {

constexpr std::size_t kBatch = 64;
// Batches waiting: enough that the one who adds never waits for the helper.
constexpr std::size_t kWindow = 1024;

} // namespace

ReadAhead::ReadAhead(std::int64_t bytes) : left_(bytes), worker_(Read, kWindow) {}

void ReadAhead::Add(std::string path, std::int64_t size)
{
    if (size <= 0 || left_ <= 0) return;
    size = std::min(size, left_);
    left_ -= size;
    batch_.push_back({std::move(path), size});
    if (batch_.size() >= kBatch) Send();
}

void ReadAhead::Send()
{
    if (!batch_.empty()) worker_.Put(std::exchange(batch_, {}));
}

void ReadAhead::Wait()
{
    Send();
    worker_.Finish();
}

// Not following a link, and not waiting for a writer should the file have
// become a pipe since it was looked at.
void ReadAhead::Read(File& file)
{
    const int fd = OpenForReading(file.path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    ::readahead(fd, 0, static_cast<std::size_t>(file.size));
    ::close(fd);
}
