#include "core/backup/VerifySubset.h"

#include <cmath>
#include <ctime>

VerifySubset VerifySubset::Share(double percent, std::int64_t day)
{
    const auto buckets = static_cast<std::int64_t>(std::ceil(100.0 / percent - 1e-9));
    if (buckets <= 1) return All();
    return VerifySubset(buckets, ((day % buckets) + buckets) % buckets);
}

std::optional<double> VerifySubset::ParsePercent(const std::string& text)
{
    std::string number = text;
    if (!number.empty() && number.back() == '%') number.pop_back();
    if (number.empty()) return std::nullopt;
    std::size_t used = 0;
    double value = 0;
    try {
        value = std::stod(number, &used);
    } catch (...) {
        return std::nullopt;
    }
    if (used != number.size() || !(value > 0 && value <= 100)) return std::nullopt;
    return value;
}

std::int64_t VerifySubset::Today() { return static_cast<std::int64_t>(std::time(nullptr)) / 86400; }

bool VerifySubset::Takes(const std::string& sha256) const
{
    if (buckets_ <= 1) return buckets_ == 1;
    // The first eight hex digits: uniform over the files, whatever their names.
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8 && i < sha256.size(); ++i) {
        const char c = sha256[i];
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 0;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return static_cast<std::int64_t>(value % static_cast<std::uint64_t>(buckets_)) == bucket_;
}
