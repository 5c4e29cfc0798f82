#include "core/common/Text.h"

#include <gtest/gtest.h>

TEST(Text, TrimRemovesBlanksOnlyAtBothEnds)
{
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(TrimRight("  a  "), "  a");
}

TEST(Text, LeftCharsCountsCharactersNotBytes)
{
    EXPECT_EQ(LeftChars("ÄÖÜabc", 4), "ÄÖÜa");
    EXPECT_EQ(LeftChars("abc", 10), "abc");
    EXPECT_EQ(CharCount("ÄÖÜ"), 3u);
}
