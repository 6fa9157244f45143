#include "support/Ini.h"

#include "support/AtomicFile.h"
#include "support/NumberText.h"
#include "support/TextUtil.h"

#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

namespace tw {

namespace {

// The file as lines, with what is needed to write it back the same way.
struct IniText {
    std::vector<std::wstring> lines; // without "\n"; a "\r" before it stays
    bool bUtf8Bom = false;
    bool bCrLf = false;
    bool bEndsWithLineFeed = true;
};

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring_view TrimBlanks(std::wstring_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z')
            x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z')
            y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y)
            return false;
    }
    return true;
}

void DecodeUtf16(std::string_view bytes, bool bigEndian, std::wstring& out) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto b0 = static_cast<unsigned char>(bytes[i]);
        auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        char32_t unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            auto c0 = static_cast<unsigned char>(bytes[i + 2]);
            auto c1 = static_cast<unsigned char>(bytes[i + 3]);
            char32_t low = bigEndian ? (c0 << 8 | c1) : (c1 << 8 | c0);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out.push_back(
                    static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
                i += 2;
                continue;
            }
        }
        out.push_back(unit >= 0xD800 && unit <= 0xDFFF ? L'\uFFFD' : static_cast<wchar_t>(unit));
    }
}

// Reads the file; an empty text when it does not exist. nullopt (with errno
// in `err`) when it exists but cannot be read.
std::optional<IniText> LoadIni(const std::wstring& path, int& err) {
    IniText ini;
    errno = 0;
    std::ifstream in(ToUtf8(path), std::ios::binary);
    if (!in) {
        err = errno ? errno : EIO;
        if (err == ENOENT)
            return ini;
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        err = EIO;
        return std::nullopt;
    }
    std::wstring text;
    std::string_view b(bytes);
    if (b.size() >= 3 && b.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        ini.bUtf8Bom = true;
        text = FromUtf8(b.substr(3));
    } else if (b.size() >= 2 && b.compare(0, 2, "\xFF\xFE") == 0) {
        DecodeUtf16(b.substr(2), false, text);
    } else if (b.size() >= 2 && b.compare(0, 2, "\xFE\xFF") == 0) {
        DecodeUtf16(b.substr(2), true, text);
    } else if (IsValidUtf8(b)) {
        text = FromUtf8(b);
    } else {
        DecodeCp1252(b, text);
    }
    if (text.empty())
        return ini;
    std::size_t start = 0;
    for (;;) {
        std::size_t lf = text.find(L'\n', start);
        if (lf == std::wstring::npos) {
            ini.lines.push_back(text.substr(start));
            ini.bEndsWithLineFeed = false;
            break;
        }
        ini.lines.push_back(text.substr(start, lf - start));
        if (lf > start && text[lf - 1] == L'\r')
            ini.bCrLf = true;
        start = lf + 1;
        if (start == text.size())
            break;
    }
    return ini;
}

// The section name of a "[name]" line.
std::optional<std::wstring_view> SectionOf(std::wstring_view line) {
    std::wstring_view t = TrimBlanks(line);
    if (t.empty() || t.front() != L'[')
        return std::nullopt;
    t.remove_prefix(1);
    std::size_t close = t.find(L']');
    if (close != std::wstring_view::npos)
        t = t.substr(0, close);
    return TrimBlanks(t);
}

// The key and value of a "key=value" line (not a comment or a section).
bool KeyValueOf(std::wstring_view line, std::wstring_view& key, std::wstring_view& value) {
    std::wstring_view t = TrimBlanks(line);
    if (t.empty() || t.front() == L';' || t.front() == L'[')
        return false;
    std::size_t eq = t.find(L'=');
    if (eq == std::wstring_view::npos)
        return false;
    key = TrimBlanks(t.substr(0, eq));
    value = TrimBlanks(t.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return true;
}

// Where a key lives: the index of its section's header line (npos when the
// section is missing), of its own line (npos when the key is missing), and
// of the last non-blank line of the section.
struct KeyPlace {
    std::size_t nSection = std::wstring::npos;
    std::size_t nKey = std::wstring::npos;
    std::size_t nLastInSection = std::wstring::npos;
};

KeyPlace FindKey(const IniText& ini, std::wstring_view section, std::wstring_view key) {
    KeyPlace place;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        auto name = SectionOf(ini.lines[i]);
        if (place.nSection == std::wstring::npos) {
            if (name && EqualNoCase(*name, section)) {
                place.nSection = i;
                place.nLastInSection = i;
            }
            continue;
        }
        if (name)
            break; // the next section: only the first of a name counts
        if (!TrimBlanks(ini.lines[i]).empty())
            place.nLastInSection = i;
        std::wstring_view k, v;
        if (place.nKey == std::wstring::npos && KeyValueOf(ini.lines[i], k, v) &&
            EqualNoCase(k, key))
            place.nKey = i;
    }
    return place;
}

