#include "app/SettingsValues.h"

#include <gtest/gtest.h>
#include <string>

using namespace tw;

TEST(SettingsValues, TimeLimitIsFourDigitsUpTo99Colon59) {
    const struct {
        const wchar_t* szTyped;
        int nMinutes; // -1: refused
        const wchar_t* szText;
    } cases[] = {
        {L"01:30", 90, L"01:30"},
        {L"00:90", 90, L"00:90"}, // minutes beyond 59 carry into the hours
        {L" 00:45 ", 45, L"00:45"},
        {L"99:59", 99 * 60 + 59, L"99:59"},
        {L"00:00", 0, L"00:00"},
        {L"1_:__", -1, nullptr}, // an incomplete field
        {L"1:30", -1, nullptr},
        {L"99:60", -1, nullptr}, // more than the field can show
        {L"0a:30", -1, nullptr},
        {L"", -1, nullptr},
    };
    for (const auto& c : cases) {
        int minutes = -7;
        std::wstring text = L"kept";
        const bool ok = ParseTimeLimit(c.szTyped, minutes, text);
        EXPECT_EQ(ok, c.nMinutes >= 0) << c.szTyped;
        EXPECT_EQ(minutes, ok ? c.nMinutes : -7) << c.szTyped;
        EXPECT_EQ(text, ok ? c.szText : L"kept") << c.szTyped;
    }
}

TEST(SettingsValues, RateIsAPositiveNumberWithAPoint) {
    const struct {
        std::wstring strTyped;
        double dRate; // 0: refused
    } cases[] = {
        {L"1.12", 1.12}, {L" 1.10 ", 1.10},
        {L"2", 2.0},     {L"1,12", 0},
        {L"0", 0},       {L"0.00", 0},
        {L"-1.5", 0},    {L"", 0},
        {L"1.1x", 0},    {std::wstring(400, L'9'), 0}, // beyond any double
    };
    for (const auto& c : cases) {
        double rate = -1;
        const bool ok = ParseRate(c.strTyped, rate);
        EXPECT_EQ(ok, c.dRate > 0) << c.strTyped.size();
        EXPECT_EQ(rate, ok ? c.dRate : -1) << c.strTyped.size();
    }
}

// The money limits take cents with a point or a comma; a stop loss is a
// loss however its sign is written.
TEST(SettingsValues, MoneyLimitsMeanWhatWasTyped) {
    const struct {
        const wchar_t* szTyped;
        MoneyLimit kind;
        bool bOk;
        double dAmount;
    } cases[] = {
        {L"5.00", MoneyLimit::TakeProfit, true, 5.0},
        {L" 7,5 ", MoneyLimit::TakeProfit, true, 7.5},
        {L"100", MoneyLimit::TakeProfit, true, 100.0},
        {L"0.07", MoneyLimit::TakeProfit, true, 0.07},
        {L"5.00", MoneyLimit::StopLoss, true, -5.0},
        {L"-5.00", MoneyLimit::StopLoss, true, -5.0},
        {L"\u221212,34", MoneyLimit::StopLoss, true, -12.34},
        {L"999999.99", MoneyLimit::StopLoss, true, -999999.99},
        {L"-5", MoneyLimit::TakeProfit, false, 0},
        {L"0.00", MoneyLimit::StopLoss, false, 0},
        {L"1,000", MoneyLimit::TakeProfit, false, 0},
        {L"1 000", MoneyLimit::TakeProfit, false, 0},
        {L"5.", MoneyLimit::TakeProfit, false, 0},
        {L".5", MoneyLimit::TakeProfit, false, 0},
        {L"5.0x", MoneyLimit::TakeProfit, false, 0},
        {L"1000000", MoneyLimit::TakeProfit, false, 0},
        {L"", MoneyLimit::StopLoss, false, 0},
    };
    for (const auto& c : cases) {
        double amount = 42.0;
        EXPECT_EQ(ParseMoneyLimit(c.szTyped, c.kind, amount), c.bOk) << c.szTyped;
        EXPECT_EQ(amount, c.bOk ? c.dAmount : 42.0) << c.szTyped;
    }
}
