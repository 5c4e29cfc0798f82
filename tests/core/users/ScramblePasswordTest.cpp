// Expected outputs are worked out by hand from the key "R7t4k9w"
// (codes 82 55 116 52 107 57 119): odd positions subtract and add 127 below
// 0, even positions add and subtract 127 above 127, results below 40 are
// written as "!" and the code + 40.
#include "core/base/AppError.h"
#include "core/common/Cp1252.h"
#include "core/users/Password.h"

#include <gtest/gtest.h>

TEST(ScramblePassword, EmptyInputGivesEmptyOutput) { EXPECT_EQ(ScramblePassword(""), ""); }

TEST(ScramblePassword, EscapesResultsBelow40)
{
    EXPECT_EQ(ScramblePassword("R"), "!(");   // 82 - 82 = 0: escaped as "!" + code 40
    EXPECT_EQ(ScramblePassword("y"), "!O");   // 121 - 82 = 39: "!" + code 79
    EXPECT_EQ(ScramblePassword("z"), "(");    // 122 - 82 = 40: written directly
    EXPECT_EQ(ScramblePassword("AI"), "n!)"); // 65 - 82 + 127 = 110; 73 + 55 - 127 = 1
}

TEST(ScramblePassword, EvenPositionSumOf127StaysUnfolded)
{
    // 97 - 82 = 15 (escaped "!7"); 72 + 55 = 127 exactly: code 127, not folded.
    EXPECT_EQ(ScramblePassword("aH"), std::string("!7\x7F"));
}

TEST(ScramblePassword, PositionParityFollowsTheInputNotTheKey)
{
    // Position 8 uses "R" again and adds it (65 + 82 - 127 = 20, escaped
    // "!<"); position 15 uses "R" once more and subtracts it (110, "n").
    EXPECT_EQ(ScramblePassword(std::string(15, 'A')), "nxLuUzI!<!26!5-!09n");
    EXPECT_EQ(ScramblePassword(std::string(7, 'A')), "nxLuUzI");
}

TEST(ScramblePassword, InitialAdministratorPassword)
{
    // q u i l l s e t -> 31! 45 116 33! 1! 45 109 71: three escapes, 11 characters.
    EXPECT_EQ(ScramblePassword("quillset"), "!G-t!I!)-mG");
    EXPECT_NE(ScramblePassword("Quillset"), ScramblePassword("quillset"));
}

TEST(ScramblePassword, CharactersGoThroughWindows1252)
{
    EXPECT_EQ(ScramblePassword("é"), "—");    // 233 - 82 = 151, which is U+2014
    EXPECT_EQ(ScramblePassword("€"), ".");    // U+20AC is 128; 128 - 82 = 46
    EXPECT_EQ(ScramblePassword("Ж"), "l");    // outside the page: "?" 63; 63 - 82 + 127 = 108
    EXPECT_EQ(ScramblePassword("Rÿ"), "!(·"); // 255 + 55 - 127 = 183, U+00B7
}

TEST(ScramblePassword, InputsAreLimitedTo32767Characters)
{
    EXPECT_NO_THROW(ScramblePassword(std::string(32767, 'a')));
    EXPECT_THROW(ScramblePassword(std::string(32768, 'a')), AppError);
}

// Every code at every key position, in both parities: the output never holds
// an apostrophe or any code below 40 except the escape mark, which is always
// followed by a code from 40 to 79; its length is the input's plus escapes.
TEST(ScramblePassword, OutputIsSafeInsideQuotedText)
{
    for (int position = 1; position <= 14; ++position) {
        for (int code = 0; code < 256; ++code) {
            std::vector<unsigned char> input(static_cast<std::size_t>(position - 1), 'A');
            input.push_back(static_cast<unsigned char>(code));
            const std::vector<unsigned char> out = ToCp1252(ScramblePassword(FromCp1252(input)));
            std::size_t escapes = 0;
            for (std::size_t i = 0; i < out.size(); ++i) {
                if (out[i] == '!') {
                    ASSERT_LT(i + 1, out.size());
                    EXPECT_GE(out[i + 1], 40) << "code " << code << " at " << position;
                    EXPECT_LE(out[i + 1], 79) << "code " << code << " at " << position;
                    ++escapes;
                    ++i;
                } else {
                    EXPECT_GE(out[i], 40) << "code " << code << " at " << position;
                }
            }
            EXPECT_EQ(out.size(), input.size() + escapes);
        }
    }
}
