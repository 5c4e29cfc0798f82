#include "BenchGenerate.h"

#include "core/backup/BackupDates.h"
#include "core/data/Database.h"

#include <SQLiteCpp/SQLiteCpp.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kFilesPerLocation = 1000;

// Many small page images and a few large files, from a fixed seed.
std::int64_t FileSize(std::mt19937& rng)
{
    std::uniform_real_distribution<double> pick(0.0, 1.0);
    if (pick(rng) < 0.0025) return std::uniform_int_distribution<std::int64_t>(256 << 10, 4 << 20)(rng);
    std::lognormal_distribution<double> page(std::log(5000.0), 0.6);
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(page(rng)), 512, 96 << 10);
}

void WriteDocument(const fs::path& file, std::int64_t size, std::time_t when, const std::vector<char>& data)
{
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error("cannot write " + file.string());
    for (std::int64_t left = size; left > 0;) {
        const auto n = ::write(fd, data.data(), static_cast<std::size_t>(std::min<std::int64_t>(left, data.size())));
        if (n <= 0) throw std::runtime_error("cannot write " + file.string());
        left -= n;
    }
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ::futimens(fd, times);
    ::close(fd);
}

std::int64_t Insert(SQLite::Database& db, SQLite::Statement& s, std::int64_t pid, const char* type)
{
    s.reset();
    s.bind(1, static_cast<int64_t>(pid));
    s.bind(2, type);
    s.exec();
    return db.getLastInsertRowid();
}

} // namespace

void FillLibrary(const std::string& lib, const GenerateOptions& o)
{
    std::mt19937 rng(o.seed);
    std::vector<char> data(1 << 16);
    for (auto& c : data) c = static_cast<char>(rng());
    SQLite::Database db(LibDatabaseFile(lib), SQLite::OPEN_READWRITE);
    SQLite::Transaction tx(db);
    SQLite::Statement level(db, "INSERT INTO `level` (pid, type) VALUES (?, ?)");
    SQLite::Statement image(db, "INSERT INTO `images` (`folder-id`, filename, location, internal, `page-count`, "
                                "`updated-date`) VALUES (?, ?, ?, ?, ?, ?)");
    const std::time_t now = std::time(nullptr);
    const std::time_t threeYears = 3 * 365 * 86400;
    std::uniform_int_distribution<int> internal(0, 99), pages(1, 12);
    std::uniform_int_distribution<std::time_t> age(86400, threeYears);
    std::int64_t made = 0;
    std::int64_t cabinetCount = 0;
    while (made < o.documents) {
        const std::int64_t cabinet = Insert(db, level, 0, "C");
        ++cabinetCount;
        for (int d = 0; d < o.drawersPerCabinet && made < o.documents; ++d) {
            const std::int64_t drawer = Insert(db, level, cabinet, "D");
            for (int f = 0; f < o.foldersPerDrawer && made < o.documents; ++f) {
                const std::int64_t folder = Insert(db, level, drawer, "F");
                for (int k = 0; k < o.documentsPerFolder && made < o.documents; ++k, ++made) {
                    char location[32], name[32];
                    std::snprintf(location, sizeof location, "%08lld",
                                  static_cast<long long>(made / kFilesPerLocation + 1));
                    std::snprintf(name, sizeof name, "%08lld.TIF", static_cast<long long>(made + 1));
                    const fs::path dir = fs::path(lib) / location;
                    if (made % kFilesPerLocation == 0) fs::create_directories(dir);
                    const std::time_t when = now - age(rng);
                    const int kind = internal(rng);
                    const char* code = kind < 88 ? "1" : kind < 94 ? "2" : kind < 97 ? "0" : kind < 99 ? "C" : nullptr;
                    WriteDocument(dir / name, FileSize(rng), when, data);
                    image.reset();
                    image.bind(1, static_cast<int64_t>(folder));
                    image.bind(2, name);
                    image.bind(3, location);
                    if (code)
                        image.bind(4, code);
                    else
                        image.bind(4);
                    image.bind(5, pages(rng));
                    image.bind(6, FormatIsoDate(when));
                    image.exec();
                }
            }
        }
    }
    tx.commit();
    std::printf("generated %lld documents in %lld cabinets\n", static_cast<long long>(made),
                static_cast<long long>(cabinetCount));
}

std::int64_t ChangeDocuments(const std::string& lib, double percent, std::uint32_t seed,
                             std::vector<std::string>* changed)
{
    SQLite::Database db(LibDatabaseFile(lib), SQLite::OPEN_READWRITE);
    const std::int64_t total = db.execAndGet("SELECT count(*) FROM images").getInt64();
    const std::int64_t count = static_cast<std::int64_t>(static_cast<double>(total) * percent / 100.0);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::int64_t> pick(1, total);
    const std::time_t now = std::time(nullptr);
    SQLite::Transaction tx(db);
    SQLite::Statement update(db, "UPDATE images SET `updated-date` = ?, internal = '1' WHERE id = ? "
                                 "RETURNING location, filename");
    for (std::int64_t i = 0; i < count; ++i) {
        update.reset();
        update.bind(1, FormatIsoDate(now));
        update.bind(2, static_cast<int64_t>(pick(rng)));
        if (!update.executeStep()) continue;
        const fs::path relative = fs::path(update.getColumn(0).getString()) / update.getColumn(1).getString();
        const fs::path file = fs::path(lib) / relative;
        if (changed) changed->push_back(relative.string());
        const struct timespec times[2] = {{now, 0}, {now, 0}};
        ::utimensat(AT_FDCWD, file.c_str(), times, 0);
        while (update.executeStep()) {
        }
    }
    tx.commit();
    return count;
}
