// PartyPoker text hands: the stakes line and the hero's result of one hand.
//
// A hand starts with "Game #N starts." and "#Game No : N" lines, then the
// stakes line ("$0.05/$0.10 USD NL Texas Hold'em - Monday, ..."). Every action
// line names the player first and writes what the action adds to the pot in
// brackets: "Hero calls [$0.10 USD]", "Hero raises [$0.30 USD]." Winnings are
// "Hero wins $0.70 USD from the main pot ...", already net of rake and holding
// any bet that nobody called. Emailed and newer histories write
// "Hero calls (0.10)", "Hero raises 0.20 to 0.30" (the new stake on the
// street) and give the winnings only in the summary as
// "Hero balance $5.30, bet $0.30, collected $0.70, net +$0.40".
#include "parsing/Amount.h"
#include "parsing/Regex.h"
#include "parsing/formats/partypoker/PartyPoker.h"
#include "support/TextUtil.h"

#include <array>
#include <cstdint>
#include <exception>

namespace tw {

namespace {

// Longer lines are no hand-history lines; they are skipped unread.
constexpr std::size_t kMaxLineLength = 4096;

// Removes one sentence-ending period and the blanks around the text.
std::wstring_view StripPeriod(std::wstring_view s) {
    s = TrimView(s);
    if (!s.empty() && s.back() == L'.')
        s.remove_suffix(1);
    return TrimView(s);
}

// "[$0.10 USD]", "[ $0,25 USD ]" or "(0.10)", possibly followed by a period:
// the amount inside, in hundredths.
bool EnclosedAmount(std::wstring_view s, double& hundredths) {
    s = StripPeriod(s);
    if (s.size() < 2)
        return false;
    const wchar_t open = s.front(), close = s.back();
    if (!((open == L'[' && close == L']') || (open == L'(' && close == L')')))
        return false;
    return ParsePartyAmount(s.substr(1, s.size() - 2), hundredths);
}

// The text of `s` after `prefix`, when `s` starts with it.
bool After(std::wstring_view s, std::wstring_view prefix, std::wstring_view& rest) {
    if (!StartsWith(s, prefix))
        return false;
    rest = s.substr(prefix.size());
    return true;
}

// One hero's money in a hand.
struct PartyAccount {
    double street = 0;  // stake on the current betting round
    double earlier = 0; // stakes of finished rounds
    double wins = 0;    // "wins" lines
    double summaryCollected = 0;
    bool sawWins = false;

