#include "app/Profile.h"

#include "support/TextUtil.h"

#include <cstdint>

namespace tw {

int ProfileIntFromText(const std::wstring& text, int def) {
    std::wstring_view t = TrimView(text);
    bool negative = false;
    if (!t.empty() && (t.front() == L'+' || t.front() == L'-')) {
        negative = t.front() == L'-';
        t.remove_prefix(1);
    }
    int base = 10;
    if (t.size() > 2 && t[0] == L'0' && (t[1] == L'x' || t[1] == L'X')) {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty() || t.size() > 10)
        return def;
    std::uint64_t v = 0;
    for (wchar_t c : t) {
        int d;
        if (c >= L'0' && c <= L'9')
            d = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f')
            d = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F')
            d = c - L'A' + 10;
        else
            return def;
        v = v * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    }
    if (negative) {
        if (v > 0x80000000u)
            return def;
        return static_cast<int>(-static_cast<std::int64_t>(v));
    }
    if (v > 0xFFFFFFFFu)
        return def;
    return static_cast<int>(static_cast<std::uint32_t>(v));
}

int CMemoryProfile::GetProfileInt(const std::wstring& section, const std::wstring& key, int def) {
    auto it = mapValues.find({section, key});
    return it == mapValues.end() ? def : ProfileIntFromText(it->second, def);
}

std::wstring CMemoryProfile::GetProfileString(const std::wstring& section, const std::wstring& key,
                                              const std::wstring& def) {
    auto it = mapValues.find({section, key});
    return it == mapValues.end() ? def : it->second;
}

bool CMemoryProfile::WriteProfileInt(const std::wstring& section, const std::wstring& key,
                                     int value) {
    mapValues[{section, key}] = std::to_wstring(value);
    return true;
}

bool CMemoryProfile::WriteProfileString(const std::wstring& section, const std::wstring& key,
                                        const std::wstring& value) {
    mapValues[{section, key}] = value;
    return true;
}

} // namespace tw
