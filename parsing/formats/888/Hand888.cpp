#include "parsing/Amount.h"
#include "parsing/Regex.h"
#include "parsing/formats/888/Poker888.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

// Stakes lines are short; anything much longer is not one and is not handed
// to the patterns at all.
constexpr std::size_t kMaxHeaderLength = 512;

#define TW_DATE L"([0-9]{1,2}) ([0-9]{1,2}) ([0-9]{4}) ([0-9]{1,2}):([0-9]{1,2}):([0-9]{1,2})"

struct HeaderPatterns {
    // "$0.01/$0.02 Blinds No Limit Holdem - *** 15 07 2011 15:18:32"
    WRegex blinds = MakeRegex(L"([^/]+)/([^/]+) Blinds .* " TW_DATE);
    // "$0.05 Ante NL Flopomania - *** 15 07 2011 15:18:32"
    WRegex flopomania = MakeRegex(L"([^/]+) Ante NL Flopomania .* " TW_DATE);
};

const HeaderPatterns& Headers() {
    static const HeaderPatterns p;
    return p;
}

// One player's money in one hand, in hundredths.
struct Account {
    std::wstring strName;
    double dIn = 0;        // everything put into the pot
    double dDead = 0;      // the part of dIn no opponent can match: antes, dead blinds
    double dCollected = 0; // everything the summary pays out to the player
    bool bSeated = false;
    bool bFolded = false;

    double Live() const { return dIn - dDead; }
};

// The players of one hand in order of appearance; a table has at most ten.
class Accounts {
public:
    Account& Of(std::wstring_view name) {
        for (Account& a : vec)
            if (a.strName == name)
                return a;
        vec.push_back(Account{std::wstring(name)});
        return vec.back();
    }
    const std::vector<Account>& All() const { return vec; }

private:
    std::vector<Account> vec;
};

// "NAME VERB [TEXT]": the line's last bracket and what stands before it.
struct Bracketed {
    std::wstring_view head; // "NAME VERB"
    std::wstring_view text; // inside the brackets
};

bool SplitBracket(std::wstring_view l, Bracketed& b) {
    if (l.size() < 3 || l.back() != L']')
        return false;
    std::size_t open = l.rfind(L'[');
    if (open == std::wstring_view::npos || open == 0 || l[open - 1] != L' ')
        return false;
    b.head = l.substr(0, open - 1);
    b.text = l.substr(open + 1, l.size() - open - 2);
    return true;
}

// The name in `head` when it is "NAME" + `verb`; the name may be empty.
bool NameBefore(std::wstring_view head, std::wstring_view verb, std::wstring_view& name) {
    if (!EndsWith(head, verb))
        return false;
    name = head.substr(0, head.size() - verb.size());
    return true;
}

// "Seat 3: NAME ( $12.50 )". A stake without a currency sign is play money,
// which is not real money and is not taken as a seat of the hand.
bool ParseSeat(std::wstring_view l, std::wstring_view& name) {
    std::size_t i = 5; // after "Seat "
    std::size_t d = i;
    while (d < l.size() && l[d] >= L'0' && l[d] <= L'9')
        ++d;
    if (d == i || l.substr(d, 2) != L": " || !EndsWith(l, L" )"))
        return false;
    std::size_t open = l.rfind(L" ( ");
    if (open == std::wstring_view::npos || open < d + 1)
        return false;
    std::wstring_view stack = l.substr(open + 3, l.size() - 2 - (open + 3));
    double amount = 0;
    int currency = -1;
    if (!ParseMoneyText(stack, amount, &currency) || currency < 0)
        return false;
    name = open <= d + 2 ? std::wstring_view() : l.substr(d + 2, open - (d + 2));
    return true;
}

constexpr double kCent = 0.5; // half a hundredth: amounts closer than this are equal

} // namespace

void ParseHeader888(const std::wstring& line, double& smallBlind, double& bigBlind, int& currency) {
    if (line.size() > kMaxHeaderLength)
        return;
    const HeaderPatterns& re = Headers();
    WMatch m;
    std::wstring_view v(line);
    double sb = 0, bb = 0;
    int c1 = -1, c2 = -1;
    if (MatchWhole(v, m, re.blinds)) {
        if (!ParseMoneyText(Group(m, 1), sb, &c1) || !ParseMoneyText(Group(m, 2), bb, &c2))
            return;
    } else if (MatchWhole(v, m, re.flopomania)) {
        // The ante is the only forced bet: it stands for the big blind.
        if (!ParseMoneyText(Group(m, 1), bb, &c1))
            return;
        sb = 0;
    } else {
        return;
    }
    int c = c1 >= 0 ? c1 : c2;
    if (c < 0 || (c2 >= 0 && c2 != c))
        return; // play money has no sign; two currencies are no stake
    smallBlind = sb;
    bigBlind = bb;
    currency = c;
}

