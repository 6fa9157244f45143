#include "parsing/HandFormat.h"
#include "support/TextUtil.h"

#include <array>

namespace tw {

extern const HandFormat kPartyPokerFormat;
extern const HandFormat kPokerStarsFormat;
extern const HandFormat k888Format;
extern const HandFormat kTigerGamingFormat;
extern const HandFormat kIPokerFormat;

namespace {

// The order is the order in which a line is offered to open a hand:
// PartyPoker's "#Game No :" line followed by a title without a room name is
// tested before 888poker's.
const std::array<const HandFormat*, 5> kHandFormats = {
    &kPartyPokerFormat, &kPokerStarsFormat, &k888Format, &kTigerGamingFormat, &kIPokerFormat,
};

} // namespace

std::span<const HandFormat* const> HandFormats() {
    return kHandFormats;
}

const HandFormat* FormatOf(RoomNumber room) {
    for (const HandFormat* f : kHandFormats)
        if (room >= f->nFirstRoom && room <= f->nLastRoom)
            return f;
    return nullptr;
}

bool IsSummaryComplete(const TextLines& lines, std::size_t first, bool seatLines) {
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
            else if (!betting && seatLines && StartsWith(l, L"Seat ") && Contains(l, L" in chips"))
                ++seated;
            continue;
        }
        if (l.empty())
            return true; // the blank line the client writes after a hand
        if (seatLines && StartsWith(l, L"Seat "))
            ++summarySeats;
    }
    return inSummary && seatLines && seated > 0 && summarySeats >= seated;
}

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

} // namespace tw
