#include "support/TextUtil.h"

#include <gtest/gtest.h>

using namespace tw;

TEST(TextUtil, TrimsBlanksAndNonBreakingSpaces) {
    EXPECT_EQ(Trim(L" \t\u00A0abc \r"), L"abc");
    EXPECT_EQ(Trim(L"   "), L"");
}
