// The per-format hand parsers and their header readers. Each parser fills the
// hero's result of one complete hand: hundredths of the table currency for
// the text formats.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tw {

using HandLines = std::vector<std::wstring>;

// Reads the big blind (whole currency units) and the currency number from the
// first line of a hand in the PokerStars text format (also UPoker and
// PokerBros). A line of no known shape leaves both at 0.
void ParseHeaderPokerStars(const std::wstring& header, double& bigBlind, int& currency);

// The hero's result of one PokerStars-format hand in hundredths. `bbHundredths`
// is the header's big blind in hundredths (0 when unknown); it splits a
// "posts small & big blinds" post into its live and dead parts.
void ParseHandPokerStars(const HandLines& hand, const std::wstring& nickname, double& money,
                         double bbHundredths = 0.0);

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

// Reads the stakes line of a PartyPoker hand ("$0.05/$0.10 USD NL Texas
// Hold'em - Monday, August 30, 16:08:09 EDT 2010", "$100 USD PL Omaha - ...")
// into the blinds (whole currency units) and the currency number. A stakes
// line without blinds ("€10 EUR NL Texas Hold'em - ...", limit games) sets
// only the currency; a line of no known shape changes nothing.
void ParseHeaderPartyPoker(const std::wstring& header, double& smallBlind, double& bigBlind,
                           int& currency);

// The hero's result of one PartyPoker hand in hundredths: what the hero won
// minus all the hero put in. Only lines that name exactly `nickname` count.
void ParseHandPartyPoker(const HandLines& hand, const std::wstring& nickname, double& money);

// Reads the big blind (whole units) from a "Tiger Gaming Game #" header; the
// currency is always US dollars. A line of another shape leaves both at 0.
void ParseHeaderTigerGaming(const std::wstring& header, double& bigBlind, int& currency);

// The hero's result of one Tiger Gaming hand in hundredths. Returns false when
// the hand is malformed (a seat without a name, the hero's cards missing);
// `money` then holds what was won before that line.
bool ParseHandTigerGaming(const HandLines& hand, const std::wstring& nickname, double& money);

// Reads one amount as the PartyPoker and Tiger Gaming lines write it, into
// hundredths: the shared money reader, after a sentence-ending period is
// dropped ("[$0.25 USD].").
bool ParsePartyAmount(std::wstring_view text, double& hundredths);

} // namespace tw
