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
const wchar_t kPartyGame[] = L"Game #";
// Newer PartyPoker files write "#Game No : N" and a title without a room
// name; 888poker's titles name the room.
const wchar_t kPartyTitle[] = L"***** Hand History ";
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

const wchar_t k888GameNo[] = L"#Game No :";
// Also "***** 888poker Flopomania Table Hand History for Game " and the
// regional "***** 888poker.ca-on Hand History for Game ".
const wchar_t k888Title[] = L"***** 888poker";
// The title older clients wrote, before the room took its present name.
const wchar_t k888OldTitle[] = L"***** Cassava Hand History for Game ";

// The title line of an 888poker hand; the stakes line follows it.
bool Is888Title(std::wstring_view l) {
    return StartsWith(l, k888Title) || StartsWith(l, k888OldTitle);
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
// whether it can be read. Lines between games are dropped. Every game starts
// from the file's currency (`currency` as given), so that a game whose
// amounts carry no sign reads the same whichever batch it comes in.
void SplitIPokerGames(CSessionModel& model, const std::vector<std::wstring>& lines,
                      RoomNumber& room, double& bigBlind, int& currency, double& batchMoney,
                      int& batchHands) {
    HandLines hand;
    hand.reserve(64);
    bool gameOpen = false;
    const int fileCurrency = currency;

    auto passOn = [&] {
        if (gameOpen) {
            int bbInt = BigBlindHundredths(bigBlind);
            double money = 0;
            currency = fileCurrency;
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

// The next line that is not blank, from index i on; empty when none.
std::wstring_view NextNonBlank(const std::vector<std::wstring>& lines, std::size_t i) {
    for (; i < lines.size(); ++i) {
        std::wstring_view t = TrimView(lines[i]);
        if (!t.empty())
            return t;
    }
    return {};
}

} // namespace

bool IsHandStart(std::wstring_view line, RoomNumber room) {
    if (IsPokerStarsFamily(room))
        return ContainsStarsFamilyHeader(line);
    if (room == kRoom888)
        return StartsWith(line, k888GameNo) || Is888Title(line);
    if (IsIPoker(room))
        return StartsIPokerGame(line);
    if (room == kRoomPartyPoker)
        return StartsWith(line, kPartyGame) || StartsWith(line, k888GameNo) ||
               StartsWith(line, kPartyTitle);
    if (room == kRoomTigerGaming)
        return StartsWith(line, kTigerGame);
    return false;
}

std::size_t UnfinishedTailStart(const std::vector<std::wstring>& lines, RoomNumber room) {
    for (std::size_t i = lines.size(); i-- > 0;) {
        std::wstring_view l = TrimView(lines[i]);
        if (!IsHandStart(l, room)) {
            // An iPoker game is finished at its end tag.
            if (IsIPoker(room) && StartsWith(l, kIPokerGameEnd))
                return i + 1;
            continue;
        }
        // A PartyPoker hand starts at the first of its "Game #N starts.",
        // "#Game No : N" and title lines.
        if (room == kRoomPartyPoker) {
            std::size_t first = i;
            for (std::size_t j = i; j-- > 0;) {
                std::wstring_view p = TrimView(lines[j]);
                if (p.empty())
                    continue;
                if (!(StartsWith(p, kPartyGame) || StartsWith(p, k888GameNo)) ||
                    StartsWith(l, kPartyGame))
                    break;
                first = j;
                if (StartsWith(p, kPartyGame))
                    break;
            }
            return first;
        }
        // An 888poker hand starts at the "#Game No :" line above its title.
        if (room == kRoom888 && Is888Title(l)) {
            std::size_t j = i;
            while (j > 0 && TrimView(lines[j - 1]).empty())
                --j;
            if (j > 0 && StartsWith(TrimView(lines[j - 1]), k888GameNo))
                return j - 1;
        }
        return i;
    }
    return 0;
}

bool IsHandComplete(const std::vector<std::wstring>& lines, RoomNumber room, std::size_t first) {
    if (IsIPoker(room)) {
        for (std::size_t i = lines.size(); i-- > first;) {
            std::wstring_view l = TrimView(lines[i]);
            if (!l.empty())
                return StartsWith(l, kIPokerGameEnd);
        }
        return false;
    }
    // PokerStars-style text writes "*** SUMMARY ***" and then one line per
    // seated player; 888poker and PartyPoker "** Summary **" and a blank line
    // after the hand.
    const bool starsStyle = IsPokerStarsFamily(room) || room == kRoomTigerGaming;
    std::size_t seated = 0, summarySeats = 0;
    bool inSummary = false, betting = false;
    for (std::size_t i = first; i < lines.size(); ++i) {
        std::wstring_view l = TrimView(lines[i]);
        if (!inSummary) {
            if (StartsWith(l, L"*** SUMMARY ***") || StartsWith(l, L"** Summary **")) {
                inSummary = true;
                continue;
            }
            if (StartsWith(l, L"*** ") || StartsWith(l, L"** "))
                betting = true;
            else if (!betting && starsStyle && StartsWith(l, L"Seat ") && Contains(l, L" in chips"))
                ++seated;
            continue;
        }
        if (l.empty())
            return true; // the blank line the client writes after a hand
        if (starsStyle && StartsWith(l, L"Seat "))
            ++summarySeats;
    }
    return inSummary && starsStyle && seated > 0 && summarySeats >= seated;
}

void MakeMoneyData(CSessionModel& model, std::vector<std::wstring>& lines, RoomNumber& room,
                   const std::wstring& /*nickname*/, double& smallBlind, double& bigBlind,
                   int& currency, double& batchMoney, int& batchHands) {
    batchMoney = 0;
    if (IsIPoker(room)) {
        SplitIPokerGames(model, lines, room, bigBlind, currency, batchMoney, batchHands);
        return;
    }
    bool inHand = false;
    // 888poker: the next line is the stakes line after a title line.
    bool bStakesNext = false;
    // 888poker: the last line stored that was not blank is a "#Game No :" line.
    bool bAfterGameNo = false;
    // PartyPoker: the last line that was not blank started a hand already.
    bool bPartyCut = false;
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

    // Moves line i, trimmed, into the current hand.
    auto store = [&](std::size_t i) {
        std::wstring& s = lines[i];
        std::wstring_view t = TrimView(s);
        if (t.size() != s.size()) {
            std::size_t lead = static_cast<std::size_t>(t.data() - s.data());
            s.erase(lead + t.size());
            s.erase(0, lead);
        }
        hand.push_back(std::move(s));
    };

    const std::size_t count = lines.size();
    for (std::size_t i = 0; i < count; ++i) {
        std::wstring_view l = TrimView(lines[i]);
        const bool last = i + 1 == count;

        if (!inHand) {
            // PartyPoker: "Game #N starts.", or a "#Game No : N" line or a
            // title that names no room.
            const bool partyGameNo =
                StartsWith(l, k888GameNo) && StartsWith(NextNonBlank(lines, i + 1), kPartyTitle);
            if (StartsWith(l, kPartyGame) || partyGameNo || StartsWith(l, kPartyTitle)) {
                room = kRoomPartyPoker;
                inHand = true;
                // A hand's title that follows its "#Game No :" line belongs
                // to the same hand: it must not pass on the number alone.
                bPartyCut = StartsWith(l, kPartyGame) || StartsWith(l, k888GameNo);
                if (!StartsWith(l, kPartyGame))
                    store(i); // "Game #N starts." carries nothing the hand needs
            } else if (ContainsStarsFamilyHeader(l)) {
                if (Contains(l, L"Tournament")) {
                    store(i);
                    continue; // tournament hands are not counted
                }
                inHand = true;
                store(i);
                ParseHeaderPokerStars(hand.back(), bigBlind, currency);
            } else if (Is888Title(l) || StartsWith(l, k888GameNo)) {
                room = kRoom888;
                inHand = true;
                bAfterGameNo = !Is888Title(l);
                bStakesNext = !bAfterGameNo;
                // Lines above the first hand are the tail of a hand read
                // before; its collected lines must not pay into this one.
                hand.clear();
                hand.emplace_back(l);
            } else if (StartsWith(l, kTigerGame)) {
                room = kRoomTigerGaming;
                inHand = true;
                store(i);
                ParseHeaderTigerGaming(hand.back(), bigBlind, currency);
            } else {
                store(i);
            }
            continue;
        }

        if (last) {
            store(i);
            inHand = false;
            passOn();
            continue;
        }

        if (IsPokerStarsFamily(room)) {
            if (StartsNextStarsHand(l, room))
                passOn();
        } else if (room == kRoom888) {
            if (StartsWith(l, L"Tournament"))
                return; // a tournament hand: it and the rest of the batch are not counted
            // The hand starts are tested first: a hand cut off right after
            // its title must not swallow the next one.
            if (StartsWith(l, k888GameNo)) {
                bStakesNext = false;
                passOn();
            } else if (Is888Title(l)) {
                bStakesNext = true;
                // A title without its "#Game No :" line still starts a new
                // hand: two hands must never be read as one.
                if (!bAfterGameNo && !hand.empty())
                    passOn();
            } else if (bStakesNext) {
                bStakesNext = false;
                ParseHeader888(std::wstring(l), smallBlind, bigBlind, currency);
            }
            if (!l.empty())
                bAfterGameNo = StartsWith(l, k888GameNo);
        } else if (room == kRoomTigerGaming) {
            if (StartsWith(l, kTigerGame))
                passOn();
        } else if (room == kRoomPartyPoker) {
            if (IsPartyTournament(l))
                return; // the hand being collected is dropped with the rest
            if (IsPartyStakesLine(l))
                ParseHeaderPartyPoker(std::wstring(l), smallBlind, bigBlind, currency);
            // A hand starts at "Game #N starts.", at "#Game No : N" or at
            // its title, whichever comes first.
            const bool start = StartsWith(l, kPartyGame) || StartsWith(l, k888GameNo) ||
                               StartsWith(l, kPartyTitle);
            if (start && !bPartyCut)
                passOn();
            if (!l.empty())
                bPartyCut = StartsWith(l, kPartyGame) || StartsWith(l, k888GameNo);
        }
        store(i);
    }
    // Lines that never reached a cash-game header are dropped.
}

} // namespace tw
