// tarnwick-gen888: writes made-up 888poker hands for throughput measurements.
//
//   tarnwick-gen888 HANDS FILE [HERO]
//
// Prints the hero's true result over all hands, to compare with a replay.
#include "bench/Hand888Generator.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tarnwick-gen888 HANDS FILE [HERO]\n");
        return 2;
    }
    const int hands = std::atoi(argv[1]);
    if (hands <= 0) {
        std::fprintf(stderr, "tarnwick-gen888: HANDS must be a positive number\n");
        return 2;
    }
    const std::string hero = argc > 3 ? argv[3] : "HERO";
    tw::bench::Generated888 g = tw::bench::Generate888(hands, hero);
    std::FILE* f = std::fopen(argv[2], "wb");
    if (!f || std::fwrite(g.strText.data(), 1, g.strText.size(), f) != g.strText.size() ||
        std::fclose(f) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    std::printf("{\"hands\":%d,\"hero\":\"%s\",\"result\":%.2f}\n", g.nHands, hero.c_str(),
                g.dHeroResult);
    return 0;
}
