#include "parsing/Amount.h"
#include "parsing/Regex.h"
#include "parsing/formats/pokerstars/PokerStars.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

// The line patterns. An action line is "NAME: <action>" and a winnings line
// "NAME collected ..."; the name is compared with the player's exactly before
// a pattern is tried, so the patterns start after it.
struct StarsPatterns {
    WRegex blinds = MakeRegex(L"posts (small|big|small & big|button) blinds? " TW_SIGN TW_AMT);
    WRegex callsBets = MakeRegex(L"(calls|bets) " TW_SIGN TW_AMT);
    WRegex raises = MakeRegex(L"raises " TW_SIGN TW_AMT L" to " TW_SIGN TW_AMT);
    WRegex ante = MakeRegex(L"posts the ante ." TW_AMT);
    WRegex bringIn = MakeRegex(L"brings in for " TW_SIGN TW_AMT);
    WRegex collected = MakeRegex(L" collected " TW_SIGN TW_AMT L" from (pot|side pot|main pot)");
    WRegex sidePot = MakeRegex(L" collected " TW_SIGN TW_AMT L" from side pot-(\\d)");
    WRegex cashOutFee = MakeRegex(
        L" cashed out the hand for " TW_SIGN TW_AMT L" \\| Cash Out Fee " TW_SIGN TW_AMT L".*");
    WRegex cashOut = MakeRegex(L" cashed out the hand for " TW_SIGN TW_AMT L".*");
    WRegex uncalled = MakeRegex(L"Uncalled bet \\(" TW_SIGN TW_AMT L"\\) returned to (.*)");
};

const StarsPatterns& Patterns() {
    static const StarsPatterns p;
    return p;
}

// Lines that end one betting round: flop games, stud streets and draws.
bool IsStreetChange(std::wstring_view l) {
    if (l.size() < 13 || l[0] != L'*')
        return false;
    static const std::wstring_view kStreets[] = {
        L"*** FLOP *** ",      L"*** TURN *** ",       L"*** RIVER *** ",     L"*** 3rd STREET ***",
        L"*** 4th STREET ***", L"*** 5th STREET ***",  L"*** 6th STREET ***", L"*** 7th STREET ***",
        L"*** FIRST DRAW ***", L"*** SECOND DRAW ***", L"*** THIRD DRAW ***",
    };
    for (std::wstring_view s : kStreets) {
        if (StartsWith(l, s))
            return true;
    }
    return false;
}

// A captured amount in hundredths.
double GroupHundredths(std::wstring_view amount) {
    return Hundredths(AmountFromGroup(amount));
}

// One player's money in one hand.
struct PlayerAccount {
    double street = 0;    // stake on the current betting round
    double committed = 0; // stakes of finished rounds, antes, dead blinds
    double dead = 0;      // the part of `committed` no opponent can match
    double collected = 0;
    bool folded = false;
    bool sawUncalled = false; // the hand writes its returned bets itself
    // The player's last wager was a post, bet or raise (not a call), so part
    // of it may have been matched by nobody.
    bool lastWagerOpen = false;

    double In() const { return street + committed; }
    double Live() const { return street + committed - dead; }
};

// Books one player's lines of the hand. A player's lines are those that
// start with "NAME: "; winnings and returned bets name the player exactly.
PlayerAccount Account(const HandLines& hand, const std::wstring& nickname, double bbHundredths) {
    const StarsPatterns& re = Patterns();
    PlayerAccount acc;
    double& street = acc.street;
    double& committed = acc.committed;
    bool smallFirst = true, bigFirst = true;
    const std::wstring foldLine = nickname + L": folds";
    const std::wstring actionPrefix = nickname + L": ";
    const std::size_t n = nickname.size();
    WMatch m;

    for (const std::wstring& raw : hand) {
        std::wstring_view l = TrimView(raw);
        if (l.empty())
            continue;

        if (IsStreetChange(l)) {
            committed += street;
            street = 0;
            continue;
        }

        if (l == foldLine) {
            acc.folded = true;
            return acc;
        }

        if (StartsWith(l, actionPrefix)) {
            // An all-in or capped action counts like the same action without
            // that ending.
            std::wstring_view verb = l.substr(actionPrefix.size());
            if (EndsWith(verb, L" and is all-in"))
                verb.remove_suffix(14);
            else if (EndsWith(verb, L" cap")) {
                std::size_t at = verb.rfind(L" and has reached the ");
                if (at != std::wstring_view::npos)
                    verb = verb.substr(0, at);
            }

            if (StartsWith(verb, L"posts big blind") || StartsWith(verb, L"posts small blind") ||
                StartsWith(verb, L"posts button blind")) {
                if (MatchWhole(verb, m, re.blinds)) {
                    acc.lastWagerOpen = true;
                    std::wstring_view kind = Group(m, 1);
                    double a = GroupHundredths(Group(m, 2));
                    if (kind == L"small") {
                        if (smallFirst) {
                            street = a;
                        } else {
                            committed += a;
                            acc.dead += a;
                        }
                        smallFirst = false;
                    } else if (kind == L"big") {
                        if (bigFirst) {
                            street = a;
                        } else {
                            committed += a;
                            acc.dead += a;
                        }
                        bigFirst = false;
                    } else if (kind == L"button") {
                        street += a;
                        bigFirst = false;
                    }
                }
            } else if (StartsWith(verb, L"posts small & big")) {
                if (MatchWhole(verb, m, re.blinds)) {
                    // The live part is the big blind; the rest is dead money
                    // that goes to the pot whatever the player does next.
                    double a = GroupHundredths(Group(m, 2));
                    double live =
                        (bbHundredths > 0 && bbHundredths <= a) ? bbHundredths : a * 2.0 / 3.0;
                    street = live;
                    committed += a - live;
                    acc.dead += a - live;
                    acc.lastWagerOpen = true;
                }
            } else if (StartsWith(verb, L"posts the ante")) {
                if (MatchWhole(verb, m, re.ante)) {
                    double a = GroupHundredths(Group(m, 1));
                    committed += a;
                    acc.dead += a;
                }
            } else if (StartsWith(verb, L"calls ") || StartsWith(verb, L"bets ")) {
                if (MatchWhole(verb, m, re.callsBets)) {
                    street += GroupHundredths(Group(m, 2));
                    acc.lastWagerOpen = verb[0] == L'b';
                }
            } else if (StartsWith(verb, L"raises ")) {
                if (MatchWhole(verb, m, re.raises)) {
                    street = GroupHundredths(Group(m, 2));
                    acc.lastWagerOpen = true;
                }
            } else if (StartsWith(verb, L"brings in ")) {
                if (MatchWhole(verb, m, re.bringIn)) {
                    street += GroupHundredths(Group(m, 1));
                    acc.lastWagerOpen = true;
                }
            }
            // Checks, shows, sitting out and the like change nothing.
            continue;
        }

        if (StartsWith(l, nickname) && l.size() > n && l[n] == L' ') {
            // Winnings of exactly this player ("NAME collected ...").
            std::wstring_view rest = l.substr(n);
            if (MatchWhole(rest, m, re.collected) || MatchWhole(rest, m, re.sidePot) ||
                MatchWhole(rest, m, re.cashOutFee) || MatchWhole(rest, m, re.cashOut))
                acc.collected += GroupHundredths(Group(m, 1));
            continue;
        }

        if (StartsWith(l, L"Uncalled bet (")) {
            acc.sawUncalled = true;
            if (EndsWith(l, nickname) && MatchWhole(l, m, re.uncalled) && Group(m, 2) == nickname)
                street -= GroupHundredths(Group(m, 1));
        }
    }
    return acc;
}

