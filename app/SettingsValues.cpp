#include "app/SettingsValues.h"

#include "support/TextUtil.h"

#include <algorithm>
#include <cmath>

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

double AmountFromField(int field, double opened) {
    return field == static_cast<int>(opened) ? opened : static_cast<double>(field);
}

} // namespace tw
