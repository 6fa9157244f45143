// make-ipoker-history: writes a generated iPoker history file for replay
// measurements.
//
//   make-ipoker-history FILE [GAMES] [--old] [--euro] [--seed N]
//
// Prints the number of games and the hero's ("HERO") true result.
#include "bench/IPokerSample.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: make-ipoker-history FILE [GAMES] [--old] [--euro] [--seed N]\n");
        return 2;
    }
    tw::IPokerSampleOptions options;
    options.nGames = 50000;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--old")
            options.bClientVersion = false;
        else if (a == "--euro")
            options.bEuroAmounts = true;
        else if (a == "--seed" && i + 1 < argc)
            options.nSeed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
        else
            options.nGames = std::atoi(a.c_str());
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "make-ipoker-history: cannot write %s\n", argv[1]);
        return 1;
    }
    tw::IPokerSampleTotals totals = tw::WriteIPokerSample(out, options);
    out.close();
    if (!out) {
        std::fprintf(stderr, "make-ipoker-history: write error on %s\n", argv[1]);
        return 1;
    }
    std::printf("{\"games\":%d,\"hero_net\":%.2f,\"bytes\":%lld}\n", totals.nGames,
                static_cast<double>(totals.nHeroNetCents) / 100.0,
                static_cast<long long>(totals.nBytes));
    return 0;
}
