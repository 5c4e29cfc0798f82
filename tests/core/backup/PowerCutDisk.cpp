#include "PowerCutDisk.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kWriteback = "/proc/sys/vm/dirty_writeback_centisecs";

// What a command printed, and its exit status.
std::pair<int, std::string> Shell(const std::string& command)
{
    std::string out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return {-1, "cannot run " + command};
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

} // namespace

std::string PowerCutsUnavailable()
{
    if (::geteuid() != 0) return "needs root, to attach loop devices and mount them";
    if (::access("/dev/loop-control", W_OK) != 0) return "the machine has no loop devices";
    for (const char* tool : {"losetup", "mkfs.ext4", "e2fsck"})
        if (Shell(std::string("command -v ") + tool).first != 0) return std::string(tool) + " is not installed";
    if (::access(kWriteback, W_OK) != 0) return std::string("cannot switch the write-back off: ") + kWriteback;
    return {};
}

std::string MakeExt4Image(const fs::path& image, int megabytes)
{
    // Initialised at once: no background thread writes to it later.
    const auto [status, out] =
        Shell("truncate -s " + std::to_string(megabytes) + "M " + image.string() +
              " && mkfs.ext4 -q -F -b 4096 -E lazy_itable_init=0,lazy_journal_init=0 " + image.string());
    return status == 0 ? std::string() : "mkfs.ext4: " + out;
}

WritebackOff::WritebackOff() : lock_(::open("/tmp/rezud-power-cut.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644))
{
    if (lock_ >= 0) ::flock(lock_, LOCK_EX);
    std::ifstream(kWriteback) >> saved_;
    std::ofstream(kWriteback) << "0\n";
}

WritebackOff::~WritebackOff()
{
    std::ofstream(kWriteback) << saved_ << "\n";
    if (lock_ >= 0) ::close(lock_);
}

Disk::Disk(fs::path dir) : dir_(std::move(dir)) { fs::create_directories(dir_); }

std::string Disk::Attach(const fs::path& image)
{
    const auto [status, out] = Shell("losetup --direct-io=on --find --show " + image.string());
    if (status != 0) return "losetup: " + out;
    device_ = out.substr(0, out.find('\n'));
    image_ = image;
    if (::mount(device_.c_str(), dir_.c_str(), "ext4", 0, "commit=600") == 0) return {};
    const std::string why = std::strerror(errno);
    Detach();
    return "mount: " + why;
}

void Disk::Detach()
{
    if (device_.empty()) return;
    if (::umount2(dir_.c_str(), 0) != 0) ::umount2(dir_.c_str(), MNT_DETACH);
    Shell("losetup -d " + device_);
    device_.clear();
}

std::string Disk::Cut()
{
    const fs::path copy = image_.string() + "+";
    fs::copy_file(image_, copy, fs::copy_options::overwrite_existing);
    Detach();
    fs::rename(copy, image_);
    const auto [status, out] = Shell("e2fsck -fy " + image_.string());
    if (status > 1) return "e2fsck " + std::to_string(status) + ": " + out;
    return Attach(image_);
}