// The players seated in the hand, from the seat lines before the first
// "***" line.
std::vector<std::wstring> SeatedPlayers(const HandLines& hand) {
    // "Seat 3: NAME ($12.50 in chips)", possibly followed by more text.
    std::vector<std::wstring> names;
    for (const std::wstring& raw : hand) {
        std::wstring_view l = TrimView(raw);
        if (StartsWith(l, L"*** "))
            break;
        if (!StartsWith(l, L"Seat "))
            continue;
        std::size_t colon = l.find(L": ");
        std::size_t chips = l.find(L" in chips");
        if (colon == std::wstring_view::npos || chips == std::wstring_view::npos || chips < colon)
            continue;
        std::size_t open = l.rfind(L" (", chips);
        if (open == std::wstring_view::npos || open <= colon + 2)
            continue;
        names.emplace_back(l.substr(colon + 2, open - colon - 2));
    }
    return names;
}

// The amount of the summary's "Total pot" line in hundredths, or -1.
double TotalPot(const HandLines& hand) {
    for (auto it = hand.rbegin(); it != hand.rend(); ++it) {
        std::wstring_view l = TrimView(*it);
        if (!StartsWith(l, L"Total pot "))
            continue;
        l.remove_prefix(10);
        while (!l.empty() && !(l[0] >= L'0' && l[0] <= L'9'))
            l.remove_prefix(1);
        std::size_t e = 0;
        while (e < l.size() && ((l[e] >= L'0' && l[e] <= L'9') || l[e] == L'.' || l[e] == L','))
            ++e;
        while (e > 0 && (l[e - 1] == L'.' || l[e - 1] == L','))
            --e; // a sentence's end, no decimal mark
        double hundredths = 0;
        return MoneyTextHundredths(l.substr(0, e), hundredths) ? hundredths : -1.0;
    }
    return -1.0;
}

} // namespace

void ParseHandPokerStars(const HandLines& hand, const std::wstring& nickname, double& money,
                         double bbHundredths) {
    money = 0;
    if (nickname.empty())
        return;
    PlayerAccount hero = Account(hand, nickname, bbHundredths);
    if (hero.folded) {
        double in = hero.In();
        money = in > 0.001 ? -in : 0.0;
        return;
    }
    money = hero.collected - hero.In();

    // Some exports leave out the "Uncalled bet" lines. The part of the hero's
    // stake that no opponent matched went back to the hero all the same; the
    // summary's "Total pot" shows it: it then holds everything put in but that
    // part. Others write the returned part into the collected amount, and
    // their total pot is everything put in: nothing more comes back then.
    if (!hero.sawUncalled && hero.lastWagerOpen && hero.Live() > 0.001) {
        const std::vector<std::wstring> players = SeatedPlayers(hand);
        if (players.empty())
            return;
        double maxOther = 0, allIn = hero.In();
        for (const std::wstring& name : players) {
            if (name == nickname)
                continue;
            PlayerAccount other = Account(hand, name, bbHundredths);
            maxOther = std::max(maxOther, other.Live());
            allIn += other.In();
        }
        const double unmatched = hero.Live() - maxOther;
        if (unmatched > 0.001) {
            const double pot = TotalPot(hand);
            if (pot >= 0 && std::abs(pot - (allIn - unmatched)) < std::abs(pot - allIn))
                money += unmatched;
        }
    }
}

} // namespace tw
