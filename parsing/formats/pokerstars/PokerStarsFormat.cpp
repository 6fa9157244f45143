// The PokerStars text format as the hand engine sees it: where its hands
// start and end, their numbers, and the reader of their results. UPoker and
// PokerBros write the same text under their own names.
#include "parsing/Amount.h"
#include "parsing/HandFormat.h"
#include "parsing/formats/pokerstars/PokerStars.h"
#include "support/TextUtil.h"

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

OpenStep Open(SplitState& s, const TextLines&, std::size_t, std::wstring_view l) {
    if (!ContainsStarsFamilyHeader(l))
        return OpenStep::None;
    if (Contains(l, L"Tournament"))
        return OpenStep::Skip; // tournament hands are not counted
    ParseHeaderPokerStars(std::wstring(l), s.dBigBlind, s.nCurrency);
    return OpenStep::Open;
}

// What a line that starts the next hand does: a tournament hand after a cash
// hand opens no hand either. Kept out of Line, which runs for every line of
// every hand and stays cheap that way.
[[gnu::noinline]] LineStep NextHandStep(std::wstring_view l) {
    return Contains(l, L"Tournament") ? LineStep::PassOnAndSkip : LineStep::PassOnAndKeep;
}

LineStep Line(SplitState& s, std::wstring_view l, const HandLines&) {
    return StartsNextStarsHand(l, s.nRoom) ? NextHandStep(l) : LineStep::Keep;
}

bool IsStart(std::wstring_view l, RoomNumber) {
    return ContainsStarsFamilyHeader(l);
}

bool IsComplete(const TextLines& lines, std::size_t first) {
    return IsSummaryComplete(lines, first, true);
}

// The cash-game header's number; a tournament hand travelling in front of it
// does not give its number.
std::wstring HandId(const HandLines& hand) {
    std::wstring fallback;
    for (const std::wstring& l : hand) {
        std::wstring id = DigitsAfter(l, L"Hand #");
        if (id.empty())
            id = DigitsAfter(l, L"Game #");
        if (id.empty())
            id = DigitsAfter(l, L"GAME #");
        if (id.empty())
            continue;
        if (!Contains(l, L"Tournament"))
            return id;
        if (fallback.empty())
            fallback = id;
    }
    return fallback;
}

// The room called the hand off before it was played: every stake went back.
// It writes "Hand cancelled" right above the summary, so only the lines from
// the end up to the summary's are looked at.
bool IsCancelled(const HandLines& hand) {
    constexpr std::wstring_view kSummary = L"*** SUMMARY ***", kCancelled = L"Hand cancelled";
    for (std::size_t i = hand.size(); i-- > 1;) {
        if (!StartsWith(TrimView(hand[i]), kSummary))
            continue;
        for (std::size_t j = i; j-- > 0;) {
            std::wstring_view above = TrimView(hand[j]);
            if (!above.empty())
                return above == kCancelled;
        }
        return false;
    }
    return false;
}

HandResult Read(const HandInput& in, const HandLines& hand) {
    HandResult r;
    r.status = HandStatus::Counted;
    r.nBigBlind = in.nBigBlind;
    r.nCurrency = in.nCurrency;
    if (IsCancelled(hand)) {
        r.status = HandStatus::Cancelled;
        return r;
    }
    double net = 0;
    ParseHandPokerStars(hand, in.strNickname, net, static_cast<double>(in.nBigBlind));
    r.nNet = RoundedHundredths(net);
    return r;
}

} // namespace

extern const HandFormat kPokerStarsFormat = {
    "PokerStars", kRoomPokerStars, kRoomPokerBros4, Open, Line, nullptr, IsStart, nullptr,
    {},           IsComplete,      HandId,          Read,
};

} // namespace tw
