// tarnwick-gen-hands: writes generated hand histories for throughput runs.
//
//   tarnwick-gen-hands partypoker|tigergaming COUNT [SEED] [HERO] > FILE
//
// The hero's true total (in table-currency units) goes to the error stream.
#include "bench/HandGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    using namespace tw::bench;
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: tarnwick-gen-hands partypoker|tigergaming COUNT [SEED] [HERO]\n");
        return 2;
    }
    const std::string format = argv[1];
    if (format != "partypoker" && format != "tigergaming") {
        std::fprintf(stderr, "tarnwick-gen-hands: unknown format '%s'\n", argv[1]);
        return 2;
    }
    const int count = std::atoi(argv[2]);
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)) : 1;
    const std::string hero = argc > 4 ? argv[4] : "HERO";
    GeneratedHands g = GenerateHands(
        format == "partypoker" ? GenFormat::PartyPoker : GenFormat::TigerGaming, count, seed, hero);
    std::fwrite(g.strText.data(), 1, g.strText.size(), stdout);
    std::fprintf(stderr, "{\"hands\":%d,\"hero_net\":%.2f}\n", g.nHands, g.nHeroNet / 100.0);
    return 0;
}
