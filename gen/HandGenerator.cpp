#include "gen/HandGenerator.h"

#include "support/TextUtil.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tw::bench {

namespace {

constexpr int kPlayers = 6;
constexpr int kSmallBlind = 5, kBigBlind = 10; // cents

// A small deterministic generator (64-bit LCG), the same on every platform.
class CRandom {
public:
    explicit CRandom(unsigned seed)
        : nState(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
    int Below(int n) {
        nState = nState * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((nState >> 33) % static_cast<unsigned long long>(n));
    }

private:
    unsigned long long nState;
};

// "$1,234.50", or "$5" for whole dollars, as PartyPoker writes them.
std::string PartyDollars(long long cents) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%lld", cents / 100);
    std::string whole = digits, grouped;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped += ',';
        grouped += whole[i];
    }
    if (cents % 100 == 0)
        return "$" + grouped;
    char frac[8];
    std::snprintf(frac, sizeof frac, ".%02lld", cents % 100);
    return "$" + grouped + frac;
}

// "1.50" as Tiger Gaming writes amounts.
std::string Plain(long long cents) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld.%02lld", cents / 100, cents % 100);
    return buf;
}

const char* const kCards[] = {"Ah", "Kd", "Qs", "Jc", "Th", "9d",
                              "8s", "7c", "6h", "5d", "4s", "3c"};

struct Table {
    std::array<std::string, kPlayers> names;
    std::array<long long, kPlayers> in{};     // cents put in this hand
    std::array<long long, kPlayers> street{}; // cents put in this round
    std::array<bool, kPlayers> folded{};
    int active = kPlayers;
};

