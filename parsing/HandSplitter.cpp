#include "parsing/HandEngine.h"
#include "parsing/IPoker.h"
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

// Some exports write the end of a game and the start of the next on one line
// ("</game><game gamecode=...>").
bool StartsIPokerGame(std::wstring_view l) {
    return StartsWith(l, kIPokerGameStart) ||
           (StartsWith(l, kIPokerGameEnd) && Contains(l, kIPokerGameStart));
}

// iPoker files: every line belongs to a game from the start; a game ends at
// its "</game>" and is passed on there. A game whose end tag never came is
// passed on when the next game starts or the batch ends; the parser decides
// whether it can be read. Lines between games are dropped.
void SplitIPokerGames(CSessionModel& model, const std::vector<std::wstring>& lines,
                      RoomNumber& room, double& bigBlind, int& currency, double& batchMoney,
                      int& batchHands) {
    HandLines hand;
    hand.reserve(64);
    bool gameOpen = false;

    auto passOn = [&] {
        if (gameOpen) {
            int bbInt = BigBlindHundredths(bigBlind);
            double money = 0;
            if (MakeMoneyDataOneHand(model, hand, room, bbInt, currency, money)) {
                ++batchHands;
                batchMoney += money;
            }
        }
        gameOpen = false;
        hand.clear();
    };

    for (const std::wstring& line : lines) {
        std::wstring_view l = TrimView(line);
        bool consumed = false;
        while (StartsWith(l, kIPokerGameEnd)) {
            hand.emplace_back(kIPokerGameEnd);
            passOn();
            l = TrimView(l.substr(kIPokerGameEnd.size()));
            consumed = true;
        }
        if (consumed && l.empty())
            continue;
        if (StartsWith(l, kIPokerGameStart)) {
            passOn(); // a game that never ended
            gameOpen = true;
        }
        hand.emplace_back(l);
    }
    passOn();
}

} // namespace

bool IsHandStart(std::wstring_view line, RoomNumber room) {
    if (IsPokerStarsFamily(room))
        return ContainsStarsFamilyHeader(line);
    if (IsIPoker(room))
        return StartsIPokerGame(line);
    return false;
}

std::size_t UnfinishedTailStart(const std::vector<std::wstring>& lines, RoomNumber room) {
    for (std::size_t i = lines.size(); i-- > 0;) {
        std::wstring_view l = TrimView(lines[i]);
        if (IsHandStart(l, room))
            return i;
        // An iPoker game is finished at its end tag.
        if (IsIPoker(room) && StartsWith(l, kIPokerGameEnd))
            return i + 1;
    }
    return 0;
}

void MakeMoneyData(CSessionModel& model, const std::vector<std::wstring>& lines, RoomNumber& room,
                   const std::wstring& /*nickname*/, double& /*smallBlind*/, double& bigBlind,
                   int& currency, double& batchMoney, int& batchHands) {
    batchMoney = 0;
    if (IsIPoker(room)) {
        SplitIPokerGames(model, lines, room, bigBlind, currency, batchMoney, batchHands);
        return;
    }
    bool inHand = false;
    HandLines hand;
    hand.reserve(64);

    auto passOn = [&] {
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
            if (ContainsStarsFamilyHeader(l)) {
                hand.emplace_back(l);
                if (Contains(l, L"Tournament"))
                    continue; // tournament hands are not counted
                inHand = true;
                ParseHeaderPokerStars(hand.back(), bigBlind, currency);
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
        }
        hand.emplace_back(l);
    }
    // Lines that never reached a cash-game header are dropped.
}

} // namespace tw
