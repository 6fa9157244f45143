#include "gen/PokerStarsGen.h"

#include <cstdio>
#include <string>
#include <vector>

namespace twgen {

namespace {

class Rng {
public:
    explicit Rng(std::uint32_t seed) : s_(seed ? seed : 1) {}
    std::uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 17;
        s_ ^= s_ << 5;
        return s_;
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t s_;
};

std::string Money(long long cents) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "$%lld.%02lld", cents / 100, cents % 100);
    return buf;
}

} // namespace

GeneratedText GeneratePokerStars(int hands, std::uint32_t seed) {
    static const char* kNames[6] = {"HERO", "HERO77", "Villain", "fish one", "Reg:2", "Nit"};
    Rng rng(seed);
    GeneratedText out;
    out.text.reserve(static_cast<std::size_t>(hands) * 1400);
    std::string& t = out.text;
    // Hand numbers differ between seeds (a million apart), so that files
    // generated with different seeds hold different hands.
    long long handNo = 200000000000LL + (static_cast<long long>(seed) - 1) * 1000000LL;
    for (int h = 0; h < hands; ++h) {
        ++handNo;
        t += "PokerStars Hand #" + std::to_string(handNo) +
             ":  Hold'em No Limit ($0.05/$0.10 USD) - 2026/11/30 21:10:05 CET [2026/11/30 15:10:05 "
             "ET]\n";
        t += "Table 'Generated I' 6-max Seat #1 is the button\n";
        for (int s = 0; s < 6; ++s)
            t += "Seat " + std::to_string(s + 1) + ": " + kNames[s] + " (" + Money(1000 + 37 * s) +
                 " in chips)\n";
        int kind = rng.Below(5);
        long long hero = 0;
        // Blinds: seat 2 (HERO77) small, seat 3 (Villain) big, unless the hero is in them.
        bool heroSmall = kind == 1, heroBig = kind == 2;
        const char* sb = heroSmall ? "HERO" : "HERO77";
        const char* bb = heroBig ? "HERO" : "Villain";
        t += std::string(sb) + ": posts small blind $0.05\n";
        t += std::string(bb) + ": posts big blind $0.10\n";
        t += "*** HOLE CARDS ***\nDealt to HERO [Ah Kd]\n";
        switch (kind) {
        case 0: { // hero folds preflop without a blind
            t += "fish one: calls $0.10\nReg:2: folds\nNit: folds\nHERO: folds\nHERO77: calls "
                 "$0.05\n"
                 "Villain: checks\n*** FLOP *** [2c 7d 9h]\nHERO77: checks\nVillain: checks\n"
                 "fish one: bets $0.20\nHERO77: folds\nVillain: folds\n"
                 "Uncalled bet ($0.20) returned to fish one\nfish one collected $0.29 from pot\n"
                 "*** SUMMARY ***\nTotal pot $0.30 | Rake $0.01\n";
            break;
        }
        case 1: { // hero small blind, raises, wins uncontested on the flop
            long long raiseTo = 30 + 10 * rng.Below(5);
            t += "fish one: folds\nReg:2: folds\nNit: folds\nHERO: raises " + Money(raiseTo - 10) +
                 " to " + Money(raiseTo) + "\nVillain: calls " + Money(raiseTo - 10) + "\n";
            t += "*** FLOP *** [2c 7d 9h]\nHERO: bets $0.40\nVillain: folds\n"
                 "Uncalled bet ($0.40) returned to HERO\n";
            long long pot = 2 * raiseTo;
            long long rake = pot / 20;
            t += "HERO collected " + Money(pot - rake) + " from pot\n*** SUMMARY ***\nTotal pot " +
                 Money(pot) + " | Rake " + Money(rake) + "\n";
            hero = pot - rake - raiseTo;
            break;
        }
        case 2: { // hero big blind, calls a raise, loses at showdown
            t += "fish one: raises $0.20 to $0.30\nReg:2: folds\nNit: folds\nHERO77: folds\n"
                 "HERO: calls $0.20\n*** FLOP *** [2c 7d 9h]\nHERO: checks\nfish one: bets $0.45\n"
                 "HERO: calls $0.45\n*** TURN *** [2c 7d 9h] [Js]\nHERO: checks\nfish one: checks\n"
                 "*** RIVER *** [2c 7d 9h Js] [3d]\nHERO: checks\nfish one: checks\n*** SHOW DOWN "
                 "***\n"
                 "HERO: shows [Ah Kd] (high card Ace)\nfish one: shows [Jc Jd] (three of a kind, "
                 "Jacks)\n"
                 "fish one collected $1.52 from pot\n*** SUMMARY ***\nTotal pot $1.55 | Rake "
                 "$0.03\n";
            hero = -75;
            break;
        }
        case 3: { // hero calls all-in and wins a side pot
            t += "HERO: raises $0.30 to $0.40\nHERO77: folds\nVillain: calls $0.30\n"
                 "*** FLOP *** [2c 7d 9h]\nVillain: bets $2.50\nHERO: raises $5 to $7.50 and is "
                 "all-in\n"
                 "Villain: calls $5 and is all-in\n*** TURN *** [2c 7d 9h] [Js]\n"
                 "*** RIVER *** [2c 7d 9h Js] [3d]\n*** SHOW DOWN ***\n"
                 "HERO collected $15.43 from pot\n*** SUMMARY ***\nTotal pot $15.85 | Rake $0.42\n";
            hero = 1543 - 790;
            break;
        }
        default: { // the hero's prefix-named opponent wins; the hero never acted
            t += "fish one: folds\nReg:2: folds\nNit: folds\nHERO: folds\nHERO77: raises $0.20 to "
                 "$0.25\n"
                 "Villain: folds\nUncalled bet ($0.15) returned to HERO77\n"
                 "HERO77 collected $0.20 from pot\n*** SUMMARY ***\nTotal pot $0.20 | Rake $0\n";
            break;
        }
        }
        t += "Board [2c 7d 9h]\n\n\n";
        out.heroCents += hero;
        ++out.hands;
    }
    return out;
}

} // namespace twgen
