#include "gen/Hand888Generator.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace tw::bench {

namespace {

const char kNbsp[] = "\xC2\xA0";

enum class Style { US, Continental, Dutch };

// `cents` written as the room writes money in one of its locales.
std::string Money(std::int64_t cents, Style style) {
    std::int64_t whole = cents / 100, frac = cents % 100;
    const char* group = style == Style::US ? "," : style == Style::Dutch ? "." : kNbsp;
    std::string digits = std::to_string(whole), grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += group;
        grouped += digits[i];
    }
    if (frac != 0) {
        grouped += style == Style::US ? "." : ",";
        grouped += static_cast<char>('0' + frac / 10);
        grouped += static_cast<char>('0' + frac % 10);
    }
    switch (style) {
    case Style::US:
        return "$" + grouped;
    case Style::Dutch:
        return "$ " + grouped;
    default:
        return grouped + kNbsp + "$";
    }
}

struct Player {
    std::string strName;
    std::int64_t nStack = 0;  // cents behind
    std::int64_t nIn = 0;     // cents put in this hand
    std::int64_t nStreet = 0; // cents put in this betting round
    bool bFolded = false;
    bool bAllIn = false;
};

class Writer {
public:
    Writer(const std::string& hero, unsigned seed) : rng(seed) {
        const char* names[] = {"Villain0", "Villain1", "Villain2", "Villain3", "Villain4"};
        for (const char* n : names)
            vecPlayers.push_back({n});
        vecPlayers.insert(vecPlayers.begin() + 2, Player{hero});
        nHero = 2;
    }

