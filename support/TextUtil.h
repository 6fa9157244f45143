// Small text helpers shared by every layer: trimming, prefix tests, UTF-8 and
// Windows-1252 conversion, printf-style formatting of wide strings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tw {

// True for the characters a hand-history line is trimmed of: ASCII blanks and
// control white space, and the non-breaking space some clients write.
inline bool IsTrimSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f' ||
           c == 0x00A0 || c == 0xFEFF;
}

inline std::wstring_view TrimView(std::wstring_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsTrimSpace(s[b]))
        ++b;
    while (e > b && IsTrimSpace(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}
std::wstring Trim(std::wstring_view s);

inline bool StartsWith(std::wstring_view s, std::wstring_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}
inline bool EndsWith(std::wstring_view s, std::wstring_view suffix) {
    return s.size() >= suffix.size() &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}
inline bool Contains(std::wstring_view s, std::wstring_view part) {
    return s.find(part) != std::wstring_view::npos;
}
// Overloads for string literals: their length is known, no scan needed.
template <std::size_t N> inline bool StartsWith(std::wstring_view s, const wchar_t (&prefix)[N]) {
    return StartsWith(s, std::wstring_view(prefix, N - 1));
}
template <std::size_t N> inline bool EndsWith(std::wstring_view s, const wchar_t (&suffix)[N]) {
    return EndsWith(s, std::wstring_view(suffix, N - 1));
}
template <std::size_t N> inline bool Contains(std::wstring_view s, const wchar_t (&part)[N]) {
    return Contains(s, std::wstring_view(part, N - 1));
}

// Holds `part` at a position after the first character.
inline bool ContainsAfterFirst(std::wstring_view s, std::wstring_view part) {
    std::size_t at = s.find(part);
    return at != std::wstring_view::npos && at > 0;
}

// UTF-8 <-> wide. Invalid input bytes become U+FFFD.
std::wstring FromUtf8(std::string_view s);
std::string ToUtf8(std::wstring_view s);

// Decodes `s` as UTF-8 into `out` (appending). Returns false, leaving `out`
// partly written, when `s` is not valid UTF-8.
bool DecodeUtf8Strict(std::string_view s, std::wstring& out);
// True when `s` is valid UTF-8. With `allowTruncatedTail` a sequence cut off at
// the very end counts as valid (a window into a longer text).
bool IsValidUtf8(std::string_view s, bool allowTruncatedTail = false);
// Decodes Windows-1252 (appending).
void DecodeCp1252(std::string_view s, std::wstring& out);

// printf-style formatting into a wide string; `%ls` takes a wide string.
std::wstring Format(const wchar_t* fmt, ...);

// Reads a decimal number with a point ("12", "0.5", "1234.56"); false when the
// text is not one. No rounding.
bool ParseDecimal(std::wstring_view s, double& value);

} // namespace tw
