#pragma once
// The disk of the power-cut trials: an ext4 image on a loop device with
// direct I/O, mounted with a journal that commits on its own only after ten
// minutes, and the kernel's periodic write-back switched off meanwhile, so
// only what a program flushes reaches the image.
#include <filesystem>
#include <string>

// Why this machine cannot run the trials (no root, no loop devices, a tool
// missing); empty when it can.
std::string PowerCutsUnavailable();
// A new ext4 image of `megabytes`; empty, or what failed.
std::string MakeExt4Image(const std::filesystem::path& image, int megabytes);

// The kernel's periodic write-back off while it lives, and back as it was
// after. Trials of other builds on the machine wait meanwhile: each would
// restore the other's setting.
class WritebackOff {
public:
    WritebackOff();
    ~WritebackOff();
    WritebackOff(const WritebackOff&) = delete;
    WritebackOff& operator=(const WritebackOff&) = delete;

private:
    int lock_;
    std::string saved_ = "500";
};

// An image attached and mounted at `dir`.
class Disk {
public:
    explicit Disk(std::filesystem::path dir);
    ~Disk() { Detach(); }
    Disk(const Disk&) = delete;
    Disk& operator=(const Disk&) = delete;

    // Empty, or why not.
    std::string Attach(const std::filesystem::path& image);
    void Detach();
    // The disk as a power cut now leaves it, in the image's place: copied
    // without a sync, checked by e2fsck (the journal replayed) and mounted.
    // Empty, or what failed.
    std::string Cut();

private:
    std::filesystem::path dir_, image_;
    std::string device_;
};
