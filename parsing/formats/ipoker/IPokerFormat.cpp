// The iPoker XML format as the hand engine sees it: a game starts at its
// "<game gamecode=" line and ends at its "</game>".
#include "parsing/Amount.h"
#include "parsing/HandFormat.h"
#include "parsing/formats/ipoker/IPoker.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

// Some exports write the end of a game and the start of the next on one line
// ("</game><game gamecode=...>").
bool IsStart(std::wstring_view l, RoomNumber) {
    return StartsWith(l, kIPokerGameStart) ||
           (StartsWith(l, kIPokerGameEnd) && Contains(l, kIPokerGameStart));
}

bool IsComplete(const TextLines& lines, std::size_t first) {
    for (std::size_t i = lines.size(); i-- > first;) {
        std::wstring_view l = TrimView(lines[i]);
        if (!l.empty())
            return StartsWith(l, kIPokerGameEnd);
    }
    return false;
}

std::wstring HandId(const HandLines& hand) {
    for (const std::wstring& l : hand) {
        std::wstring_view t = TrimView(l);
        if (StartsWith(t, kIPokerGameStart))
            return IPokerGameCode(t);
    }
    return {};
}

HandResult Read(const HandInput& in, const HandLines& hand) {
    HandResult r;
    r.nCurrency = in.nCurrency;
    // The game's reader works in whole units: its amounts are converted here.
    double net = 0, bigBlind = static_cast<double>(in.nBigBlind) / 100.0;
    std::wstring gameCode;
    const bool read = ParseHandIPoker(hand, in.strNickname, net, r.nCurrency, bigBlind, gameCode,
                                      in.bWinHoldsReturn);
    r.nNet = RoundedHundredths(Hundredths(net));
    r.nBigBlind = RoundedHundredths(Hundredths(bigBlind));
    r.strHandId = in.strHandId.empty() ? gameCode : std::wstring(in.strHandId);
    r.status = read ? HandStatus::Counted : HandStatus::Rejected;
    // The document is read again as the client rewrites it; a game without a
    // code cannot be told from a game counted before, so it never counts.
    if (read && r.strHandId.empty()) {
        r.strNote = L"An iPoker game without a game code is not counted";
        r.status = HandStatus::Rejected;
    }
    return r;
}

} // namespace

extern const HandFormat kIPokerFormat = {
    "iPoker", kRoomTitan, kRoomBetfair,   nullptr,    nullptr, nullptr,
    IsStart,  nullptr,    kIPokerGameEnd, IsComplete, HandId,  Read,
};

} // namespace tw
