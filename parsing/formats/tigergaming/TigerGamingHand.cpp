// Tiger Gaming text hands: the header and the hero's result of one hand.
//
// The format follows the PokerStars layout without currency signs:
//   Tiger Gaming Game #123: Hold'em No Limit ($0.05/0.10) - 2011/03/04 20:15:31 ET
//   Table 'Alpha' 6-Max, Seat #2 is the button
//   Seat 1: Hero (10.00 in chips)
//   Hero: posts small blind 0.05
//   Hero: raises 0.20 to 0.30
//   Uncalled bet (0.20) returned to Hero
//   Hero collected 0.25
//   Seat 1: Hero showed [Ah Kd] and won (0.25)
#include "parsing/Regex.h"
#include "parsing/formats/partypoker/PartyPoker.h"
#include "parsing/formats/tigergaming/TigerGaming.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <array>
#include <exception>
#include <vector>

namespace tw {

namespace {

constexpr std::size_t kMaxLineLength = 4096;
constexpr int kStreets = 4; // pre-flop, flop, turn, river

const wchar_t kTigerHeader[] = L"Tiger Gaming Game #";

#define TG_AMT L"(\\d[\\d.,]*)"

struct TigerPatterns {
    WRegex header = MakeRegex(L"Tiger Gaming Game #\\d+: (.*) Limit "
                              L"\\("
                              L"\\"
                              L"$" TG_AMT L"/\\$"
                              L"?" TG_AMT L"\\) - (\\d{4})/(\\d{2})/(\\d{2}) "
                              L"(\\d+):(\\d+)(?::(\\d+))?(?: (.*))?");
    WRegex table = MakeRegex(L"Table '.*' (\\d+)-Max, Seat #\\d+ is the button");
    WRegex seat = MakeRegex(L"Seat \\d: (.*) \\(" TG_AMT L" in chips\\)(.*)");
    WRegex blind = MakeRegex(L"(.*): posts (small|big|small & big) blinds? " TG_AMT);
    WRegex ante = MakeRegex(L"(.*): posts the ante " TG_AMT);
    WRegex postNow = MakeRegex(L"(.*): post now " TG_AMT);
    WRegex callsBets = MakeRegex(L"(.*): (calls|bets) " TG_AMT);
    WRegex raises = MakeRegex(L"(.*): raises " TG_AMT L" to " TG_AMT);
    WRegex collected = MakeRegex(L"(.*) collected " TG_AMT L"(?: from .*)?");
    WRegex uncalled = MakeRegex(L"Uncalled bet \\(" TG_AMT L"\\) returned to (.*)");
    WRegex showedWon = MakeRegex(L"Seat \\d+: (.*) showed .* and won \\(" TG_AMT L"\\)(?: .*)?");
    WRegex summaryCollected = MakeRegex(L"Seat \\d+: (.*) collected \\(" TG_AMT L"\\)(?: .*)?");
};

const TigerPatterns& Patterns() {
    static const TigerPatterns p;
    return p;
}

// A whole-line match that treats a line too costly to match as no match
// (the regex engine throws rather than run away on pathological text).
bool Matches(std::wstring_view s, WMatch& m, const WRegex& re) {
    try {
        return MatchWhole(s, m, re);
    } catch (const std::exception&) {
        return false;
    }
}

// An amount of a line in hundredths; 0 when it cannot be read.
double LineHundredths(std::wstring_view amount) {
    double h = 0;
    return ParsePartyAmount(amount, h) ? h : 0.0;
}

// A line that ends with the player going all in counts like the same line
// without that ending, whoever the player is.
std::wstring_view WithoutAllIn(std::wstring_view l) {
    if (EndsWith(l, L" and is all-in") || EndsWith(l, L" and is all in"))
        l.remove_suffix(14);
    return l;
}

// A summary line's player with its position tags removed:
// "Hero (button) (small blind)" -> "Hero".
std::wstring_view WithoutPositionTags(std::wstring_view name) {
    static const wchar_t* const kTags[] = {L" (button)", L" (small blind)", L" (big blind)"};
    for (bool again = true; again;) {
        again = false;
        for (const wchar_t* tag : kTags) {
            if (EndsWith(name, tag)) {
                name.remove_suffix(std::char_traits<wchar_t>::length(tag));
                again = true;
            }
        }
    }
    return name;
}

// Every player's stakes per betting round, to find what nobody matched.
class CStakeTable {
public:
    double& At(std::wstring_view player, int street) {
        for (Row& r : rows) {
            if (r.name == player)
                return r.street[static_cast<std::size_t>(street)];
        }
        rows.push_back(Row{std::wstring(player), {}});
        return rows.back().street[static_cast<std::size_t>(street)];
    }
    void Reset(std::wstring_view player) {
        for (int s = 0; s < kStreets; ++s)
            At(player, s) = 0;
    }
    // The hero's total and the largest total of any other player.
    void Totals(std::wstring_view hero, double& heroTotal, double& maxOther) const {
        heroTotal = 0;
        maxOther = 0;
        for (const Row& r : rows) {
            double t = r.street[0] + r.street[1] + r.street[2] + r.street[3];
            if (r.name == hero)
                heroTotal = t;
            else
                maxOther = std::max(maxOther, t);
        }
    }

private:
    struct Row {
        std::wstring name;
        std::array<double, kStreets> street;
    };
    std::vector<Row> rows;
};

} // namespace

void ParseHeaderTigerGaming(const std::wstring& header, double& bigBlind, int& currency) {
    bigBlind = 0;
    currency = 0;
    std::wstring_view v = TrimView(header);
    if (v.size() > kMaxLineLength)
        return;
    WMatch m;
    if (Matches(v, m, Patterns().header))
        bigBlind = LineHundredths(Group(m, 3)) * 0.01;
}

bool ParseHandTigerGaming(const HandLines& hand, const std::wstring& nickname, double& money) {
    money = 0;
    if (nickname.empty())
        return true;
    const TigerPatterns& re = Patterns();
    const std::wstring foldLine = nickname + L": folds";
    const std::wstring dealtPrefix = L"Dealt to " + nickname;

    bool seatListing = false;
    int street = 0;
    double heroStreet = 0;  // the hero's stake on the current round
    double heroEarlier = 0; // on closed rounds, and dead money
    // A win shows in the action lines and again in the summary; the action
    // lines count when there are any, else the summary's.
    double bodyWins = 0, summaryWins = 0;
    bool sawBodyWin = false;
    std::wstring_view headerLine;
    CStakeTable stakes;
    WMatch m;

    auto won = [&] { return sawBodyWin ? bodyWins : summaryWins; };
    auto writeHero = [&] {
        if (street < kStreets)
            stakes.At(nickname, street) = heroStreet;
    };

    for (const std::wstring& raw : hand) {
        std::wstring_view l = TrimView(raw);
        if (l.empty() || l.size() > kMaxLineLength)
            continue;
        if (headerLine.empty() && StartsWith(l, kTigerHeader))
            headerLine = l;

        if (seatListing && StartsWith(l, L"Seat ") && Matches(l, m, re.seat)) {
            if (Group(m, 1).empty()) {
                money = won();
                return false;
            }
            stakes.Reset(Group(m, 1));
            continue;
        }
        if (StartsWith(l, L"Table ")) {
            if (Matches(l, m, re.table))
                seatListing = true;
            continue;
        }

        const std::wstring_view act = WithoutAllIn(l);
        if (ContainsAfterFirst(l, L"posts big blind") || ContainsAfterFirst(l, L"posts small")) {
            seatListing = false;
            if (!Matches(act, m, re.blind))
                continue;
            const std::wstring_view player = Group(m, 1);
            double live = LineHundredths(Group(m, 3)), dead = 0;
            if (Group(m, 2) == L"small & big") {
                // Only the big blind part is a live bet; the small blind part
                // is dead money in the pot.
                double bb = 0;
                int cur = 0;
                if (!headerLine.empty())
                    ParseHeaderTigerGaming(std::wstring(headerLine), bb, cur);
                const double bbHundredths = bb * 100.0;
                const double total = live;
                live =
                    (bbHundredths > 0 && bbHundredths <= total) ? bbHundredths : total * 2.0 / 3.0;
                dead = total - live;
            }
            stakes.At(player, 0) = live;
            if (player == nickname) {
                heroStreet = live;
                heroEarlier += dead;
            }
            continue;
        }

        if (StartsWith(l, L"*** FLOP *** ") || StartsWith(l, L"*** TURN *** ") ||
            StartsWith(l, L"*** RIVER *** ")) {
            ++street;
            heroEarlier += heroStreet;
            heroStreet = 0;
            continue;
        }

        if (ContainsAfterFirst(l, L"posts the ante")) {
            // An ante is dead money: paid in, but no bet anyone matches.
            if (Matches(act, m, re.ante) && Group(m, 1) == nickname)
                heroEarlier += LineHundredths(Group(m, 2));
            continue;
        }
        if (ContainsAfterFirst(l, L"post now")) {
            if (Matches(act, m, re.postNow)) {
                const double a = LineHundredths(Group(m, 2));
                stakes.At(Group(m, 1), 0) = a;
                if (Group(m, 1) == nickname)
                    heroStreet = a;
            }
            continue;
        }

        if (l == foldLine) {
            const double in = heroStreet + heroEarlier;
            money = in > 0.001 ? -in : 0.0;
            return true;
        }

        if (StartsWith(l, dealtPrefix) &&
            (l.size() == dealtPrefix.size() || l[dealtPrefix.size()] == L' ')) {
            // "Dealt to Hero [Ah Kd]": a hand without the hero's cards is no
            // hand the hero played.
            const std::size_t from = dealtPrefix.size() + 2;
            const std::size_t close = from < l.size() ? l.find(L']', from) : l.npos;
            if (close == l.npos || close == from) {
                money = won();
                return false;
            }
            continue;
        }

        if ((Contains(act, L": calls ") || Contains(act, L": bets ")) &&
            Matches(act, m, re.callsBets)) {
            const double a = LineHundredths(Group(m, 3));
            if (Group(m, 1) == nickname) {
                heroStreet += a;
                writeHero();
            } else if (street < kStreets) {
                stakes.At(Group(m, 1), street) += a;
            }
            continue;
        }
        if (Contains(act, L": raises ") && Matches(act, m, re.raises)) {
            const double to = LineHundredths(Group(m, 3));
            if (Group(m, 1) == nickname) {
                heroStreet = to;
                writeHero();
            } else if (street < kStreets) {
                stakes.At(Group(m, 1), street) = to;
            }
            continue;
        }
        if (Contains(l, L" collected ") && Matches(l, m, re.collected)) {
            if (Group(m, 1) == nickname) {
                bodyWins += LineHundredths(Group(m, 2));
                sawBodyWin = true;
            }
            continue;
        }
        if (StartsWith(l, L"Uncalled bet (")) {
            // The returned part is no longer the hero's stake on the round.
            if (EndsWith(l, nickname) && Matches(l, m, re.uncalled) && Group(m, 2) == nickname) {
                heroStreet -= LineHundredths(Group(m, 1));
                writeHero();
            }
            continue;
        }
        if (StartsWith(l, L"Seat ")) {
            if ((Contains(l, L" and won (") && Matches(l, m, re.showedWon)) ||
                (Contains(l, L" collected (") && Matches(l, m, re.summaryCollected))) {
                if (WithoutPositionTags(Group(m, 1)) == nickname)
                    summaryWins += LineHundredths(Group(m, 2));
            }
            continue;
        }
    }

    money = won() - (heroStreet + heroEarlier);
    // Money of the hero's that no opponent matched came back to the hero.
    double heroTotal = 0, maxOther = 0;
    stakes.Totals(nickname, heroTotal, maxOther);
    if (heroTotal > maxOther + 0.001)
        money += heroTotal - maxOther;
    return true;
}

} // namespace tw
