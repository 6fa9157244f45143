// The PokerStars text format, also written by UPoker and PokerBros.
#pragma once

#include "parsing/HandParsers.h"

#include <string>

namespace tw {

// Reads the big blind (whole currency units) and the currency number from the
// first line of a hand in the PokerStars text format (also UPoker and
// PokerBros). A line of no known shape leaves both at 0.
void ParseHeaderPokerStars(const std::wstring& header, double& bigBlind, int& currency);

// The hero's result of one PokerStars-format hand in hundredths. `bbHundredths`
// is the header's big blind in hundredths (0 when unknown); it splits a
// "posts small & big blinds" post into its live and dead parts.
void ParseHandPokerStars(const HandLines& hand, const std::wstring& nickname, double& money,
                         double bbHundredths = 0.0);

} // namespace tw
