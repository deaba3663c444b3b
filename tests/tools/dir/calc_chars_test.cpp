// The calculator character escapes: table codes, three-digit values, and that a
// character produced by a replacement is never examined again.
#include "CalcChars.h"

#include <gtest/gtest.h>

namespace {

std::string Chars(std::initializer_list<int> codes)
{
    std::string text;
    for (int code : codes) {
        text += static_cast<char>(code);
    }
    return text;
}

TEST(CalcChars, TableCodesBecomeOneCharacter)
{
    EXPECT_EQ(TranslateCalcChars("X\\->Y"), Chars({'X', 141, 'Y'}));
    EXPECT_EQ(TranslateCalcChars("\\<)\\oo"), Chars({128, 159}));
    EXPECT_EQ(TranslateCalcChars("\\|>\\|v\\|^"), Chars({134, 143, 144}));
    EXPECT_EQ(TranslateCalcChars("\\<<\\>>\\^o\\Gm"), Chars({171, 187, 176, 181}));
    EXPECT_EQ(TranslateCalcChars("\\.x\\O/\\Gb\\:-"), Chars({215, 216, 223, 247}));
    EXPECT_EQ(TranslateCalcChars("\\pi\\PI"), Chars({135, 156}));
    // Case matters: \GD and \Gd are different letters; \gd is no code at all.
    EXPECT_EQ(TranslateCalcChars("\\GD\\Gd\\gd"), Chars({155, 146, '\\', 'g', 'd'}));
    // Each code takes exactly its two characters: \<<= is << followed by =.
    EXPECT_EQ(TranslateCalcChars("\\<<="), Chars({171, '='}));
}

TEST(CalcChars, ThreeDigitValuesBelow256)
{
    EXPECT_EQ(TranslateCalcChars("\\065"), "A");
    EXPECT_EQ(TranslateCalcChars("\\0651"), "A1");
    EXPECT_EQ(TranslateCalcChars("\\000"), std::string(1, '\0'));
    EXPECT_EQ(TranslateCalcChars("\\255"), Chars({255}));
    for (const char* unchanged : {"\\256", "\\300", "\\6A", "\\06", "\\", "a\\", "\\x"}) {
        EXPECT_EQ(TranslateCalcChars(unchanged), unchanged) << unchanged;
    }
}

TEST(CalcChars, ProducedCharactersAreNotExaminedAgain)
{
    // A doubled backslash is one backslash; what follows it stays as written.
    EXPECT_EQ(TranslateCalcChars("\\\\->"), "\\->");
    EXPECT_EQ(TranslateCalcChars("\\\\065"), "\\065");
    EXPECT_EQ(TranslateCalcChars("\\\\\\->"), Chars({'\\', 141}));
    // \092 makes a backslash too, and it does not start a new escape with the "pi".
    EXPECT_EQ(TranslateCalcChars("\\092pi"), "\\pi");
}

} // namespace
