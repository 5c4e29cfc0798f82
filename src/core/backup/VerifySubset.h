#pragma once
// Which files a verify re-reads: all of them, none, or a rotating share.
// A share of N % splits the files into ceil(100 / N) buckets by their
// stored SHA-256 and takes one bucket a day, so runs on consecutive days
// read every file exactly once per rotation. The choice needs nothing
// written: the bucket comes from the date.
#include <cstdint>
#include <optional>
#include <string>

class VerifySubset {
public:
    static VerifySubset None() { return VerifySubset(0, 0); }
    static VerifySubset All() { return VerifySubset(1, 0); }
    // The share of `percent` (0 < percent <= 100) taken on day `day`
    // (days since 1 January 1970).
    static VerifySubset Share(double percent, std::int64_t day);
    // "15%" or "15"; none when it is no share between 0 and 100.
    static std::optional<double> ParsePercent(const std::string& text);
    // Today, in days since 1 January 1970 (UTC).
    static std::int64_t Today();

    // The file with this stored digest is re-read.
    bool Takes(const std::string& sha256) const;
    bool TakesAny() const { return buckets_ > 0; }
    bool TakesAll() const { return buckets_ == 1; }
    std::int64_t Buckets() const { return buckets_; }
    std::int64_t Bucket() const { return bucket_; }

private:
    VerifySubset(std::int64_t buckets, std::int64_t bucket) : buckets_(buckets), bucket_(bucket) {}

    std::int64_t buckets_; // 0: none
    std::int64_t bucket_;  // the one taken
};
