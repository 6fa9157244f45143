// Generates iPoker history documents of any length, with the hero's true
// result known, for benchmarks and replay tests.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace tw {

struct IPokerSampleOptions {
    int nGames = 1000;
    std::uint32_t nSeed = 1;
    std::string strHero = "HERO";
    // Newer exports carry <client_version> and leave the returned part of a
    // bet out of "win"; older ones fold it in.
    bool bClientVersion = true;
    // Write amounts the European way ("1 234,56 €") instead of "$1,234.56".
    bool bEuroAmounts = false;
};

struct IPokerSampleTotals {
    int nGames = 0;
    std::int64_t nHeroNetCents = 0; // the hero's true result over all games
    std::int64_t nBytes = 0;
};

// Writes one real-money document (<session> with <general> and the games,
// closed by "</session>") to `out`, UTF-8.
IPokerSampleTotals WriteIPokerSample(std::ostream& out, const IPokerSampleOptions& options);

} // namespace tw
