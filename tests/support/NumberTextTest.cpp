#include "support/NumberText.h"

#include <climits>
#include <gtest/gtest.h>

using namespace tw;

TEST(NumberText, ColonFieldsFillFromTheLeftAndStopAtTheFirstMismatch) {
    int on = 9;
    double profit = 9, loss = 9;
    EXPECT_EQ(ScanColonFields(L"1:250.5", {&on, &profit, &loss}), 2);
    EXPECT_EQ(on, 1);
    EXPECT_DOUBLE_EQ(profit, 250.5);
    EXPECT_DOUBLE_EQ(loss, 9); // kept

    EXPECT_EQ(ScanColonFields(L" 0:-12.75: -3e1", {&on, &profit, &loss}), 3);
    EXPECT_EQ(on, 0);
    EXPECT_DOUBLE_EQ(profit, -12.75);
    EXPECT_DOUBLE_EQ(loss, -30);

    int a = 5, b = 6;
    EXPECT_EQ(ScanColonFields(L"1 :2", {&a, &b}), 1); // a blank before ':' ends it
    EXPECT_EQ(b, 6);
    EXPECT_EQ(ScanColonFields(L"x:2", {&a, &b}), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(ScanColonFields(L"", {&a, &b}), 0);
    EXPECT_EQ(ScanColonFields(L"3:", {&a, &b}), 1);
    EXPECT_EQ(ScanColonFields(L"99999999999:-99999999999", {&a, &b}), 2);
    EXPECT_EQ(a, INT_MAX);
    EXPECT_EQ(b, INT_MIN);
}

TEST(NumberText, DoublesRefuseWhatIsNotAFiniteNumber) {
    double v = 7;
    std::size_t pos = 0;
    for (const wchar_t* bad : {L"nan", L"inf", L"-", L".", L"e5", L"1e999", L"abc"}) {
        pos = 0;
        EXPECT_FALSE(ScanDouble(bad, pos, v)) << bad;
        EXPECT_EQ(pos, 0u);
    }
    EXPECT_DOUBLE_EQ(v, 7);
    pos = 0;
    ASSERT_TRUE(ScanDouble(L"-.5e", pos, v));
    EXPECT_DOUBLE_EQ(v, -0.5);
    EXPECT_EQ(pos, 3u); // the dangling exponent mark is not part of it
    EXPECT_DOUBLE_EQ(LeadingDouble(L"1.12abc"), 1.12);
    EXPECT_EQ(LeadingInt(L"  -42x"), -42);
}

TEST(NumberText, FixedFormattingUsesAPointAndRoundsOnlyTheShownDigits) {
    EXPECT_EQ(FormatFixed(1250.5, 6), L"1250.500000");
    EXPECT_EQ(FormatFixed(1.5, 4), L"1.5000");
    EXPECT_EQ(FormatFixed(-1000, 2), L"-1000.00");
    EXPECT_EQ(FormatFixed(0.125, 2), L"0.12"); // as "%.2f" rounds it
}
