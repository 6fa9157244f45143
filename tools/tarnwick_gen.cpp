// tarnwick-gen: writes a generated hand-history file for throughput runs and
// tests, and prints the hero's true result so that a replay can be checked
// against it.
//
//   tarnwick-gen pokerstars|888|partypoker|tigergaming|ipoker HANDS FILE
//
// The hero is "HERO" in every format.
#include "gen/AnyFormatGen.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const char kUsage[] =
    "usage: tarnwick-gen pokerstars|888|partypoker|tigergaming|ipoker HANDS FILE\n";

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
    twgen::GeneratedText g;
    if (!twgen::Generate(format, hands, g)) {
        std::fprintf(stderr, "tarnwick-gen: unknown format '%s'\n%s", argv[1], kUsage);
        return 2;
    }
    const std::string& text = g.text;
    const double heroTotal = g.heroCents / 100.0;
    const int written = g.hands;
    std::ofstream f(argv[3], std::ios::binary | std::ios::trunc);
    if (!f.write(text.data(), static_cast<std::streamsize>(text.size())) || !f.flush()) {
        std::perror(argv[3]);
        return 1;
    }
    std::printf("{\"hands\":%d,\"hero_total\":%.2f,\"bytes\":%zu}\n", written, heroTotal,
                text.size());
    return 0;
}
