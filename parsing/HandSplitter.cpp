#include "parsing/HandEngine.h"
#include "support/TextUtil.h"

#include <cmath>

namespace tw {

namespace {

const wchar_t kStarsHand[] = L"PokerStars Hand #";
const wchar_t kStarsZoom[] = L"PokerStars Zoom Hand #";
const wchar_t kStarsHome[] = L"PokerStars Home Game Hand #";
const wchar_t kUPokerHand[] = L"UPoker Hand #";
const wchar_t kPokerBrosHand[] = L"PokerBros Hand #";
// Older clients and some tracker exports wrote "Game #" (the export upper-case).
const wchar_t kStarsGame[] = L"PokerStars Game #";
const wchar_t kStarsGameUpper[] = L"POKERSTARS GAME #";
// PartyPoker starts every hand with "Game #N starts."; Tiger Gaming with its header.
const wchar_t kPartyGame[] = L"Game #";
const wchar_t kTigerGame[] = L"Tiger Gaming Game #";

bool ContainsStarsFamilyHeader(std::wstring_view l) {
    return Contains(l, kStarsHand) || Contains(l, kStarsHome) || Contains(l, kStarsZoom) ||
           Contains(l, kUPokerHand) || Contains(l, kPokerBrosHand) || Contains(l, kStarsGame) ||
           Contains(l, kStarsGameUpper);
}

// A later hand of the same file starts here (the cut rule of each room).
bool StartsNextStarsHand(std::wstring_view l, RoomNumber room) {
    if (!StartsWith(l, L"PokerStars") && !StartsWith(l, L"UPoker") &&
        !StartsWith(l, L"PokerBros") && !StartsWith(l, L"POKERSTARS"))
        return false;
    if (StartsWith(l, kStarsHand) || StartsWith(l, kStarsZoom) || StartsWith(l, kStarsGame) ||
        StartsWith(l, kStarsGameUpper))
        return true;
    if (room == kRoomPokerStars || room == kRoomPokerStars2)
        return StartsWith(l, kStarsHome);
    if (IsUPoker(room))
        return StartsWith(l, kUPokerHand);
    if (IsPokerBros(room))
        return StartsWith(l, kPokerBrosHand);
    return false;
}

// The big blind in hundredths. Rounded to the nearest hundredth: a plain
// truncation would turn 0.58 (57.999...) into 57.
int BigBlindHundredths(double bigBlind) {
    double h = bigBlind * 100.0;
    if (!std::isfinite(h) || h <= 0 || h > 2e9)
        return 0;
    return static_cast<int>(std::llround(h));
}

// PartyPoker tournament tables; the rest of such a batch is not counted.
bool IsPartyTournament(std::wstring_view l) {
    return StartsWith(l, L"NL Texas Hold'em  Trny:") || StartsWith(l, L"Table Double or Nothing") ||
           StartsWith(l, L"Table WPT Step");
}

// A PartyPoker stakes line: the NL and PL lines carry the blinds, the others
// (limit games) at least the currency.
bool IsPartyStakesLine(std::wstring_view l) {
    return ContainsAfterFirst(l, L"Hold'em") || ContainsAfterFirst(l, L"Omaha");
}

// Nothing but "Game #N starts." and blank lines: the client has started a
// hand and written none of it yet. That is no hand to count.
bool IsEmptyPartyHand(const HandLines& hand) {
    for (const std::wstring& l : hand) {
        if (!l.empty() && !StartsWith(l, kPartyGame))
            return false;
    }
    return true;
}

} // namespace

bool IsHandStart(std::wstring_view line, RoomNumber room) {
    if (IsPokerStarsFamily(room))
        return ContainsStarsFamilyHeader(line);
    if (room == kRoomPartyPoker)
        return StartsWith(line, kPartyGame);
    if (room == kRoomTigerGaming)
        return StartsWith(line, kTigerGame);
    return false;
}

std::size_t UnfinishedTailStart(const std::vector<std::wstring>& lines, RoomNumber room) {
    for (std::size_t i = lines.size(); i-- > 0;) {
        if (IsHandStart(TrimView(lines[i]), room))
            return i;
    }
    return 0;
}

void MakeMoneyData(CSessionModel& model, const std::vector<std::wstring>& lines, RoomNumber& room,
                   const std::wstring& /*nickname*/, double& smallBlind, double& bigBlind,
                   int& currency, double& batchMoney, int& batchHands) {
    batchMoney = 0;
    bool inHand = false;
    HandLines hand;
    hand.reserve(64);

    auto passOn = [&] {
        if (room == kRoomPartyPoker && IsEmptyPartyHand(hand)) {
            hand.clear();
            return;
        }
        int bbInt = BigBlindHundredths(bigBlind);
        double money = 0;
        if (MakeMoneyDataOneHand(model, hand, room, bbInt, currency, money)) {
            ++batchHands;
            batchMoney += money;
        }
        hand.clear();
    };

    const std::size_t count = lines.size();
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring_view l = TrimView(lines[i]);
        const bool last = i + 1 == count;

        if (!inHand) {
            if (StartsWith(l, kPartyGame)) {
                // "Game #N starts." carries nothing the hand needs.
                room = kRoomPartyPoker;
                inHand = true;
            } else if (ContainsStarsFamilyHeader(l)) {
                hand.emplace_back(l);
                if (Contains(l, L"Tournament"))
                    continue; // tournament hands are not counted
                inHand = true;
                ParseHeaderPokerStars(hand.back(), bigBlind, currency);
            } else if (StartsWith(l, kTigerGame)) {
                room = kRoomTigerGaming;
                inHand = true;
                hand.emplace_back(l);
                ParseHeaderTigerGaming(hand.back(), bigBlind, currency);
            } else {
                hand.emplace_back(l);
            }
            continue;
        }

        if (last) {
            hand.emplace_back(l);
            inHand = false;
            passOn();
            continue;
        }

        if (IsPokerStarsFamily(room)) {
            if (StartsNextStarsHand(l, room))
                passOn();
        } else if (room == kRoomTigerGaming) {
            if (StartsWith(l, kTigerGame))
                passOn();
        } else if (room == kRoomPartyPoker) {
            if (IsPartyTournament(l))
                return; // the hand being collected is dropped with the rest
            if (IsPartyStakesLine(l))
                ParseHeaderPartyPoker(std::wstring(l), smallBlind, bigBlind, currency);
            if (StartsWith(l, kPartyGame))
                passOn();
        }
        hand.emplace_back(l);
    }
    // Lines that never reached a cash-game header are dropped.
}

} // namespace tw