// One hand, written into `out`; returns the hero's true result in cents.
long long OneHand(GenFormat format, long long id, CRandom& rnd, const std::string& hero,
                  std::string& out) {
    const bool party = format == GenFormat::PartyPoker;
    Table t;
    const int heroSeat = rnd.Below(kPlayers);
    for (int i = 0; i < kPlayers; ++i)
        t.names[i] = "Player" + std::to_string(i + 1);
    t.names[heroSeat] = hero;
    t.names[(heroSeat + 1) % kPlayers] = hero + "2";
    const int button = rnd.Below(kPlayers);
    const int sb = (button + 1) % kPlayers, bb = (button + 2) % kPlayers;
    char line[256];
    auto add = [&](const std::string& s) {
        out += s;
        out += '\n';
    };

    if (party) {
        std::snprintf(line, sizeof line, "Game #%lld starts.\n\n#Game No : %lld", id, id);
        add(line);
        std::snprintf(line, sizeof line, "***** Hand History for Game %lld *****", id);
        add(line);
        add("$0.05/$0.10 USD NL Texas Hold'em - Monday, August 30, 16:08:09 EDT 2010");
        add("Table Speed #1769729 (Real Money)");
        add("Seat " + std::to_string(button + 1) + " is the button");
        add("Total number of players : 6/9");
        for (int i = 0; i < kPlayers; ++i)
            add("Seat " + std::to_string(i + 1) + ": " + t.names[i] + " ( $20 USD )");
        add(t.names[sb] + " posts small blind [$0.05 USD].");
        add(t.names[bb] + " posts big blind [$0.10 USD].");
        add("** Dealing down cards **");
        add("Dealt to " + hero + " [  Js Th ]");
    } else {
        std::snprintf(line, sizeof line,
                      "Tiger Gaming Game #%lld: Hold'em No Limit ($0.05/0.10) - 2011/03/04 "
                      "20:15:31 ET",
                      id);
        add(line);
        add("Table 'Alpha' 6-Max, Seat #" + std::to_string(button + 1) + " is the button");
        for (int i = 0; i < kPlayers; ++i)
            add("Seat " + std::to_string(i + 1) + ": " + t.names[i] + " (20.00 in chips)");
        add(t.names[sb] + ": posts small blind 0.05");
        add(t.names[bb] + ": posts big blind 0.10");
        add("*** HOLE CARDS ***");
        add("Dealt to " + hero + " [Js Th]");
    }
    t.in[sb] = t.street[sb] = kSmallBlind;
    t.in[bb] = t.street[bb] = kBigBlind;

    static const char* const kPartyStreets[] = {"** Dealing Flop ** [ 2c, 3d, 4h ]",
                                                "** Dealing Turn ** [ 5s ]",
                                                "** Dealing River ** [ Kc ]"};
    static const char* const kTigerStreets[] = {"*** FLOP *** [2c 3d 4h]",
                                                "*** TURN *** [2c 3d 4h] [5s]",
                                                "*** RIVER *** [2c 3d 4h 5s] [Kc]"};
    for (int round = 0; round < 4 && t.active > 1; ++round) {
        if (round > 0) {
            add(party ? kPartyStreets[round - 1] : kTigerStreets[round - 1]);
            t.street.fill(0);
        }
        long long top = round == 0 ? kBigBlind : 0;
        int raises = 0;
        int first = round == 0 ? (bb + 1) % kPlayers : sb;
        // Everyone acts once; a raise gives the others another turn.
        int toAct = kPlayers, p = first;
        while (toAct > 0 && t.active > 1) {
            if (!t.folded[p]) {
                const std::string& n = t.names[p];
                const long long owe = top - t.street[p];
                const int roll = rnd.Below(10);
                if (roll < 3 && owe > 0) {
                    t.folded[p] = true;
                    --t.active;
                    add(n + (party ? " folds" : ": folds"));
                } else if (roll < 8 || raises >= 2) {
                    if (owe == 0) {
                        add(n + (party ? " checks" : ": checks"));
                    } else {
                        t.street[p] += owe;
                        t.in[p] += owe;
                        add(party ? n + " calls [" + PartyDollars(owe) + " USD]"
                                  : n + ": calls " + Plain(owe));
                    }
                } else {
                    const long long to = top + kBigBlind * (1 + rnd.Below(4));
                    const long long adds = to - t.street[p];
                    if (top == 0)
                        add(party ? n + " bets [" + PartyDollars(adds) + " USD]"
                                  : n + ": bets " + Plain(adds));
                    else
                        add(party ? n + " raises [" + PartyDollars(adds) + " USD]"
                                  : n + ": raises " + Plain(to - top) + " to " + Plain(to));
                    t.street[p] = to;
                    t.in[p] += adds;
                    top = to;
                    ++raises;
                    toAct = kPlayers;
                }
            }
            --toAct;
            p = (p + 1) % kPlayers;
        }
    }

    // The biggest stake beyond everyone else's was never called.
    std::array<int, kPlayers> order{};
    for (int i = 0; i < kPlayers; ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](int a, int b) { return t.in[a] > t.in[b]; });
    const int topPlayer = order[0];
    const long long uncalled = t.in[order[0]] - t.in[order[1]];
    std::vector<int> live;
    for (int i = 0; i < kPlayers; ++i) {
        if (!t.folded[i])
            live.push_back(i);
    }
    const int winner = live.size() == 1 ? live[0] : live[rnd.Below(static_cast<int>(live.size()))];
    long long pot = -uncalled;
    for (long long v : t.in)
        pot += v;
    const long long rake = std::min(pot * 5 / 100, 300LL);
    const long long collected = pot - rake;

    if (party) {
        // PartyPoker pays the uncalled bet back inside the win.
        const long long wins = collected + (topPlayer == winner ? uncalled : 0);
        add(t.names[winner] + " wins " + PartyDollars(wins) +
            " USD from the main pot with a pair of Kings.");
    } else {
        if (uncalled > 0)
            add("Uncalled bet (" + Plain(uncalled) + ") returned to " + t.names[topPlayer]);
        if (live.size() > 1) {
            add("*** SHOW DOWN ***");
            add(t.names[winner] + ": shows [" + kCards[id % 12] + " " + kCards[(id + 5) % 12] +
                "] (a pair of Kings)");
        }
        add(t.names[winner] + " collected " + Plain(collected));
        add("*** SUMMARY ***");
        add("Total pot " + Plain(pot) + " | Rake " + Plain(rake));
        if (live.size() > 1)
            add("Seat " + std::to_string(winner + 1) + ": " + t.names[winner] +
                " showed [Kh Kd] and won (" + Plain(collected) + ") with a pair of Kings");
        else
            add("Seat " + std::to_string(winner + 1) + ": " + t.names[winner] + " collected (" +
                Plain(collected) + ")");
    }
    add("");

    long long net = -t.in[heroSeat];
    if (winner == heroSeat)
        net += collected;
    if (topPlayer == heroSeat)
        net += uncalled;
    return net;
}

} // namespace

GeneratedHands GenerateHands(GenFormat format, int hands, unsigned seed, const std::string& hero) {
    GeneratedHands g;
    CRandom rnd(seed);
    g.strText.reserve(static_cast<std::size_t>(hands) * 1100);
    for (int i = 0; i < hands; ++i)
        g.nHeroNet += OneHand(format, 10000000000LL + i, rnd, hero, g.strText);
    g.nHands = hands;
    return g;
}

} // namespace tw::bench
