#include "core/backup/VerifySubset.h"
#include "core/common/Sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::vector<std::string> Digests(int count)
{
    std::vector<std::string> digests;
    Sha256 sha;
    for (int i = 0; i < count; ++i) {
        const std::string text = "file " + std::to_string(i);
        sha.Update(text.data(), text.size());
        digests.push_back(sha.Hex());
    }
    return digests;
}

} // namespace

TEST(VerifySubset, OverOneRotationEveryFileIsTakenExactlyOnce)
{
    const std::vector<std::string> digests = Digests(3000);
    for (const double percent : {1.0, 15.0, 30.0, 33.3, 50.0, 99.0}) {
        SCOPED_TRACE(percent);
        const std::int64_t buckets = VerifySubset::Share(percent, 0).Buckets();
        // The fewest days whose daily share reads no more than asked.
        EXPECT_LE(100.0 / static_cast<double>(buckets), percent);
        if (buckets > 1) {
            EXPECT_GT(100.0 / static_cast<double>(buckets - 1), percent);
        }
        std::vector<int> taken(digests.size(), 0);
        std::size_t mostOnADay = 0;
        // Any run of consecutive days, here starting mid-rotation.
        for (std::int64_t day = 20001; day < 20001 + buckets; ++day) {
            const VerifySubset share = VerifySubset::Share(percent, day);
            std::size_t today = 0;
            for (std::size_t i = 0; i < digests.size(); ++i)
                if (share.Takes(digests[i])) ++taken[i], ++today;
            mostOnADay = std::max(mostOnADay, today);
        }
        EXPECT_EQ(std::count(taken.begin(), taken.end(), 1), static_cast<long>(digests.size()));
        // The share is spread over the days, not taken at once.
        if (buckets > 1) {
            EXPECT_LT(mostOnADay, digests.size() * 2 / static_cast<std::size_t>(buckets));
        }
    }
    EXPECT_EQ(VerifySubset::Share(15, 0).Buckets(), 7);
    EXPECT_TRUE(VerifySubset::Share(100, 3).TakesAll());
    EXPECT_FALSE(VerifySubset::None().Takes(digests[0]));
}

TEST(VerifySubset, PercentIsAShareAboveZeroUpToAll)
{
    EXPECT_EQ(VerifySubset::ParsePercent("15%"), 15.0);
    EXPECT_EQ(VerifySubset::ParsePercent("2.5"), 2.5);
    EXPECT_EQ(VerifySubset::ParsePercent("100%"), 100.0);
    for (const char* bad : {"0%", "-5%", "101%", "%", "", "15%%", "ten", "nan", "15 %"})
        EXPECT_EQ(VerifySubset::ParsePercent(bad), std::nullopt) << bad;
}
