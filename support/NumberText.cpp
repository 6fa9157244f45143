#include "support/NumberText.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <string>

namespace tw {

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\v' || c == L'\f';
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

} // namespace

bool ScanInt(std::wstring_view s, std::size_t& pos, int& value) {
    std::size_t i = pos;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-'))
        negative = s[i++] == L'-';
    if (i >= s.size() || !IsDigit(s[i]))
        return false;
    std::int64_t v = 0;
    const std::int64_t limit = static_cast<std::int64_t>(INT_MAX) + 1;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        if (v < limit)
            v = v * 10 + (s[i] - L'0');
    }
    if (v > limit)
        v = limit;
    if (negative)
        v = -v;
    if (v > INT_MAX)
        v = INT_MAX;
    value = static_cast<int>(v);
    pos = i;
    return true;
}

bool ScanDouble(std::wstring_view s, std::size_t& pos, double& value) {
    std::size_t i = pos;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    std::string ascii;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) {
        if (s[i] == L'-')
            ascii.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i, ++digits)
        ascii.push_back(static_cast<char>(s[i]));
    if (i < s.size() && s[i] == L'.') {
        std::size_t j = i + 1;
        std::string fraction;
        for (; j < s.size() && IsDigit(s[j]); ++j)
            fraction.push_back(static_cast<char>(s[j]));
        if (digits > 0 || !fraction.empty()) {
            ascii.push_back('.');
            ascii += fraction;
            digits += fraction.size();
            i = j;
        }
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == L'+' || s[j] == L'-'))
            exponent.push_back(static_cast<char>(s[j++]));
        if (j < s.size() && IsDigit(s[j])) {
            for (; j < s.size() && IsDigit(s[j]); ++j)
                exponent.push_back(static_cast<char>(s[j]));
            ascii += exponent;
            i = j;
        }
    }
    double v = 0.0;
    auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(v))
        return false;
    value = v;
    pos = i;
    return true;
}

int LeadingInt(std::wstring_view s) {
    std::size_t pos = 0;
    int v = 0;
    return ScanInt(s, pos, v) ? v : 0;
}

double LeadingDouble(std::wstring_view s) {
    std::size_t pos = 0;
    double v = 0.0;
    return ScanDouble(s, pos, v) ? v : 0.0;
}

int ScanColonFields(std::wstring_view text, std::initializer_list<ScanField> fields) {
    std::size_t pos = 0;
    int filled = 0;
    for (const ScanField& field : fields) {
        if (filled > 0) {
            if (pos >= text.size() || text[pos] != L':')
                break;
            ++pos;
        }
        bool ok = false;
        if (int* const* i = std::get_if<int*>(&field))
            ok = ScanInt(text, pos, **i);
        else
            ok = ScanDouble(text, pos, *std::get<double*>(field));
        if (!ok)
            break;
        ++filled;
    }
    return filled;
}

std::wstring FormatFixed(double value, int decimals) {
    char buf[512];
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return L"0";
    return std::wstring(buf, end);
}

} // namespace tw