    double In() const { return street + earlier; }
    double Won() const { return sawWins ? wins : summaryCollected; }
};

// Books one line of the hero; `rest` is the line after "NICKNAME ".
// Returns true when the line is the hero's fold.
bool BookHeroLine(std::wstring_view rest, PartyAccount& acc) {
    std::wstring_view r = StripPeriod(rest);
    std::wstring_view tail;
    double a = 0;

    if (r == L"folds")
        return true;

    if (After(r, L"posts ", tail)) {
        // Blinds, dead blinds, antes and the button blind are all paid in.
        static const wchar_t* const kPosts[] = {
            L"small blind + dead", L"big blind + dead", L"small blind",
            L"big blind",          L"button blind",     L"ante",
        };
        for (const wchar_t* kind : kPosts) {
            std::wstring_view amount;
            if (After(tail, kind, amount)) {
                if (EnclosedAmount(amount, a))
                    acc.street += a;
                break;
            }
        }
        return false;
    }

    static const wchar_t* const kAdds[] = {L"calls", L"bets", L"raises", L"is all-In"};
    for (const wchar_t* verb : kAdds) {
        if (!After(r, verb, tail))
            continue;
        if (EnclosedAmount(tail, a)) {
            acc.street += a; // what the action adds
        } else if (verb[0] == L'r' && !tail.empty() && tail[0] == L' ') {
            // "raises 0.20 to 0.30": the new stake on this round.
            std::size_t to = tail.rfind(L" to ");
            if (to != std::wstring_view::npos && ParsePartyAmount(tail.substr(to + 4), a))
                acc.street = a;
        }
        return false;
    }

    if (After(r, L"wins ", tail)) {
        std::size_t from = tail.find(L" from ");
        if (ParsePartyAmount(StripPeriod(tail.substr(0, from)), a)) {
            acc.wins += a;
            acc.sawWins = true;
        }
        return false;
    }

    if (StartsWith(r, L"balance ") || StartsWith(r, L"Cashed out")) {
        std::size_t at = r.find(L", collected ");
        if (at != std::wstring_view::npos) {
            std::wstring_view amount = r.substr(at + 12);
            amount = amount.substr(0, amount.find(L", net"));
            if (ParsePartyAmount(amount, a))
                acc.summaryCollected += a;
        }
    }
    return false;
}

// Some clients glue sentences together without a line end:
//   "Player2 does not show cards.Hero wins $1,10 USD"
//   "Player3 is sitting outHero posts big blind [$0,25 USD]."
// The position of the next sentence of the hero's glued to another one at or
// after `from`, or npos.
std::size_t GluedHeroSentence(std::wstring_view l, std::wstring_view heroPrefix, std::size_t from) {
    for (std::size_t at = l.find(heroPrefix, from); at != std::wstring_view::npos;
         at = l.find(heroPrefix, at + 1)) {
        const std::wstring_view before = l.substr(0, at);
        if (EndsWith(before, L" is sitting out"))
            return at;
        if (EndsWith(before, L".") && (Contains(before, L" wins ") || Contains(before, L" show")))
            return at;
    }
    return std::wstring_view::npos;
}

} // namespace

bool ParsePartyAmount(std::wstring_view text, double& hundredths) {
    // A period that ends the sentence is no part of the amount.
    return MoneyTextHundredths(StripPeriod(text), hundredths);
}

void ParseHandPartyPoker(const HandLines& hand, const std::wstring& nickname, double& money) {
    money = 0;
    if (nickname.empty())
        return;
    const std::wstring heroPrefix = nickname + L" ";
    PartyAccount acc;

    for (const std::wstring& raw : hand) {
        std::wstring_view l = TrimView(raw);
        if (l.empty() || l.size() > kMaxLineLength || StartsWith(l, L"#Game No :"))
            continue;

        // A hand cut off by the table closing was never played out: what
        // the hero had put in came back.
        if (l == L"Table Closed" || l == L"Connection Lost due to some reason") {
            money = acc.Won();
            return;
        }

        if (StartsWith(l, L"** Dealing ") && !StartsWith(l, L"** Dealing down cards")) {
            acc.earlier += acc.street;
            acc.street = 0;
            continue;
        }

        // Only lines that name exactly the hero count: "Hero77 calls" is
        // another player's line even when the nickname is "Hero".
        std::size_t at = StartsWith(l, heroPrefix) ? 0 : GluedHeroSentence(l, heroPrefix, 1);
        for (; at != std::wstring_view::npos; at = GluedHeroSentence(l, heroPrefix, at + 1)) {
            if (BookHeroLine(l.substr(at + heroPrefix.size()), acc)) {
                const double in = acc.In();
                money = in > 0.001 ? -in : 0.0;
                return;
            }
        }
    }
    money = acc.Won() - acc.In();
}

namespace {

// A whole-line match that treats a line too costly to match as no match
// (the regex engine throws rather than run away on pathological text).
bool Matches(std::wstring_view s, WMatch& m, const WRegex& re) {
    try {
        return MatchWhole(s, m, re);
    } catch (const std::exception&) {
        return false;
    }
}

struct PartyHeaderPatterns {
    // "$0.05/$0.10 USD NL Texas Hold'em - Monday, August 30, 16:08:09 EDT 2010"
    WRegex blinds = MakeRegex(L"((?:[\\$\u20AC\u00A3] ?)?\\d[\\d.,]*(?: ?[\\$\u20AC\u00A3])?)/"
                              L"((?:[\\$\u20AC\u00A3] ?)?\\d[\\d.,]*(?: ?[\\$\u20AC\u00A3])?)"
                              L"\\s[\\w\\$'\\s\u20AC\u00A3|]+-\\s*\\w+,\\s*(\\w+)\\s(\\d{1,2}),\\s("
                              L"\\d{1,2}):(\\d{2}):(\\d{2})"
                              L"\\s(\\w+)\\s(\\d{4})");
    // "$100 USD PL Omaha - Tuesday, January 05, 20:50:31 EST 2016": the
    // stated buy-in is a hundred big blinds.
    WRegex potLimitOmaha = MakeRegex(
        L"((?:[\\$\u20AC\u00A3] ?)?\\d[\\d.,]*(?: ?[\\$\u20AC\u00A3])?) (\\w+) PL Omaha "
        L"-\\s*\\w+,\\s*(\\w+)\\s(\\d{1,2}),\\s(\\d{1,2}):(\\d{2}):(\\d{2})\\s(\\w+)\\s(\\d{4})");
    // Any stakes line: its first amount and the currency code after it.
    WRegex stakes = MakeRegex(L"((?:[\\$\u20AC\u00A3] ?)?\\d[\\d.,]*(?: ?[\\$\u20AC\u00A3])?)"
                              L"(?:/\\S+)?\\s+(?:(USD|EUR|GBP)\\s)?.*\\S\\s+-\\s*\\S.*");
};

const PartyHeaderPatterns& HeaderPatterns() {
    static const PartyHeaderPatterns p;
    return p;
}

// The currency of the sign in a stakes amount; -1 when it has none.
int CurrencyOfStake(std::wstring_view stake) {
    for (wchar_t c : stake) {
        if (c == L'$')
            return 0;
        if (c == 0x20AC)
            return 1;
        if (c == 0x00A3)
            return 2;
    }
    return -1;
}

} // namespace

void ParseHeaderPartyPoker(const std::wstring& header, double& smallBlind, double& bigBlind,
                           int& currency) {
    std::wstring line(TrimView(header));
    if (line.size() > kMaxLineLength)
        return;
    for (wchar_t& c : line) {
        if (c == 0x00A0 || c == 0x202F)
            c = L' ';
    }
    std::wstring_view v(line);
    const PartyHeaderPatterns& re = HeaderPatterns();
    WMatch m;
    double sb = 0, bb = 0;
    const bool blindGame = Contains(v, L"NL Texas Hold'em") || Contains(v, L"PL Omaha");

    if (blindGame && Matches(v, m, re.blinds)) {
        const int cur = CurrencyOfStake(Group(m, 1));
        if (cur >= 0 && ParsePartyAmount(Group(m, 1), sb) && ParsePartyAmount(Group(m, 2), bb)) {
            smallBlind = sb * 0.01;
            bigBlind = bb * 0.01;
            currency = cur;
            return;
        }
    }
    if (blindGame && Matches(v, m, re.potLimitOmaha)) {
        const int cur = CurrencyOfStake(Group(m, 1));
        double stated = 0;
        if (cur >= 0 && ParsePartyAmount(Group(m, 1), stated)) {
            bigBlind = stated * 0.01 * 0.01;
            smallBlind = bigBlind / 2;
            currency = cur;
            return;
        }
    }
    // Other stakes lines ("€10 EUR NL Texas Hold'em", limit games) give no
    // blinds, but their currency decides the conversion of the hand.
    if (Matches(v, m, re.stakes)) {
        int cur = CurrencyOfStake(Group(m, 1));
        if (cur < 0 && m[2].matched)
            cur = Group(m, 2) == L"USD" ? 0 : (Group(m, 2) == L"EUR" ? 1 : 2);
        if (cur >= 0)
            currency = cur;
    }
}

} // namespace tw
