// tarnwick-gen: writes a generated hand-history file for throughput runs and
// tests, and prints the hero's true result so that a replay can be checked
// against it.
//
//   tarnwick-gen pokerstars|888|partypoker|tigergaming|ipoker HANDS FILE
//
// The hero is "HERO" in every format.
#include "bench/Hand888Generator.h"
#include "bench/HandGenerator.h"
#include "bench/IPokerSample.h"
#include "bench/gen/PokerStarsGen.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const char kUsage[] = "usage: tarnwick-gen pokerstars|888|partypoker|tigergaming|ipoker HANDS FILE\n";

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string format = argv[1];
    const int hands = std::atoi(argv[2]);
    if (hands <= 0) {
        std::fprintf(stderr, "tarnwick-gen: HANDS must be a positive number\n%s", kUsage);
        return 2;
    }
    std::string text;
    double heroTotal = 0;
    int written = 0;
    if (format == "pokerstars") {
        twgen::GeneratedText g = twgen::GeneratePokerStars(hands);
        text = std::move(g.text);
        heroTotal = g.heroCents / 100.0;
        written = g.hands;
    } else if (format == "888") {
        tw::bench::Generated888 g = tw::bench::Generate888(hands, "HERO");
        text = std::move(g.strText);
        heroTotal = g.dHeroResult;
        written = g.nHands;
    } else if (format == "partypoker" || format == "tigergaming") {
        tw::bench::GeneratedHands g = tw::bench::GenerateHands(
            format == "partypoker" ? tw::bench::GenFormat::PartyPoker
                                   : tw::bench::GenFormat::TigerGaming,
            hands, 1, "HERO");
        text = std::move(g.strText);
        heroTotal = g.nHeroNet / 100.0;
        written = g.nHands;
    } else if (format == "ipoker") {
        std::ostringstream out;
        tw::IPokerSampleOptions o;
        o.nGames = hands;
        tw::IPokerSampleTotals t = tw::WriteIPokerSample(out, o);
        text = out.str();
        heroTotal = t.nHeroNetCents / 100.0;
        written = t.nGames;
    } else {
        std::fprintf(stderr, "tarnwick-gen: unknown format '%s'\n%s", argv[1], kUsage);
        return 2;
    }
    std::ofstream f(argv[3], std::ios::binary | std::ios::trunc);
    if (!f.write(text.data(), static_cast<std::streamsize>(text.size())) || !f.flush()) {
        std::perror(argv[3]);
        return 1;
    }
    std::printf("{\"hands\":%d,\"hero_total\":%.2f,\"bytes\":%zu}\n", written, heroTotal,
                text.size());
    return 0;
}
