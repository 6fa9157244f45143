#include "support/TextUtil.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(TextUtil, TrimsBlanksAndNonBreakingSpaces) {
    EXPECT_EQ(Trim(L" \t\u00A0abc \r"), L"abc");
    EXPECT_EQ(Trim(L"   "), L"");
}

TEST(TextUtil, Utf8RoundTripAndValidity) {
    std::wstring w = L"Hero \u20AC \u00E9 \U0001F600";
    EXPECT_EQ(FromUtf8(ToUtf8(w)), w);
    EXPECT_TRUE(IsValidUtf8("\xE2\x82\xAC"));
    EXPECT_FALSE(IsValidUtf8("\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));     // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80")); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));
    EXPECT_TRUE(IsValidUtf8("\xE2\x82", true)); // cut off at a window's end
    std::wstring out;
    EXPECT_TRUE(DecodeUtf8Strict("abcdefghijklmnop\xC3\xA9xyz", out));
    EXPECT_EQ(out, L"abcdefghijklmnop\u00E9xyz");
}

TEST(TextUtil, DecimalsAreReadWithAPointWhateverTheLocale) {
    double v = 0;
    EXPECT_TRUE(ParseDecimal(L"1234.56", v));
    EXPECT_DOUBLE_EQ(v, 1234.56);
    EXPECT_TRUE(ParseDecimal(L".5", v));
    EXPECT_DOUBLE_EQ(v, 0.5);
    EXPECT_FALSE(ParseDecimal(L"1,5", v));
    EXPECT_FALSE(ParseDecimal(L"", v));
    EXPECT_FALSE(ParseDecimal(L"abc", v));
}
