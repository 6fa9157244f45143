// Writes made-up 888poker cash-game hand histories for measurements: six
// players, real betting rounds, folds, uncalled bets, showdowns and split
// pots, with amounts in the US, continental and Dutch ways of writing money.
#pragma once

#include <string>

namespace tw::bench {

struct Generated888 {
    std::string strText;      // UTF-8, "\n" line ends, a blank line between hands
    int nHands = 0;           // hands written
    double dHeroResult = 0.0; // the hero's true result over all hands, in currency units
};

// `nHands` hands at one table; the hero is called `hero`. The same seed gives
// the same text.
Generated888 Generate888(int nHands, const std::string& hero, unsigned seed = 888);

} // namespace tw::bench