bool ParseHand888(const HandLines& hand, const std::wstring& nickname, double& money,
                  Hand888Status* status) {
    money = 0;
    auto finish = [&](Hand888Status s) {
        if (status)
            *status = s;
        return s == Hand888Status::Counted;
    };
    if (nickname.empty())
        return finish(Hand888Status::Rejected);

    Accounts players;
    std::vector<double> heroCollects; // each of the hero's collected amounts
    bool dealt = false;               // cards were dealt: the hand was played
    bool summary = false;
    bool cancelled = false;
    Bracketed b;
    std::wstring_view name;

    for (const std::wstring& raw : hand) {
        std::wstring_view l = TrimView(raw);
        if (l.empty())
            continue;
        if (StartsWith(l, L"Seat ")) {
            if (ParseSeat(l, name)) {
                if (name.empty())
                    return finish(Hand888Status::Rejected);
                players.Of(name).bSeated = true;
            }
            continue;
        }
        if (StartsWith(l, L"** ")) {
            if (l == L"** Summary **")
                summary = true;
            else if (StartsWith(l, L"** Dealing "))
                dealt = true; // down cards, or a street observed without them
            continue;
        }
        if (StartsWith(l, L"Dealt to ")) {
            dealt = true;
            continue;
        }
        if (l == L"Table Closed" || l == L"Connection Lost due to some reason") {
            cancelled = true;
            continue;
        }
        if (EndsWith(l, L" folds")) {
            players.Of(l.substr(0, l.size() - 6)).bFolded = true;
            continue;
        }
        if (EndsWith(l, L" checks")) {
            dealt = true;
            continue;
        }
        if (!SplitBracket(l, b))
            continue;

        double a = 0;
        // Stakes come before the summary, payouts in it; a line out of its
        // place belongs to no hand this reader can trust and is skipped.
        if (summary) {
            if (NameBefore(b.head, L" collected", name) && MoneyTextHundredths(b.text, a)) {
                players.Of(name).dCollected += a;
                if (name == nickname)
                    heroCollects.push_back(a);
            }
            continue;
        }
        if (NameBefore(b.head, L" calls", name) || NameBefore(b.head, L" bets", name) ||
            NameBefore(b.head, L" raises", name)) {
            // The amount is what the action adds to the player's stake.
            if (MoneyTextHundredths(b.text, a)) {
                players.Of(name).dIn += a;
                dealt = true;
            }
        } else if (NameBefore(b.head, L" posts small blind", name) ||
                   NameBefore(b.head, L" posts big blind", name)) {
            if (MoneyTextHundredths(b.text, a))
                players.Of(name).dIn += a;
        } else if (NameBefore(b.head, L" posts dead blind", name)) {
            // "[$0.01 + $0.02]": the dead small blind, then the live big blind.
            std::size_t plus = b.text.find(L" + ");
            double dead = 0, live = 0;
            if (plus != std::wstring_view::npos &&
                MoneyTextHundredths(b.text.substr(0, plus), dead) &&
                MoneyTextHundredths(b.text.substr(plus + 3), live)) {
                Account& p = players.Of(name);
                p.dIn += dead + live;
                p.dDead += dead;
            }
        } else if (NameBefore(b.head, L" posts ante (First to Act)", name) ||
                   NameBefore(b.head, L" posts ante", name)) {
            if (MoneyTextHundredths(b.text, a)) {
                Account& p = players.Of(name);
                p.dIn += a;
                p.dDead += a;
            }
        }
    }

    const Account* hero = nullptr;
    for (const Account& p : players.All())
        if (p.strName == nickname)
            hero = &p;
    if (!hero || !hero->bSeated)
        return finish(Hand888Status::Absent);
    if (cancelled || !dealt)
        return finish(Hand888Status::Cancelled); // every stake went back
    if (!summary && !hero->bFolded)
        return finish(Hand888Status::Rejected); // cut off before the hero's result is known

    // The part of the hero's stake that no opponent matched goes back to the
    // hero. Rooms write it in three ways: inside the collected amount, as a
    // collected line of its own, or not at all. The pot tells which: unless
    // it was paid out, no more than everything else put in can be collected.
    double pot = 0, paid = 0, maxOther = 0;
    bool showdown = false; // an opponent with money in the pot did not fold
    for (const Account& p : players.All()) {
        pot += p.dIn;
        paid += p.dCollected;
        if (&p == hero)
            continue;
        maxOther = std::max(maxOther, p.Live());
        if (p.dIn > kCent && !p.bFolded)
            showdown = true;
    }
    double unmatched = hero->Live() - maxOther;
    double result = hero->dCollected - hero->dIn;
    if (unmatched > kCent) {
        bool paidOut = paid > pot - unmatched + kCent;
        // Against an all-in opponent the rake can exceed the excess; then the
        // excess shows as a collected line of exactly its own amount.
        if (!paidOut && showdown)
            paidOut = std::any_of(heroCollects.begin(), heroCollects.end(),
                                  [&](double c) { return std::abs(c - unmatched) < kCent; });
        if (!paidOut)
            result += unmatched;
    }
    money = result;
    return finish(Hand888Status::Counted);
}

} // namespace tw
