#pragma once
// SHA-256 digests of what the backup writes and reads back, through
// OpenSSL's EVP interface.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void Update(const void* data, std::size_t size);
    // The digest in lowercase hexadecimal; the object starts over.
    std::string Hex();

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

// What a file held when read or written whole.
struct FileDigest {
    std::int64_t size = 0;
    std::string sha256;       // lowercase hexadecimal
    std::int64_t mtimeNs = 0; // the file's time as it was opened, in nanoseconds since 1970
};

// Reads the file whole, without following a link in its last component.
// Throws std::filesystem::filesystem_error on failure.
FileDigest DigestOfFile(const std::filesystem::path& file);
