// Generated hand histories for benchmarks and throughput runs: random but
// well-formed cash hands whose true result for the hero is known.
#pragma once

#include <string>
#include <vector>

namespace tw::bench {

enum class GenFormat { PartyPoker, TigerGaming };

struct GeneratedHands {
    std::string strText;    // UTF-8, one line per line feed
    long long nHeroNet = 0; // the hero's true result over all hands, in cents
    int nHands = 0;
};

// `hands` hands of six players at $0.05/$0.10, one of them `hero` and one a
// player whose name starts with the hero's. The same seed gives the same text.
GeneratedHands GenerateHands(GenFormat format, int hands, unsigned seed, const std::string& hero);

} // namespace tw::bench
