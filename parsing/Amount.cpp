#include "parsing/Amount.h"

namespace tw {

double AmountFromGroup(std::wstring_view t) {
    double whole = 0;
    std::size_t i = 0;
    bool any = false;
    while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
        whole = whole * 10 + (t[i] - L'0');
        ++i;
        any = true;
    }
    if (!any)
        return 0.0;
    if (i < t.size()) {
        ++i; // the decimal point, whatever character stands for it
        double frac = 0, scale = 1;
        while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
            frac = frac * 10 + (t[i] - L'0');
            scale *= 10;
            ++i;
        }
        if (scale > 1)
            whole += frac / scale;
    }
    return whole;
}

int CurrencyFromSign(std::wstring_view s) {
    if (s == L"$" || s == L"USD")
        return 0;
    if (s == L"\u20AC" || s == L"EUR" || s == L"EURO")
        return 1;
    if (s == L"\u00A3" || s == L"GBP")
        return 2;
    return -1;
}

} // namespace tw
