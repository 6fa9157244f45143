// Wide Perl-syntax patterns as the hand parsers use them: compiled once, with
// a UTF-8 locale so that \w and \s know non-ASCII letters.
#pragma once

#include <boost/regex.hpp>
#include <string_view>

namespace tw {

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
