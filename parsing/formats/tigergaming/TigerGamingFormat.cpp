// The Tiger Gaming text format as the hand engine sees it: where its hands
// start and end, their numbers, and the reader of their results.
#include "parsing/Amount.h"
#include "parsing/HandFormat.h"
#include "parsing/formats/tigergaming/TigerGaming.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

const wchar_t kTigerGame[] = L"Tiger Gaming Game #";

OpenStep Open(SplitState& s, const TextLines&, std::size_t, std::wstring_view l) {
    if (!StartsWith(l, kTigerGame))
        return OpenStep::None;
    s.nRoom = kRoomTigerGaming;
    ParseHeaderTigerGaming(std::wstring(l), s.dBigBlind, s.nCurrency);
    return OpenStep::Open;
}

LineStep Line(SplitState&, std::wstring_view l, const HandLines&) {
    return StartsWith(l, kTigerGame) ? LineStep::PassOnAndKeep : LineStep::Keep;
}

bool IsStart(std::wstring_view l, RoomNumber) {
    return StartsWith(l, kTigerGame);
}

bool IsComplete(const TextLines& lines, std::size_t first) {
    return IsSummaryComplete(lines, first, true);
}

std::wstring HandId(const HandLines& hand) {
    for (const std::wstring& l : hand) {
        if (StartsWith(TrimView(l), kTigerGame))
            return DigitsAfter(l, kTigerGame);
    }
    return {};
}

HandResult Read(const HandInput& in, const HandLines& hand) {
    HandResult r;
    r.status = HandStatus::Counted;
    r.nBigBlind = in.nBigBlind;
    r.nCurrency = in.nCurrency;
    // A malformed hand still adds what was read before the fault.
    double net = 0;
    ParseHandTigerGaming(hand, in.strNickname, net);
    r.nNet = RoundedHundredths(net);
    return r;
}

} // namespace

extern const HandFormat kTigerGamingFormat = {
    "TigerGaming",
    kRoomTigerGaming,
    kRoomTigerGaming,
    Open,
    Line,
    nullptr,
    IsStart,
    nullptr,
    {},
    IsComplete,
    HandId,
    Read,
};

} // namespace tw
