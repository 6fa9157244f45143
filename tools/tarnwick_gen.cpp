// tarnwick-gen: writes a generated hand-history file for throughput runs.
//
//   tarnwick-gen pokerstars HANDS FILE    (hero "HERO")
//
// Prints the hero's true total so a replay can be checked against it.
#include "bench/gen/PokerStarsGen.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 4 || std::string(argv[1]) != "pokerstars") {
        std::fprintf(stderr, "usage: tarnwick-gen pokerstars HANDS FILE\n");
        return 2;
    }
    int hands = std::atoi(argv[2]);
    if (hands <= 0) {
        std::fprintf(stderr, "tarnwick-gen: HANDS must be a positive number\n");
        return 2;
    }
    twgen::GeneratedText g = twgen::GeneratePokerStars(hands);
    std::FILE* f = std::fopen(argv[3], "wb");
    if (!f || std::fwrite(g.text.data(), 1, g.text.size(), f) != g.text.size() ||
        std::fclose(f) != 0) {
        std::perror(argv[3]);
        return 1;
    }
    std::printf("{\"hands\":%d,\"hero_total\":%.2f,\"bytes\":%zu}\n", g.hands, g.heroCents / 100.0,
                g.text.size());
    return 0;
}
