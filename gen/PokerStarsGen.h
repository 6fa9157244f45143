// Generates PokerStars-format cash-game text with known hero results, for
// benchmarks, throughput runs and the tests that need many hands.
#pragma once

#include <cstdint>
#include <string>

namespace twgen {

struct GeneratedText {
    std::string text;        // UTF-8, LF line ends
    long long heroCents = 0; // the hero's net over all hands, in cents
    int hands = 0;
};

// `hands` hands at $0.05/$0.10 USD with hero "HERO" and five opponents, some
// of them with names that start with the hero's name. Deterministic for a seed;
// hand numbers differ between seeds.
GeneratedText GeneratePokerStars(int hands, std::uint32_t seed = 1);

} // namespace twgen
