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

// What one batch of lines added to the session.
struct BatchResult {
    double dMoney = 0; // the counted hands' results, converted: display-currency units
    int nHands = 0;    // the hands that are part of the batch (see MakeMoneyDataOneHand)
};

// Cuts `lines` (one read of one file) into hands with the room formats' rules
// (parsing/HandFormat.h), recognises the format from the first cash-game
// header (which may change `table.nRoom`), reads the headers for stakes and
// currency into `table`, and passes every complete hand to
// MakeMoneyDataOneHand. The lines are consumed (moved into the hands). The
// hand listeners learn of the batch's end last (IHandListener::HandsBatchEnded).
BatchResult MakeMoneyData(CSessionModel& model, std::vector<std::wstring>& lines, TableState& table,
                          const HandSource& source = {});

// What one hand added to the session.
struct HandOutcome {
    // The hand is one of the batch's: every hand but one counted already and
    // one rejected (except 888poker's, which are part of the batch's count
    // like its cancelled ones).
    bool bInBatch = true;
    double dMoney = 0; // the converted result in display-currency units; 0 unless counted
    int nCurrency = 0; // the table currency the hand was read in
};

// Parses one complete hand of `table`'s room, at its stakes and currency,
// with the parser of its format, converts the result with the currency rate
// and adds it to the totals. A hand counted already this session (known by
// room and hand id) adds nothing. A hand its reader rejects is not counted;
// when it names the hero it is logged and counted in nUnreadHands, and a hand
// holding an absurd amount is always logged.
HandOutcome MakeMoneyDataOneHand(CSessionModel& model, const HandLines& hand,
                                 const TableState& table, const HandSource& source = {});

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
