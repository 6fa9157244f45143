#include "parsing/HandEngine.h"
#include "parsing/IPoker.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

// The digits that follow `marker` in `line`, or empty.
std::wstring DigitsAfter(std::wstring_view line, std::wstring_view marker) {
    std::size_t at = line.find(marker);
    if (at == std::wstring_view::npos)
        return {};
    std::size_t b = at + marker.size();
    std::size_t e = b;
    while (e < line.size() && line[e] >= L'0' && line[e] <= L'9')
        ++e;
    return std::wstring(line.substr(b, e - b));
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

// The game number of a PartyPoker hand. The hand's own "Game #N starts." line
// comes first; a batch's first hand lacks it, and a hand that ends a batch
// may end with the next hand's, so the history title is asked next.
std::wstring PartyGameId(const HandLines& hand) {
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

} // namespace

std::wstring HandIdOf(const HandLines& hand, RoomNumber room) {
    if (IsPokerStarsFamily(room)) {
        // The cash-game header; a tournament hand travelling in front of it
        // does not give its number.
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
    if (room == kRoom888) {
        // "#Game No : 414375633"; a hand without that line names its game in
        // the title: "***** 888poker Hand History for Game 414375633 *****".
        for (const std::wstring& l : hand) {
            if (StartsWith(l, L"#Game No : "))
                return DigitsAfter(l, L"#Game No : ");
            if (StartsWith(l, L"***** "))
                return DigitsAfter(l, L" for Game ");
        }
        return {};
    }
    if (IsIPoker(room)) {
        for (const std::wstring& l : hand) {
            std::wstring_view t = TrimView(l);
            if (StartsWith(t, kIPokerGameStart))
                return IPokerGameCode(t);
        }
        return {};
    }
    if (room == kRoomPartyPoker)
        return PartyGameId(hand);
    if (room == kRoomTigerGaming) {
        for (const std::wstring& l : hand) {
            if (StartsWith(TrimView(l), L"Tiger Gaming Game #"))
                return DigitsAfter(l, L"Tiger Gaming Game #");
        }
    }
    return {};
}

} // namespace tw
