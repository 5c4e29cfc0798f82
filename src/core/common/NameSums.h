#pragma once
// The names of a directory, counted and summed by two hashes, in any order:
// equal sums of different names are as likely as a guess of 128 bits.
#include <cstdint>
#include <functional>
#include <string>

struct NameSums {
    std::int64_t count = 0;
    std::uint64_t a = 0, b = 0;

    void Add(const std::string& name)
    {
        ++count;
        std::uint64_t h = 14695981039346656037ull; // FNV-1a
        for (const unsigned char c : name) h = (h ^ c) * 1099511628211ull;
        a += h;
        b += std::hash<std::string>{}(name);
    }
    bool operator==(const NameSums&) const = default;
};
