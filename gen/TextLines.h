// Text split into lines, the way tests and benchmarks feed hand text to the
// parsers.
#pragma once

#include "support/TextUtil.h"

#include <string>
#include <string_view>
#include <vector>

namespace twgen {

// The lines of `text`, split at line feeds: an empty line between two others
// stays, a final line feed opens no new line. A UTF-8 text is decoded line by
// line. With `trim` each line loses its blanks at both ends, as the hand
// splitter stores lines.
template <class Char>
std::vector<std::wstring> SplitLines(std::basic_string_view<Char> text, bool trim = false) {
    std::vector<std::wstring> lines;
    std::size_t b = 0;
    while (b < text.size()) {
        std::size_t e = text.find(Char('\n'), b);
        if (e == std::basic_string_view<Char>::npos)
            e = text.size();
        std::wstring line;
        if constexpr (sizeof(Char) == 1)
            line = tw::FromUtf8(text.substr(b, e - b));
        else
            line.assign(text.substr(b, e - b));
        lines.push_back(trim ? tw::Trim(line) : std::move(line));
        b = e + 1;
    }
    return lines;
}
inline std::vector<std::wstring> SplitLines(std::wstring_view text, bool trim = false) {
    return SplitLines<wchar_t>(text, trim);
}
inline std::vector<std::wstring> SplitLines(std::string_view utf8, bool trim = false) {
    return SplitLines<char>(utf8, trim);
}

} // namespace twgen
