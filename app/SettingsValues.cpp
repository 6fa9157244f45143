#include "app/SettingsValues.h"

#include "support/TextUtil.h"

#include <algorithm>
#include <cmath>
#include <cwctype>

namespace tw {

bool ParseTimeLimit(std::wstring_view typed, int& minutes, std::wstring& text) {
    std::wstring digits(typed);
    std::erase_if(digits, [](wchar_t c) { return c == L'_' || c == L':' || IsTrimSpace(c); });
    if (digits.size() != 4 || !std::all_of(digits.begin(), digits.end(),
                                           [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return false;
    const int limit = 60 * ((digits[0] - L'0') * 10 + (digits[1] - L'0')) +
                      (digits[2] - L'0') * 10 + (digits[3] - L'0');
    if (limit > kMaxTimeLimit)
        return false;
    minutes = limit;
    text = digits.substr(0, 2) + L":" + digits.substr(2, 2);
    return true;
}

bool ParseRate(std::wstring_view typed, double& rate) {
    double value = 0.0;
    if (!ParseDecimal(TrimView(typed), value) || !(value > 0.0) || !std::isfinite(value))
        return false;
    rate = value;
    return true;
}

bool ParseMoneyLimit(std::wstring_view typed, MoneyLimit kind, double& amount) {
    std::wstring_view t = typed;
    while (!t.empty() && std::iswspace(t.front()))
        t.remove_prefix(1);
    while (!t.empty() && std::iswspace(t.back()))
        t.remove_suffix(1);
    bool negative = false;
    if (!t.empty() && (t.front() == L'-' || t.front() == L'\u2212')) {
        negative = true;
        t.remove_prefix(1);
    } else if (!t.empty() && t.front() == L'+') {
        t.remove_prefix(1);
    }
    // Whole cents, counted exactly: at most 8 digits before the mark.
    long long cents = 0;
    std::size_t i = 0, digits = 0;
    for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i, ++digits)
        cents = cents * 10 + (t[i] - L'0');
    if (digits == 0 || digits > 8)
        return false;
    cents *= 100;
    if (i < t.size() && (t[i] == L'.' || t[i] == L',')) {
        ++i;
        const std::size_t decimals = t.size() - i;
        if (decimals == 0 || decimals > 2)
            return false;
        for (std::size_t k = 0; k < decimals; ++k, ++i) {
            if (t[i] < L'0' || t[i] > L'9')
                return false;
            cents += (t[i] - L'0') * (k == 0 ? 10 : 1);
        }
    }
    if (i != t.size() || cents == 0 || cents > static_cast<long long>(kMaxMoneyLimit * 100 + 0.5))
        return false;
    if (negative && kind == MoneyLimit::TakeProfit)
        return false;
    amount = static_cast<double>(cents) / 100.0;
    if (kind == MoneyLimit::StopLoss)
        amount = -amount;
    return true;
}

} // namespace tw
