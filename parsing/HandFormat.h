// The room formats the hand engine knows, one row each.
//
// Adding a format: give it a folder under parsing/formats/ holding its parser,
// its tests' subject and one `extern const HandFormat k...Format` that fills
// the row below (how a hand starts, when an unfinished last hand is complete,
// its hand id, its header reader and its result reader); then add that row to
// kHandFormats in parsing/HandFormat.cpp and its room numbers to the room list
// (model/RoomTable). The splitting loop, the tail rule and the dispatch read
// only these rows.
#pragma once

#include "model/RoomTable.h"
#include "parsing/HandParsers.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// What a format's reader made of one hand.
enum class HandStatus {
    Counted,   // the hero's result is in `nNet`
    Cancelled, // the room called the hand off: every stake went back
    Absent,    // not the hero's hand, or no real money: nothing to count
    Rejected,  // the hero's hand could not be read
};

// One hand as its format's reader gives it back.
struct HandResult {
    HandStatus status = HandStatus::Rejected;
    // Every format reports its amounts in hundredths of the table currency
    // (cents), each reader rounding once the sum it made.
    std::int64_t nNet = 0;      // the hero's net
    int nCurrency = 0;          // the table currency's number
    std::int64_t nBigBlind = 0; // 0 when unknown
    std::wstring strHandId;     // empty when the hand names none
    std::wstring strNote;       // a line for the work log, when the reader has one
};

// What a reader needs to know besides the hand's lines.
struct HandInput {
    const std::wstring& strNickname;
    std::wstring_view strFile;   // the history file the hand came from
    std::int64_t nBigBlind;      // from the header, in hundredths; 0 when unknown
    int nCurrency;               // from the header or the file
    bool bWinHoldsReturn;        // iPoker: the file's export folds returned bets into "win"
    std::wstring_view strHandId; // as the engine found it (may be empty)
};

// The state of one batch's splitting loop that a format's hooks see: the
// table, which the hooks update from the headers they read, and flags.
struct SplitState : TableState {
    std::uint32_t nFlags = 0; // kept by the format's line hook between lines
};

// What the splitting loop does with a line that opens a hand.
enum class OpenStep {
    None,      // this format does not open a hand here
    Open,      // the line starts a hand and is its first line
    OpenBare,  // the line starts a hand but carries nothing the hand needs
    OpenFresh, // starts a hand; lines gathered before it are dropped
    Skip,      // a hand that is never counted (a tournament): kept, no hand opens
};

// What the splitting loop does with a line inside a hand.
enum class LineStep {
    Keep,          // the line belongs to the current hand
    PassOnAndKeep, // the current hand is finished; the line starts the next
    PassOnAndSkip, // the current hand is finished; the line starts one never counted
    StopBatch,     // the rest of the batch is not counted (a tournament table)
};

using TextLines = std::vector<std::wstring>;

struct HandFormat {
    const char* szName;
    RoomNumber nFirstRoom, nLastRoom; // the rooms that write this format

    // Line-delimited formats: the loop asks each row in table order whether line `i`
    // (trimmed: `l`) opens a hand, while no hand is open; the row may set the
    // room and read the header. Null for formats with their own `split`.
    OpenStep (*open)(SplitState& s, const TextLines& lines, std::size_t i, std::wstring_view l);
    // Inside a hand of this format's room: where the hand ends, and headers.
    LineStep (*line)(SplitState& s, std::wstring_view l, const HandLines& hand);
    // A gathered hand that is no hand at all (nothing written yet); may be null.
    bool (*isEmpty)(const HandLines& hand);

    // True when `line` (trimmed) starts a new hand in a file of `room`.
    bool (*isHandStart)(std::wstring_view line, RoomNumber room);
    // Where the hand whose start line is `i` really begins (lines above it
    // may belong to it); null when it begins at `i`.
    std::size_t (*handBegin)(const TextLines& lines, std::size_t i);
    // A line that ends a hand on its own (iPoker "</game>"); empty if none.
    std::wstring_view strEndLine;
    // True when the hand of `lines` from `first` on is written to its end.
    bool (*isComplete)(const TextLines& lines, std::size_t first);

    // The hand or game number as the room writes it; empty if none.
    std::wstring (*handId)(const HandLines& hand);
    // Reads the hero's result of one complete hand.
    HandResult (*read)(const HandInput& in, const HandLines& hand);
};

// Every format, in the order the splitting loop asks them to open a hand.
std::span<const HandFormat* const> HandFormats();
// The format of a room, or null.
const HandFormat* FormatOf(RoomNumber room);

// The summary rule of the text formats: PokerStars-style text writes "***
// SUMMARY ***" and then one line per seated player (`seatLines`); 888poker and
// PartyPoker "** Summary **" and a blank line after the hand.
bool IsSummaryComplete(const TextLines& lines, std::size_t first, bool seatLines);

// The digits that follow `marker` in `line`, or empty.
std::wstring DigitsAfter(std::wstring_view line, std::wstring_view marker);

} // namespace tw
