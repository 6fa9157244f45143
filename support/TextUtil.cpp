#include "support/TextUtil.h"

#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <vector>

namespace tw {

std::wstring Trim(std::wstring_view s) {
    return std::wstring(TrimView(s));
}

namespace {

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when invalid,
// or -1 when it is cut off by the end of the text.
int DecodeOne(std::string_view s, std::size_t i, char32_t& cp) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t n = s.size();
    unsigned char c = p[i];
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    int len;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
        min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
        min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    for (int k = 1; k < len; ++k) {
        if (i + k >= n)
            return -1;
        unsigned char cc = p[i + k];
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

bool DecodeUtf8Strict(std::string_view s, std::wstring& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    const std::size_t base = out.size();
    out.resize(base + n); // never more characters than bytes
    wchar_t* w = out.data() + base;
    std::size_t i = 0, k = 0;
    while (i < n) {
        // Fast path for ASCII runs, eight bytes at a time.
        while (i + 8 <= n) {
            std::uint64_t block;
            std::memcpy(&block, p + i, 8);
            if (block & 0x8080808080808080ULL)
                break;
            for (int j = 0; j < 8; ++j)
                w[k + j] = static_cast<wchar_t>(p[i + j]);
            i += 8;
            k += 8;
        }
        while (i < n && p[i] < 0x80)
            w[k++] = static_cast<wchar_t>(p[i++]);
        if (i >= n)
            break;
        char32_t cp;
        int len = DecodeOne(s, i, cp);
        if (len <= 0) {
            out.resize(base + k);
            return false;
        }
        w[k++] = static_cast<wchar_t>(cp);
        i += static_cast<std::size_t>(len);
    }
    out.resize(base + k);
    return true;
}

bool IsValidUtf8(std::string_view s, bool allowTruncatedTail) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    std::size_t n = s.size(), i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t cp;
        int len = DecodeOne(s, i, cp);
        if (len == -1)
            return allowTruncatedTail;
        if (len == 0)
            return false;
        i += static_cast<std::size_t>(len);
    }
    return true;
}

std::wstring FromUtf8(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    std::size_t i = 0, n = s.size();
    while (i < n) {
        char32_t cp;
        int len = DecodeOne(s, i, cp);
        if (len <= 0) {
            out.push_back(0xFFFD);
            ++i;
        } else {
            out.push_back(static_cast<wchar_t>(cp));
            i += static_cast<std::size_t>(len);
        }
    }
    return out;
}

std::string ToUtf8(std::wstring_view s) {
    std::string out;
    out.reserve(s.size());
    for (wchar_t wc : s) {
        auto c = static_cast<char32_t>(wc);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = 0xFFFD;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

void DecodeCp1252(std::string_view s, std::wstring& out) {
    // 0x80..0x9F differ from Latin-1; the five undefined bytes map to themselves.
    static const wchar_t kHigh[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    for (char ch : s) {
        auto c = static_cast<unsigned char>(ch);
        out.push_back(c >= 0x80 && c < 0xA0 ? kHigh[c - 0x80] : static_cast<wchar_t>(c));
    }
}

std::wstring Format(const wchar_t* fmt, ...) {
    std::vector<wchar_t> buf(256);
    for (;;) {
        va_list ap;
        va_start(ap, fmt);
        int n = std::vswprintf(buf.data(), buf.size(), fmt, ap);
        va_end(ap);
        if (n >= 0 && static_cast<std::size_t>(n) < buf.size())
            return std::wstring(buf.data(), static_cast<std::size_t>(n));
        if (buf.size() > (1u << 24))
            return std::wstring(fmt);
        buf.resize(buf.size() * 4);
    }
}

bool ParseDecimal(std::wstring_view s, double& value) {
    if (s.empty())
        return false;
    double whole = 0;
    std::size_t i = 0;
    bool digits = false;
    while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') {
        whole = whole * 10 + (s[i] - L'0');
        ++i;
        digits = true;
    }
    if (i < s.size() && s[i] == L'.') {
        ++i;
        double scale = 1, frac = 0;
        while (i < s.size() && s[i] >= L'0' && s[i] <= L'9') {
            frac = frac * 10 + (s[i] - L'0');
            scale *= 10;
            ++i;
            digits = true;
        }
        whole += frac / scale;
    }
    if (!digits || i != s.size())
        return false;
    value = whole;
    return true;
}

} // namespace tw
