#pragma once
// Sizes of document files, looked up through the open directory of their
// location, so a walk over the documents of one location finds that
// directory once instead of once a file.
#include <cstdint>
#include <string>

class LocationFiles {
public:
    explicit LocationFiles(std::string libPath);
    ~LocationFiles();
    LocationFiles(const LocationFiles&) = delete;
    LocationFiles& operator=(const LocationFiles&) = delete;

    const std::string& LibPath() const { return libPath_; }
    // Size of an ordinary, not hidden file; 0 when there is none or the
    // names would lead outside the library.
    std::int64_t FileLength(const std::string& location, const std::string& filename);

private:
    std::string libPath_;
    std::string location_; // the location dirFd_ belongs to
    int dirFd_ = -1;       // -1 also when that location has no directory
};
