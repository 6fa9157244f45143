// The 888poker text format as the hand engine sees it: where its hands start
// and end, their numbers, and the reader of their results.
#include "parsing/Amount.h"
#include "parsing/HandFormat.h"
#include "parsing/formats/888/Poker888.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

const wchar_t k888GameNo[] = L"#Game No :";
// Also "***** 888poker Flopomania Table Hand History for Game " and the
// regional "***** 888poker.ca-on Hand History for Game ".
const wchar_t k888Title[] = L"***** 888poker";
// The title older clients wrote, before the room took its present name.
const wchar_t k888OldTitle[] = L"***** Cassava Hand History for Game ";

// The splitting loop's flags for this format.
constexpr std::uint32_t kStakesNext = 1;  // the next line is the stakes line after a title
constexpr std::uint32_t kAfterGameNo = 2; // the last line kept that was not blank is "#Game No :"

// The title line of an 888poker hand; the stakes line follows it.
bool Is888Title(std::wstring_view l) {
    return StartsWith(l, k888Title) || StartsWith(l, k888OldTitle);
}

OpenStep Open(SplitState& s, const TextLines&, std::size_t, std::wstring_view l) {
    const bool title = Is888Title(l);
    if (!title && !StartsWith(l, k888GameNo))
        return OpenStep::None;
    s.nRoom = kRoom888;
    s.nFlags = title ? kStakesNext : kAfterGameNo;
    // Lines above the first hand are the tail of a hand read before; its
    // collected lines must not pay into this one.
    return OpenStep::OpenFresh;
}

LineStep Line(SplitState& s, std::wstring_view l, const HandLines& hand) {
    if (StartsWith(l, L"Tournament"))
        return LineStep::StopBatch; // a tournament hand: it and the rest of the batch
    LineStep step = LineStep::Keep;
    // The hand starts are tested first: a hand cut off right after its title
    // must not swallow the next one.
    if (StartsWith(l, k888GameNo)) {
        s.nFlags &= ~kStakesNext;
        step = LineStep::PassOnAndKeep;
    } else if (Is888Title(l)) {
        // A title without its "#Game No :" line still starts a new hand: two
        // hands must never be read as one.
        if (!(s.nFlags & kAfterGameNo) && !hand.empty())
            step = LineStep::PassOnAndKeep;
        s.nFlags |= kStakesNext;
    } else if (s.nFlags & kStakesNext) {
        s.nFlags &= ~kStakesNext;
        ParseHeader888(std::wstring(l), s.dSmallBlind, s.dBigBlind, s.nCurrency);
    }
    if (!l.empty()) {
        if (StartsWith(l, k888GameNo))
            s.nFlags |= kAfterGameNo;
        else
            s.nFlags &= ~kAfterGameNo;
    }
    return step;
}

bool IsStart(std::wstring_view l, RoomNumber) {
    return StartsWith(l, k888GameNo) || Is888Title(l);
}

// An 888poker hand starts at the "#Game No :" line above its title.
std::size_t HandBegin(const TextLines& lines, std::size_t i) {
    if (!Is888Title(TrimView(lines[i])))
        return i;
    std::size_t j = i;
    while (j > 0 && TrimView(lines[j - 1]).empty())
        --j;
    if (j > 0 && StartsWith(TrimView(lines[j - 1]), k888GameNo))
        return j - 1;
    return i;
}

bool IsComplete(const TextLines& lines, std::size_t first) {
    return IsSummaryComplete(lines, first, false);
}

// "#Game No : 414375633"; a hand without that line names its game in the
// title: "***** 888poker Hand History for Game 414375633 *****".
std::wstring HandId(const HandLines& hand) {
    for (const std::wstring& l : hand) {
        if (StartsWith(l, L"#Game No : "))
            return DigitsAfter(l, L"#Game No : ");
        if (StartsWith(l, L"***** "))
            return DigitsAfter(l, L" for Game ");
    }
    return {};
}

HandResult Read(const HandInput& in, const HandLines& hand) {
    HandResult r;
    r.nBigBlind = in.nBigBlind;
    r.nCurrency = in.nCurrency;
    Hand888Status status = Hand888Status::Rejected;
    double net = 0;
    if (ParseHand888(hand, in.strNickname, net, &status))
        r.status = HandStatus::Counted;
    else if (status == Hand888Status::Cancelled)
        r.status = HandStatus::Cancelled;
    else if (status == Hand888Status::Absent)
        r.status = HandStatus::Absent;
    else
        r.status = HandStatus::Rejected;
    r.nNet = RoundedHundredths(net);
    return r;
}

} // namespace

extern const HandFormat k888Format = {
    "888poker", kRoom888,  kRoom888, Open,       Line,   nullptr,
    IsStart,    HandBegin, {},       IsComplete, HandId, Read,
};

} // namespace tw
