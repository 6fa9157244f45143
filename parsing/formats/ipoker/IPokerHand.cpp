#include "parsing/Amount.h"
#include "parsing/XmlDocument.h"
#include "parsing/formats/ipoker/IPoker.h"
#include "support/SupportLib.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cmath>

namespace tw {

namespace {

// Every document handed to the XML reader starts with this declaration.
constexpr std::wstring_view kDeclaration = L"<?xml version=\"1.0\" encoding=\"utf - 8\"?>";

// One side of a stake pair in a game type such as "NL €0.05/€0.10" or
// "0,01 $/0,02 $": the amount and a currency sign written next to it.
struct StakeSide {
    bool bOk = false;
    double dAmount = 0;
    int nCurrency = -1;
};

bool IsStakeNumberChar(std::wstring_view s, std::size_t i) {
    return IsAmountDigit(s[i]) || IsDecimalMark(s[i]) || s[i] == 0x00A0 || s[i] == 0x202F;
}

StakeSide StakeAfter(std::wstring_view s, std::size_t i) {
    StakeSide side;
    auto skipBlanks = [&](std::size_t p) {
        while (p < s.size() && s[p] == L' ')
            ++p;
        return p;
    };
    std::size_t p = skipBlanks(i);
    if (p < s.size() && IsCurrencySign(s[p])) {
        side.nCurrency = CurrencyFromSign(s.substr(p, 1));
        p = skipBlanks(p + 1);
    }
    const std::size_t b = p;
    while (p < s.size() && IsStakeNumberChar(s, p) &&
           (IsAmountDigit(s[p]) || (p > b && p + 1 < s.size() && IsAmountDigit(s[p + 1]))))
        ++p;
    if (p == b || !ReadAmount(s.substr(b, p - b), kIPokerNumber, side.dAmount))
        return side;
    if (side.nCurrency < 0) {
        p = skipBlanks(p);
        if (p < s.size() && IsCurrencySign(s[p]))
            side.nCurrency = CurrencyFromSign(s.substr(p, 1));
    }
    side.bOk = true;
    return side;
}

StakeSide StakeBefore(std::wstring_view s, std::size_t end) {
    StakeSide side;
    auto skipBlanks = [&](std::size_t p) {
        while (p > 0 && s[p - 1] == L' ')
            --p;
        return p;
    };
    std::size_t p = skipBlanks(end);
    if (p > 0 && IsCurrencySign(s[p - 1])) {
        side.nCurrency = CurrencyFromSign(s.substr(p - 1, 1));
        p = skipBlanks(p - 1);
    }
    const std::size_t e = p;
    while (p > 0 && IsStakeNumberChar(s, p - 1) &&
           (IsAmountDigit(s[p - 1]) || (p < e && p >= 2 && IsAmountDigit(s[p - 2]))))
        --p;
    if (p == e || !ReadAmount(s.substr(p, e - p), kIPokerNumber, side.dAmount))
        return side;
    if (side.nCurrency < 0) {
        p = skipBlanks(p);
        if (p > 0 && IsCurrencySign(s[p - 1]))
            side.nCurrency = CurrencyFromSign(s.substr(p - 1, 1));
    }
    side.bOk = true;
    return side;
}

// Finds the last stake pair with a currency sign in a game type ("Omaha Pot
// limit $100.00/$200.00 Ante $0.00", "LH 20/40 x2 Limit $10.00/$20.00").
bool ReadStakes(std::wstring_view gameType, double& bigBlind, int& currency) {
    for (std::size_t slash = gameType.rfind(L'/'); slash != std::wstring_view::npos;
         slash = slash == 0 ? std::wstring_view::npos : gameType.rfind(L'/', slash - 1)) {
        const StakeSide left = StakeBefore(gameType, slash);
        const StakeSide right = StakeAfter(gameType, slash + 1);
        if (!left.bOk || !right.bOk || (left.nCurrency < 0 && right.nCurrency < 0))
            continue;
        currency = left.nCurrency >= 0 ? left.nCurrency : right.nCurrency;
        bigBlind = right.dAmount;
        return true;
    }
    return false;
}

} // namespace

double IPokerAmount(std::wstring_view text, int& currency) {
    std::wstring_view t = TrimView(text);
    std::size_t b = 0;
    while (b < t.size() && !IsAmountDigit(t[b]))
        ++b;
    if (b == t.size())
        return 0.0;
    std::size_t e = t.size();
    while (!IsAmountDigit(t[e - 1]))
        --e;
    double value = 0;
    if (!ReadAmount(t.substr(b, e - b), kIPokerNumber, value))
        return 0.0;
    std::wstring_view prefix = TrimView(t.substr(0, b));
    const std::wstring_view suffix = TrimView(t.substr(e));
    bool negative = false;
    if (!prefix.empty() && (prefix.front() == L'-' || prefix.back() == L'-')) {
        negative = true;
        prefix = TrimView(prefix.front() == L'-' ? prefix.substr(1)
                                                 : prefix.substr(0, prefix.size() - 1));
    }
    int sign = CurrencyFromSign(prefix);
    if (sign < 0)
        sign = CurrencyFromSign(suffix);
    if (sign >= 0)
        currency = sign;
    return negative ? -value : value;
}

std::wstring IPokerGameCode(std::wstring_view line) {
    if (!StartsWith(line, kIPokerGameStart))
        return {};
    const std::size_t open = line.find(L'"', kIPokerGameStart.size());
    if (open == std::wstring_view::npos)
        return {};
    const std::size_t close = line.find(L'"', open + 1);
    if (close == std::wstring_view::npos)
        return {};
    return std::wstring(line.substr(open + 1, close - open - 1));
}

int CheckIPokerGeneral(const std::vector<std::wstring>& lines, int& bigBlind, int& currency,
                       bool* winHoldsReturn) {
    currency = -1;
    std::wstring general;
    bool started = false, closed = false;
    for (const std::wstring& raw : lines) {
        std::wstring_view l = TrimView(raw);
        if (!started) {
            const std::size_t at = l.find(L"<general>");
            if (at == std::wstring_view::npos)
                continue;
            started = true;
            l = l.substr(at);
        }
        general.append(l);
        if (Contains(l, L"</general>")) {
            closed = true;
            break;
        }
    }
    if (!started)
        return kIPokerNoGeneral;
    if (!closed)
        return kIPokerOpenGeneral;
    if (winHoldsReturn)
        *winHoldsReturn = !Contains(general, L"<client_version>");
    if (Trim(GetDataFromXML(general, L"mode")) != L"real")
        return kIPokerNotRealMoney;

    double stake = 0;
    int sign = -1;
    if (ReadStakes(GetDataFromXML(general, L"gametype"), stake, sign)) {
        currency = sign;
        const double hundredths = stake * 100.0;
        if (std::isfinite(hundredths) && hundredths >= 0 && hundredths < 2e9)
            bigBlind = static_cast<int>(std::llround(hundredths));
    }
    return kIPokerCounted;
}

bool ParseHandIPoker(const HandLines& game, const std::wstring& nickname, double& result,
                     int& currency, double& bigBlind, std::wstring& gameCode, bool winHoldsReturn) {
    result = 0;

    // The first game of the lines, from its opening line to "</game>".
    std::wstring doc(kDeclaration);
    bool open = false;
    for (const std::wstring& raw : game) {
        const std::wstring_view l = TrimView(raw);
        if (!open) {
            if (!StartsWith(l, kIPokerGameStart))
                continue;
            open = true;
            gameCode = IPokerGameCode(l);
            doc.append(l);
            continue;
        }
        if (StartsWith(l, kIPokerGameStart))
            break; // the next game, whose end was never written
        if (StartsWith(l, kIPokerGameEnd)) {
            doc.append(kIPokerGameEnd);
            break;
        }
        doc.append(l);
    }
    if (!open)
        return false;

    CXmlNode root;
    if (!Parse(root, doc))
        return false;

    // The blinds of round 0. The big blind is the smallest big-blind post
    // (action type 2). A player who missed the small blind posts it with the
    // big blind, in one post of both or as a small-blind post (type 1) beside
    // it. That small blind is dead: it is in the player's "bet" but matches
    // no bet and never comes back.
    struct Posts {
        std::wstring_view name;
        double dSmall = 0, dBig = 0;
    };
    std::vector<Posts> posts;
    double gameBigBlind = 0;
    for (const auto& round : root.children) {
        if (round->name != L"round" || AttributeValue(*round, L"no") != L"0")
            continue;
        for (const auto& action : round->children) {
            if (action->name != L"action")
                continue;
            const std::wstring_view type = AttributeValue(*action, L"type");
            if (type != L"1" && type != L"2")
                continue;
            int ignored = 0;
            const double sum = IPokerAmount(AttributeValue(*action, L"sum"), ignored);
            const std::wstring_view name = AttributeValue(*action, L"player");
            auto p = std::find_if(posts.begin(), posts.end(),
                                  [&](const Posts& q) { return q.name == name; });
            if (p == posts.end())
                p = posts.insert(posts.end(), Posts{name});
            if (type == L"1") {
                p->dSmall += sum;
            } else {
                p->dBig += sum;
                if (sum > 0 && (gameBigBlind == 0 || sum < gameBigBlind))
                    gameBigBlind = sum;
            }
        }
        break;
    }
    if (gameBigBlind > 0)
        bigBlind = gameBigBlind;
    // The dead part of a player's posts: a small blind posted beside a big
    // blind, and what a big-blind post holds above the big blind (no more
    // than a big blind: a short big blind makes the others' posts look
    // larger, not dead).
    auto deadOf = [&](std::wstring_view name) {
        for (const Posts& p : posts) {
            if (p.name != name)
                continue;
            if (p.dBig <= 0)
                return 0.0;
            const double above = p.dBig - gameBigBlind;
            return p.dSmall + (above > 0 && above <= gameBigBlind ? above : 0.0);
        }
        return 0.0;
    };

    std::wstring playersText(kDeclaration);
    playersText += L"<players>";
    playersText += GetDataFromXML(doc, L"players");
    playersText += L"</players>";
    CXmlNode players;
    if (!Parse(players, playersText))
        return false;

    bool anyPlayer = false;
    double largestOpponentLive = 0, heroWon = 0, heroBet = 0, heroDead = 0;
    for (const auto& player : players.children) {
        if (player->name != L"player")
            continue;
        anyPlayer = true;
        const double won = IPokerAmount(AttributeValue(*player, L"win"), currency);
        int ignored = 0;
        const double bet = IPokerAmount(AttributeValue(*player, L"bet"), ignored);
        const std::wstring_view name = AttributeValue(*player, L"name");
        const bool hero = name == nickname;
        if (won == 0 && bet == 0) {
            if (!hero)
                continue;
            result = 0; // the hero sat this game out
            return true;
        }
        if (hero) {
            heroWon = won;
            heroBet = bet;
            heroDead = deadOf(name);
        } else {
            largestOpponentLive = std::max(largestOpponentLive, bet - deadOf(name));
        }
    }
    // A game without players (cut off before them, or empty) cannot be read.
    if (!anyPlayer)
        return false;

    // The part of the hero's live bet that no opponent's live bet matched
    // came back. Older exports add it to "win" already; newer ones leave it
    // out.
    const double returned = std::max(0.0, heroBet - heroDead - largestOpponentLive);
    result = heroWon - (winHoldsReturn ? heroBet : heroBet - returned);
    return true;
}

} // namespace tw