    Generated888 Write(int nHands) {
        Generated888 g;
        g.strText.reserve(static_cast<std::size_t>(nHands) * 900);
        for (int h = 0; h < nHands; ++h)
            dHeroCents += Hand(g.strText, 600000000 + h, h);
        g.nHands = nHands;
        g.dHeroResult = static_cast<double>(dHeroCents) / 100.0;
        return g;
    }

private:
    int Rand(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

    void Line(std::string& out, const std::string& s) { out += s + "\n"; }

    // Puts `amount` more of player p's chips in, or what is left of them.
    std::int64_t Put(Player& p, std::int64_t amount) {
        amount = std::min(amount, p.nStack);
        p.nStack -= amount;
        p.nIn += amount;
        p.nStreet += amount;
        if (p.nStack == 0)
            p.bAllIn = true;
        return amount;
    }

    int Active() const {
        int n = 0;
        for (const Player& p : vecPlayers)
            n += p.bFolded ? 0 : 1;
        return n;
    }

    // One betting round, from seat `first`, until everyone has acted on the
    // last raise or one player is left.
    void Round(std::string& out, int first, std::int64_t bet, std::int64_t bb, bool preflop) {
        const int n = static_cast<int>(vecPlayers.size());
        bool raised = false;
        int toAct = n, i = first;
        while (toAct-- > 0 && Active() > 1) {
            Player& p = vecPlayers[static_cast<std::size_t>(i)];
            i = (i + 1) % n;
            if (p.bFolded || p.bAllIn)
                continue;
            const int r = Rand(100);
            if (p.nStreet == bet) {
                if (!raised && r < 30) {
                    std::int64_t size = preflop ? bet * 3 : bb * (2 + Rand(20));
                    std::int64_t added = Put(p, size - p.nStreet);
                    bet = std::max(bet, p.nStreet);
                    Line(out, p.strName + (preflop ? " raises [" : " bets [") +
                                  Money(added, style) + "]");
                    raised = true;
                    toAct = n - 1;
                } else {
                    Line(out, p.strName + " checks");
                }
            } else if (r < 45) {
                p.bFolded = true;
                Line(out, p.strName + " folds");
            } else if (!raised && r < 60) {
                std::int64_t added = Put(p, bet * 3 - p.nStreet);
                bet = std::max(bet, p.nStreet);
                Line(out, p.strName + " raises [" + Money(added, style) + "]");
                raised = true;
                toAct = n - 1;
            } else {
                std::int64_t added = Put(p, bet - p.nStreet);
                Line(out, p.strName + " calls [" + Money(added, style) + "]");
            }
        }
        for (Player& p : vecPlayers)
            p.nStreet = 0;
    }

    // Writes one hand; returns the hero's result in cents.
    std::int64_t Hand(std::string& out, long long game, int index) {
        static const std::int64_t kStakes[][2] = {
            {1, 2}, {5, 10}, {25, 50}, {100, 200}, {2500, 5000}};
        const auto& st = kStakes[Rand(5)];
        const std::int64_t sb = st[0], bb = st[1];
        style = static_cast<Style>(Rand(3));
        const int n = static_cast<int>(vecPlayers.size());
        const int button = index % n;
        for (Player& p : vecPlayers) {
            p.nStack = bb * (40 + Rand(300)) + Rand(100);
            p.nIn = p.nStreet = 0;
            p.bFolded = p.bAllIn = false;
        }

        const std::string id = std::to_string(game);
        Line(out, "#Game No : " + id);
        Line(out, (index % 50 == 7 ? "***** Cassava Hand History for Game "
                                   : "***** 888poker Hand History for Game ") +
                      id + " *****");
        Line(out, Money(sb, style) + "/" + Money(bb, style) +
                      " Blinds No Limit Holdem - *** 21 04 2016 16:34:37");
        Line(out, "Table Kumanovo 6 Max (Real Money)");
        Line(out, "Seat " + std::to_string(button + 1) + " is the button");
        Line(out, "Total number of players : " + std::to_string(n));
        for (int s = 0; s < n; ++s) {
            const Player& p = vecPlayers[static_cast<std::size_t>(s)];
            Line(out, "Seat " + std::to_string(s + 1) + ": " + p.strName + " ( " +
                          Money(p.nStack, style) + " )");
        }
        Player& small = vecPlayers[static_cast<std::size_t>((button + 1) % n)];
        Player& big = vecPlayers[static_cast<std::size_t>((button + 2) % n)];
        Line(out, small.strName + " posts small blind [" + Money(Put(small, sb), style) + "]");
        Line(out, big.strName + " posts big blind [" + Money(Put(big, bb), style) + "]");
        Line(out, "** Dealing down cards **");
        Line(out, "Dealt to " + vecPlayers[nHero].strName + " [ Ad, 7c ]");

        const int firstPre = (button + 3) % n, firstPost = (button + 1) % n;
        Round(out, firstPre, bb, bb, true);
        const char* streets[] = {"** Dealing flop ** [ 3s, 9d, Ts ]", "** Dealing turn ** [ 2d ]",
                                 "** Dealing river ** [ 3c ]"};
        bool sawFlop = false;
        for (const char* street : streets) {
            if (Active() < 2)
                break;
            Line(out, street);
            sawFlop = true;
            Round(out, firstPost, 0, bb, false);
        }
        Line(out, "** Summary **");

        // The stake nobody matched goes back: inside the pot before the flop,
        // left unwritten after it, and as its own line against an all-in.
        std::vector<std::int64_t> paid(static_cast<std::size_t>(n), 0);
        std::int64_t maxIn = 0, second = 0;
        int top = 0;
        for (int s = 0; s < n; ++s) {
            std::int64_t in = vecPlayers[static_cast<std::size_t>(s)].nIn;
            if (in > maxIn) {
                second = maxIn;
                maxIn = in;
                top = s;
            } else if (in > second) {
                second = in;
            }
        }
        const std::int64_t excess = maxIn - second;
        std::int64_t pot = 0;
        for (const Player& p : vecPlayers)
            pot += p.nIn;
        pot -= excess;
        const std::int64_t rake = sawFlop ? std::min<std::int64_t>(pot / 20, 300) : 0;

        std::vector<int> live;
        for (int s = 0; s < n; ++s)
            if (!vecPlayers[static_cast<std::size_t>(s)].bFolded)
                live.push_back(s);
        std::vector<std::pair<int, std::int64_t>> collects;
        if (live.size() == 1) {
            const int w = live[0];
            if (!sawFlop) {
                collects.push_back({w, pot + excess});
                paid[static_cast<std::size_t>(w)] += pot + excess;
            } else {
                collects.push_back({w, pot - rake});
                paid[static_cast<std::size_t>(w)] += pot - rake + excess;
            }
        } else {
            for (int s : live)
                Line(out, vecPlayers[static_cast<std::size_t>(s)].strName + " shows [ Ad, 7c ]");
            const std::int64_t net = pot - rake;
            if (Rand(10) == 0) {
                const std::int64_t half = net / 2;
                collects.push_back({live[0], half});
                collects.push_back({live[1], net - half});
                paid[static_cast<std::size_t>(live[0])] += half;
                paid[static_cast<std::size_t>(live[1])] += net - half;
            } else {
                const int w = live[static_cast<std::size_t>(Rand(static_cast<int>(live.size())))];
                collects.push_back({w, net});
                paid[static_cast<std::size_t>(w)] += net;
            }
            if (excess > 0) {
                collects.push_back({top, excess});
                paid[static_cast<std::size_t>(top)] += excess;
            }
        }
        for (const auto& [who, amount] : collects)
            Line(out, vecPlayers[static_cast<std::size_t>(who)].strName + " collected [ " +
                          Money(amount, style) + " ]");
        out += "\n\n";
        const Player& hero = vecPlayers[nHero];
        return paid[nHero] - hero.nIn;
    }

    std::mt19937 rng;
    std::vector<Player> vecPlayers;
    std::size_t nHero = 0;
    Style style = Style::US;
    std::int64_t dHeroCents = 0;
};

} // namespace

Generated888 Generate888(int nHands, const std::string& hero, unsigned seed) {
    return Writer(hero, seed).Write(nHands);
}

} // namespace tw::bench
