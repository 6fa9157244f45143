// Hands for the parser tests, written as one text block per hand.
#pragma once

#include "parsing/HandParsers.h"

#include <string>
#include <string_view>

namespace tw::test {

// Splits `text` at line feeds into the lines of a hand.
inline HandLines Lines(std::wstring_view text) {
    HandLines out;
    std::size_t b = 0;
    while (b <= text.size()) {
        std::size_t e = text.find(L'\n', b);
        if (e == std::wstring_view::npos)
            e = text.size();
        if (e > b || e < text.size())
            out.emplace_back(text.substr(b, e - b));
        b = e + 1;
    }
    return out;
}

} // namespace tw::test
