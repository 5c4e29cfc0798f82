#include "core/common/Sha256.h"

#include "core/common/AtomicFile.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <system_error>
#include <vector>

struct Sha256::Context {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
    void Start()
    {
        if (!ctx || EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr) != 1) throw std::runtime_error("SHA-256 unavailable");
    }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) { context_->Start(); }

Sha256::~Sha256() = default;

void Sha256::Update(const void* data, std::size_t size)
{
    if (size > 0 && EVP_DigestUpdate(context_->ctx, data, size) != 1) throw std::runtime_error("SHA-256 failed");
}

std::string Sha256::Hex()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_->ctx, digest, &length) != 1) throw std::runtime_error("SHA-256 failed");
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kDigits[digest[i] >> 4];
        hex += kDigits[digest[i] & 0xf];
    }
    context_->Start();
    return hex;
}

FileDigest DigestOfFile(const std::filesystem::path& file)
{
    auto fail = [&](const char* what) {
        throw std::filesystem::filesystem_error(what, file, std::error_code(errno, std::generic_category()));
    };
    const int fd = OpenForReading(file, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) fail("cannot open file");
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) fail("cannot read file attributes");
    if (!S_ISREG(st.st_mode)) {
        errno = EINVAL;
        fail("not a plain file");
    }
    // Sized to the file, up to 1 MB: a page image of a few kilobytes then
    // costs no megabyte to clear, which over many small files outweighs the
    // hashing. One byte more than the file sees its end in the second read.
    const auto wanted = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1;
    std::vector<char> buffer(std::clamp<std::size_t>(wanted, 4096, std::size_t{1} << 20));
    Sha256 sha;
    FileDigest digest;
    digest.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            fail("cannot read file");
        }
        sha.Update(buffer.data(), static_cast<std::size_t>(n));
        digest.size += n;
    }
    digest.sha256 = sha.Hex();
    return digest;
}
