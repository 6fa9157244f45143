// The PartyPoker text format as the hand engine sees it: where its hands
// start and end, their numbers, and the reader of their results.
#include "parsing/Amount.h"
#include "parsing/HandFormat.h"
#include "parsing/formats/partypoker/PartyPoker.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

const wchar_t kPartyGame[] = L"Game #";
const wchar_t kGameNo[] = L"#Game No :";
// Newer PartyPoker files write "#Game No : N" and a title without a room
// name; 888poker's titles name the room.
const wchar_t kPartyTitle[] = L"***** Hand History ";

// The splitting loop's flag: the last line that was not blank started a hand
// already.
constexpr std::uint32_t kCut = 1;

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

// The next line that is not blank, from index i on; empty when none.
std::wstring_view NextNonBlank(const TextLines& lines, std::size_t i) {
    for (; i < lines.size(); ++i) {
        std::wstring_view t = TrimView(lines[i]);
        if (!t.empty())
            return t;
    }
    return {};
}

bool CutsHand(std::wstring_view l) {
    return StartsWith(l, kPartyGame) || StartsWith(l, kGameNo);
}

// "Game #N starts.", or a "#Game No : N" line or a title that names no room.
OpenStep Open(SplitState& s, const TextLines& lines, std::size_t i, std::wstring_view l) {
    const bool gameNo =
        StartsWith(l, kGameNo) && StartsWith(NextNonBlank(lines, i + 1), kPartyTitle);
    if (!StartsWith(l, kPartyGame) && !gameNo && !StartsWith(l, kPartyTitle))
        return OpenStep::None;
    s.nRoom = kRoomPartyPoker;
    // A hand's title that follows its "#Game No :" line belongs to the same
    // hand: it must not pass on the number alone.
    s.nFlags = CutsHand(l) ? kCut : 0;
    // "Game #N starts." carries nothing the hand needs.
    return StartsWith(l, kPartyGame) ? OpenStep::OpenBare : OpenStep::Open;
}

LineStep Line(SplitState& s, std::wstring_view l, const HandLines&) {
    if (IsPartyTournament(l))
        return LineStep::StopBatch; // the hand being collected is dropped with the rest
    if (IsPartyStakesLine(l))
        ParseHeaderPartyPoker(std::wstring(l), s.dSmallBlind, s.dBigBlind, s.nCurrency);
    // A hand starts at "Game #N starts.", at "#Game No : N" or at its title,
    // whichever comes first.
    const bool start = CutsHand(l) || StartsWith(l, kPartyTitle);
    const LineStep step = start && !(s.nFlags & kCut) ? LineStep::PassOnAndKeep : LineStep::Keep;
    if (!l.empty())
        s.nFlags = CutsHand(l) ? kCut : 0;
    return step;
}

// Nothing but "Game #N starts." and blank lines: the client has started a
// hand and written none of it yet. That is no hand to count.
bool IsEmpty(const HandLines& hand) {
    for (const std::wstring& l : hand) {
        if (!l.empty() && !StartsWith(l, kPartyGame))
            return false;
    }
    return true;
}

bool IsStart(std::wstring_view l, RoomNumber) {
    return CutsHand(l) || StartsWith(l, kPartyTitle);
}

// A PartyPoker hand starts at the first of its "Game #N starts.", "#Game No :
// N" and title lines.
std::size_t HandBegin(const TextLines& lines, std::size_t i) {
    std::wstring_view l = TrimView(lines[i]);
    std::size_t first = i;
    for (std::size_t j = i; j-- > 0;) {
        std::wstring_view p = TrimView(lines[j]);
        if (p.empty())
            continue;
        if (!CutsHand(p) || StartsWith(l, kPartyGame))
            break;
        first = j;
        if (StartsWith(p, kPartyGame))
            break;
    }
    return first;
}

bool IsComplete(const TextLines& lines, std::size_t first) {
    return IsSummaryComplete(lines, first, false);
}

// The word that follows `marker` in `line` (newer game numbers hold letters).
std::wstring WordAfter(std::wstring_view line, std::wstring_view marker) {
    std::size_t at = line.find(marker);
    if (at == std::wstring_view::npos)
        return {};
    std::size_t b = at + marker.size();
    std::size_t e = b;
    while (e < line.size() && line[e] != L' ' && line[e] != L'*')
        ++e;
    return std::wstring(line.substr(b, e - b));
}

// The hand's own "Game #N starts." line comes first; a batch's first hand
// lacks it, and a hand that ends a batch may end with the next hand's, so the
// history title is asked next.
std::wstring HandId(const HandLines& hand) {
    for (const std::wstring& l : hand) {
        if (TrimView(l).empty())
            continue;
        if (StartsWith(TrimView(l), L"Game #"))
            return WordAfter(l, L"Game #");
        break;
    }
    static const wchar_t* const kTitles[] = {L"***** Hand History for Game ",
                                             L"***** Hand History For Game ", L"#Game No : "};
    for (const wchar_t* title : kTitles) {
        for (const std::wstring& l : hand) {
            if (StartsWith(TrimView(l), title)) {
                std::wstring id = WordAfter(l, title);
                if (!id.empty())
                    return id;
            }
        }
    }
    for (const std::wstring& l : hand) {
        if (StartsWith(TrimView(l), L"Game #"))
            return WordAfter(l, L"Game #");
    }
    return {};
}

HandResult Read(const HandInput& in, const HandLines& hand) {
    HandResult r;
    r.status = HandStatus::Counted;
    r.nBigBlind = in.nBigBlind;
    r.nCurrency = in.nCurrency;
    double net = 0;
    ParseHandPartyPoker(hand, in.strNickname, net);
    r.nNet = RoundedHundredths(net);
    return r;
}

} // namespace

extern const HandFormat kPartyPokerFormat = {
    "PartyPoker", kRoomPartyPoker, kRoomPartyPoker, Open, Line, IsEmpty, IsStart, HandBegin,
    {},           IsComplete,      HandId,          Read,
};

} // namespace tw
