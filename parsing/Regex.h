// Wide Perl-syntax patterns as the hand parsers use them: compiled once, with
// a UTF-8 locale so that \w and \s know non-ASCII letters.
#pragma once

#include <boost/regex.hpp>
#include <string_view>

namespace tw {

// Pattern pieces for money in the text formats, to be pasted into wide
// pattern literals. TW_AMT captures an amount as AmountFromGroup reads it
// (digits, one character standing for the decimal point, up to two
// decimals); TW_AMT_NC is the same without the capture. TW_SIGN is one
// currency sign ("$", "€", "£") and TW_CODE captures a currency code.
#define TW_AMT L"(\\d+.?[0-9]{0,2})"
#define TW_AMT_NC L"\\d+.?[0-9]{0,2}"
#define TW_SIGN L"[\\$\u20AC\u00A3]"
#define TW_CODE L"(USD|EURO|EUR|GBP)"

using WRegex = boost::wregex;
using WMatch = boost::match_results<std::wstring_view::const_iterator>;

// Compiles `pattern` (Perl syntax) with the program's wide locale.
WRegex MakeRegex(const wchar_t* pattern);

// The whole of `s` matches `re`.
inline bool MatchWhole(std::wstring_view s, WMatch& m, const WRegex& re) {
    return boost::regex_match(s.begin(), s.end(), m, re);
}
// `re` matches somewhere in `s`.
inline bool SearchIn(std::wstring_view s, WMatch& m, const WRegex& re) {
    return boost::regex_search(s.begin(), s.end(), m, re);
}
inline std::wstring_view Group(const WMatch& m, int i) {
    const auto& g = m[i];
    if (!g.matched)
        return {};
    return std::wstring_view(&*g.first, static_cast<std::size_t>(g.second - g.first));
}

} // namespace tw
