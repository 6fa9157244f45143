// Hands for the parser tests, written as one text block per hand.
#pragma once

#include "gen/TextLines.h"
#include "parsing/HandParsers.h"

#include <string>
#include <string_view>

namespace tw::test {

// The lines of a hand written as one text block.
inline HandLines Lines(std::wstring_view text) {
    return twgen::SplitLines(text);
}

} // namespace tw::test
