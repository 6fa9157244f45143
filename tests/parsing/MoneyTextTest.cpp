#include "parsing/Amount.h"

#include <cwchar>
#include <gtest/gtest.h>

using namespace tw;

namespace {

struct MoneyCase {
    const wchar_t* szText;
    double dAmount;
    int nCurrency;
};

} // namespace

TEST(MoneyText, ReadsAmountsAsRoomsWriteThem) {
    const MoneyCase cases[] = {
        {L"$1,728.25", 1728.25, 0},
        {L"$2,095.00", 2095, 0},
        {L"15 788,50 $", 15788.5, 0},
        {L"15\u00A0788,50\u00A0$", 15788.5, 0},
        {L"2\u202F250 \u20AC", 2250, 1},
        {L"0,01 $", 0.01, 0},
        {L"\u20AC51,18", 51.18, 1},
        {L"222,75$", 222.75, 0},
        {L"25 $", 25, 0},
        {L"$ 10", 10, 0},
        {L"$ 3.243", 3243, 0},
        {L"$ 552,72", 552.72, 0},
        {L"\u00A30.05", 0.05, 2},
        {L"1.234,50 EUR", 1234.5, 1},
        {L"1'234.50 USD", 1234.5, 0},
        {L"$5 USD", 5, 0},
        {L"  $12,345,678.9  ", 12345678.9, 0},
        {L"0.125", 0.125, -1},
        {L"7", 7, -1},
    };
    for (const MoneyCase& c : cases) {
        double amount = -1;
        int currency = -7;
        ASSERT_TRUE(ParseMoneyText(c.szText, amount, &currency)) << c.szText;
        EXPECT_EQ(amount, c.dAmount) << c.szText;
        EXPECT_EQ(currency, c.nCurrency) << c.szText;
    }
}

TEST(MoneyText, GivesTheSameDoubleAsTheCLibrary) {
    // The money path never rounds, so the reading must not add an error of its own.
    const wchar_t* plain[] = {L"0.29", L"0.57", L"1.13", L"1728.25", L"15788.5", L"0.07"};
    const wchar_t* written[] = {L"$0.29",     L"0,57 $",      L"\u20AC1,13",
                                L"$1,728.25", L"15 788,50 $", L"0,07$"};
    for (int i = 0; i < 6; ++i) {
        double amount = 0;
        ASSERT_TRUE(ParseMoneyText(written[i], amount)) << written[i];
        EXPECT_EQ(amount, std::wcstod(plain[i], nullptr)) << written[i];
    }
}

TEST(MoneyText, RefusesWhatIsNotOneAmount) {
    const wchar_t* bad[] = {
        L"",       L"$",       L"abc",         L"$5 \u20AC",         L"1,23,456",
        L"12 34",  L"5 12",    L"$5x",         L"1234,567",          L"-5",
        L"5.",     L"$$5 XYZ", L"1,234,56",    L"12.50.30",          L"1.234.567,",
        L"01,234", L"5 $ 6",   L"\u20AC5 USD", L"123456789012345678"};
    for (const wchar_t* t : bad) {
        double amount = 42;
        int currency = 42;
        EXPECT_FALSE(ParseMoneyText(t, amount, &currency)) << t;
        EXPECT_EQ(amount, 42);
        EXPECT_EQ(currency, 42);
    }
}

TEST(AmountFromGroup, ReadsWhatThePatternsCaptureAndNoAbsurdAmount) {
    const std::wstring many(400, L'9');
    const struct {
        std::wstring text;
        double amount;
    } cases[] = {
        {L"0.25", 0.25},    {L"12", 12},
        {L"1,50", 1.5},     {L"7.", 7},
        {L"", 0},           {L"x1", 0},
        {many, 0},          {L"1." + many, 0},
        {many + L".5", 0},  {L"999999999.99", 999999999.99},
        {L"1000000000", 0},
    };
    for (const auto& c : cases) {
        TakeAbsurdAmountNote();
        EXPECT_EQ(AmountFromGroup(c.text), c.amount) << c.text.size() << " characters";
        // An amount read as 0 for its size is noted: its hand is not counted.
        EXPECT_EQ(TakeAbsurdAmountNote(), c.text.size() >= 10 && c.amount == 0)
            << c.text.size() << " characters";
    }
}

// The rooms' three readings side by side: the pattern captures (any one
// character marks decimals, nothing groups), written money (signs, groups of
// three) and iPoker numbers (marks anywhere, no signs). Each column is what that reading
// gives; `kNo` where it refuses the text (the capture reading then gives 0).
TEST(AmountReadings, DifferOnlyWhereTheirRoomsWriteDifferently) {
    constexpr double kNo = -1;
    const struct {
        const wchar_t* szText;
        double dCapture, dMoney, dIPoker;
    } cases[] = {
        {L"12", 12, 12, 12},
        {L"0.25", 0.25, 0.25, 0.25},
        {L"1,50", 1.5, 1.5, 1.5},
        {L"0.125", 0.125, 0.125, 0.125},
        {L"0,123", 0.123, 0.123, 0.123},
        // A lone point or comma before three digits groups thousands, except
        // in a capture, where it always marks decimals.
        {L"1,234", 1.234, 1234, 1234},
        {L"1.234,5", 1.234, 1234.5, 1234.5},
        {L"1,234.5", 1.234, 1234.5, 1234.5},
        {L"1,234,567", 1.234, 1234567, 1234567},
        {L"12 345 678,9", 12.345, 12345678.9, 12345678.9},
        {L"12\u00A0345", 12.345, 12345, 12345},
        {L"1'234.5", 1.234, 1234.5, 1234.5},
        {L"12\u2019345", 12.345, 12345, kNo},
        // Groups that are not of three: money refuses them, iPoker drops the marks.
        {L"1234,567", 1234.567, kNo, 1234.567},
        {L"01,234", 1.234, kNo, 1.234},
        {L"1,2,3", 1.2, kNo, 123},
        {L"1.2.3", 1.2, kNo, 123},
        {L"1 2", 1.2, kNo, 12},
        {L"1  234", 1.0, kNo, 1234},
        // Any character after the digits is a capture's decimal point.
        {L"1x5", 1.5, kNo, kNo},
        {L"7.", 7, kNo, 7},
        {L"7.5 from pot", 7.5, kNo, kNo},
        // Signs and codes belong to written money only; so do blanks around it.
        {L"$5", 0, 5, kNo},
        {L"5 USD", 5, 5, kNo},
        {L" 5", 0, 5, 5},
        {L"5 ", 5, 5, 5},
        {L"-5", 0, kNo, kNo},
        {L"", 0, kNo, kNo},
        // Amounts beyond any stake, or with more digits than any amount has.
        {L"999999999.99", 999999999.99, 999999999.99, 999999999.99},
        {L"1000000000", 0, kNo, kNo},
        {L"1234567890123456", 0, kNo, kNo},
    };
    for (const auto& c : cases) {
        const std::wstring text = c.szText;
        EXPECT_EQ(AmountFromGroup(text), c.dCapture) << "capture: " << text.size() << " chars";
        double money = kNo, ipoker = kNo;
        EXPECT_EQ(ParseMoneyText(text, money), c.dMoney != kNo) << "money: " << text.size();
        EXPECT_EQ(money, c.dMoney) << "money: " << text.size() << " chars";
        const bool read = ReadAmount(text, kIPokerNumber, ipoker);
        EXPECT_EQ(read, c.dIPoker != kNo) << "iPoker: " << text.size() << " chars";
        if (read) {
            EXPECT_EQ(ipoker, c.dIPoker) << "iPoker: " << text.size() << " chars";
        }
    }
}
