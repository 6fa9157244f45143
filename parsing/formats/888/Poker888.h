// The 888poker text format (also its Flopomania tables).
#pragma once

#include "parsing/HandParsers.h"

#include <string>

namespace tw {

// Reads the stakes line of an 888poker hand (the line after its title):
// "$0.01/$0.02 Blinds ..." gives both blinds, "$0.05 Ante NL Flopomania ..."
// gives the ante as the big blind and a small blind of 0. Amounts are read as
// the room writes them in any locale. Blinds are in whole currency units. A
// line of no known shape, or stakes without a currency sign (play money),
// leaves all three untouched.
void ParseHeader888(const std::wstring& line, double& smallBlind, double& bigBlind, int& currency);

// What ParseHand888 made of a hand.
enum class Hand888Status {
    Counted,   // a hand the hero played; the result is in `money`
    Cancelled, // the room called the hand off (no cards dealt, table closed,
               // connection lost): every stake went back, the result is 0
    Absent,    // no seat of the hero's with real money: another player's
               // hand, or a play-money table
    Rejected,  // the hero's hand, but malformed or cut off before its result
};

// The hero's result of one 888poker hand (also Flopomania tables) in
// hundredths: what the hero collected, minus what the hero put in, plus the
// part of the hero's stake that no opponent matched when the hand does not
// already pay it back in a collected line. Returns true when the hand counts;
// `status` (when given) tells a cancelled hand from a rejected one.
bool ParseHand888(const HandLines& hand, const std::wstring& nickname, double& money,
                  Hand888Status* status = nullptr);

} // namespace tw