bool IsOneLine(std::wstring_view s) {
    return s.find_first_of(L"\r\n") == std::wstring_view::npos;
}

} // namespace

std::wstring CIni::ReadText(const wchar_t* section, const wchar_t* key, const wchar_t* def) const {
    std::wstring fallback = def ? def : L"";
    if (!section || !key || strPath.empty())
        return fallback;
    int err = 0;
    auto ini = LoadIni(strPath, err);
    if (!ini)
        return fallback;
    KeyPlace place = FindKey(*ini, section, key);
    if (place.nKey == std::wstring::npos)
        return fallback;
    std::wstring_view k, v;
    KeyValueOf(ini->lines[place.nKey], k, v);
    return std::wstring(v);
}

int CIni::ReadInteger(const wchar_t* section, const wchar_t* key) const {
    std::wstring text = ReadText(section, key);
    if (text.size() > 64)
        text.resize(64);
    // An unsigned 32-bit conversion that stops at the first non-digit, as the
    // C library's unsigned conversion does; a minus sign negates modulo 2^32.
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        negative = text[i++] == L'-';
    std::uint64_t v = 0;
    bool overflow = false;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        v = v * 10 + static_cast<std::uint64_t>(text[i] - L'0');
        if (v > 0xFFFFFFFFu) {
            overflow = true;
            v = 0xFFFFFFFFu;
        }
    }
    std::uint32_t u = static_cast<std::uint32_t>(v);
    if (negative && !overflow)
        u = 0u - u;
    return static_cast<int>(u);
}

double CIni::ReadDouble(const wchar_t* section, const wchar_t* key, double def) const {
    std::wstring text = ReadText(section, key);
    if (text.size() > 64)
        text.resize(64);
    if (text.empty())
        return def;
    return LeadingDouble(text);
}

int CIni::WriteText(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
    if (strPath.empty() || !section || !key)
        return EINVAL;
    std::wstring_view sec = TrimBlanks(section), k = TrimBlanks(key);
    if (sec.empty() || k.empty() || !IsOneLine(sec) || !IsOneLine(k) || !IsOneLine(value) ||
        sec.find(L']') != std::wstring_view::npos || k.find(L'=') != std::wstring_view::npos ||
        k.front() == L';' || k.front() == L'[')
        return EINVAL;
    int err = 0;
    auto loaded = LoadIni(strPath, err);
    if (!loaded)
        return err ? err : EIO;
    IniText& ini = *loaded;
    const std::wstring eol = ini.bCrLf ? L"\r" : L"";
    const std::wstring line = std::wstring(k) + L"=" + value + eol;

    // A last line without its line end gets one before a line is added after it.
    auto endLastLine = [&] {
        if (!ini.bEndsWithLineFeed && !ini.lines.empty()) {
            ini.lines.back() += eol;
            ini.bEndsWithLineFeed = true;
        }
    };

    KeyPlace place = FindKey(ini, sec, k);
    if (place.nKey != std::wstring::npos) {
        const bool last = place.nKey + 1 == ini.lines.size();
        ini.lines[place.nKey] =
            last && !ini.bEndsWithLineFeed ? std::wstring(k) + L"=" + value : line;
    } else if (place.nSection != std::wstring::npos) {
        if (place.nLastInSection + 1 == ini.lines.size())
            endLastLine();
        ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(place.nLastInSection + 1),
                         line);
    } else {
        endLastLine();
        if (!ini.lines.empty() && !TrimBlanks(ini.lines.back()).empty())
            ini.lines.push_back(eol);
        ini.lines.push_back(L"[" + std::wstring(sec) + L"]" + eol);
        ini.lines.push_back(line);
    }

    std::wstring text;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        text += ini.lines[i];
        if (i + 1 < ini.lines.size() || ini.bEndsWithLineFeed)
            text += L"\n";
    }
    std::string bytes = ini.bUtf8Bom ? "\xEF\xBB\xBF" : "";
    bytes += ToUtf8(text);
    return WriteFileAtomic(strPath, bytes);
}

int CIni::WriteTotal(double value) const {
    return WriteText(L"Bankroll", L"Total", FormatFixed(value, 6));
}

} // namespace tw
