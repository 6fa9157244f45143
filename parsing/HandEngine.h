// Cutting newly read history lines into complete hands and turning each
// hand's result into the session totals.
#pragma once

#include "model/SessionModel.h"
#include "parsing/HandParsers.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// Where a batch of lines comes from.
struct HandSource {
    std::wstring_view strFile;    // the history file: named in hand records and log lines
    bool bWinHoldsReturn = false; // iPoker: the file's export folds returned bets into "win"
};

// Cuts `lines` (one read of one file of one room) into hands with the room
// formats' rules (parsing/HandFormat.h), recognises the format from the first
// cash-game header (which may change `room`), parses
// the header for stakes and currency, and passes every complete hand to
// MakeMoneyDataOneHand. The lines are consumed (moved into the hands).
// `batchMoney` is reset, then sums the converted results (display-currency
// units); `batchHands` counts the hands.
void MakeMoneyData(CSessionModel& model, std::vector<std::wstring>& lines, RoomNumber& room,
                   const HandSource& source, double& smallBlind, double& bigBlind, int& currency,
                   double& batchMoney, int& batchHands);

// Parses one complete hand with the parser of its room, converts the result
// with the currency rate and adds it to the totals. `money` receives the
// converted result in display-currency units.
// A hand counted already this session (known by room and hand id) adds
// nothing. A hand its reader rejects is not counted; when it names the hero it
// is logged and counted in nUnreadHands, and a hand holding an absurd amount
// is always logged. Returns false for a hand that adds nothing to the batch:
// one counted already, or one rejected (except 888poker's, which are
// part of the batch's count like its cancelled ones).
bool MakeMoneyDataOneHand(CSessionModel& model, const HandLines& hand, RoomNumber room, int bbInt,
                          int& currency, double& money, const HandSource& source = {});

// The hand or game number of a hand as its room writes it (an iPoker game's
// gamecode); empty if none.
std::wstring HandIdOf(const HandLines& hand, RoomNumber room);

// True when `line` (trimmed) starts a new hand in a file of `room`'s family
// (for iPoker: a line that opens a game).
bool IsHandStart(std::wstring_view line, RoomNumber room);

// The index of the first line of the last hand that may still be unfinished:
// lines from there on should wait for more text. An iPoker game is finished
// at its "</game>". `lines.size()` when every
// line belongs to a finished hand, 0 when no hand start is found.
std::size_t UnfinishedTailStart(const std::vector<std::wstring>& lines, RoomNumber room);

// True when the hand of `lines` from `first` on is written
// to its end: its summary is complete. A hand for which this cannot be told
// gives false; the caller then waits a short while for more text.
// `first` is where the hand starts in `lines`.
bool IsHandComplete(const std::vector<std::wstring>& lines, RoomNumber room, std::size_t first = 0);

} // namespace tw
