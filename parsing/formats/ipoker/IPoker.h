// The iPoker XML history format: one document per file, a <general> section
// that describes the table, then one <game gamecode="..."> element per hand
// with its players (their total "win" and "bet") and betting rounds.
#pragma once

#include "parsing/HandParsers.h"

#include <string>
#include <string_view>
#include <vector>

namespace tw {

// The first characters of the line that opens a game.
inline constexpr std::wstring_view kIPokerGameStart = L"<game gamecode=";
inline constexpr std::wstring_view kIPokerGameEnd = L"</game>";

// What CheckIPokerGeneral answers.
enum : int {
    kIPokerCounted = 10,      // a real-money table: its games are counted
    kIPokerNoGeneral = 0,     // no <general> section in the lines
    kIPokerOpenGeneral = 1,   // <general> without </general>
    kIPokerNotRealMoney = -10 // play money (or no mode at all)
};

// Reads the file-level <general> section from the lines of a file's first
// batch and decides whether the file's games are counted. On a stake pair in
// <gametype> ("NL €0.05/€0.10") it sets `currency` (-1 first, changed only by
// a known sign) and `bigBlind` (hundredths). `winHoldsReturn`, when given,
// tells whether the export folds the returned part of a bet into each
// player's "win": older exports (without <client_version>) do.
int CheckIPokerGeneral(const std::vector<std::wstring>& lines, int& bigBlind, int& currency,
                       bool* winHoldsReturn = nullptr);

// The hero's result of one game in whole currency units. `game` holds the
// game's lines (lines outside the first <game> element are ignored). Sets
// `currency` from the players' amounts, `bigBlind` (whole units) from the
// first big-blind post of round 0, and `gameCode`. Returns false when the
// game cannot be read (no game, unreadable XML, no players); the hand is then
// not counted. `winHoldsReturn` as CheckIPokerGeneral reports it for the file.
bool ParseHandIPoker(const HandLines& game, const std::wstring& nickname, double& result,
                     int& currency, double& bigBlind, std::wstring& gameCode,
                     bool winHoldsReturn = false);

// The game code of a line that opens a game ("<game gamecode="123">" gives
// "123"); empty when there is none.
std::wstring IPokerGameCode(std::wstring_view line);

// An amount as iPoker writes it, read whole: "$1,728.25", "15 788,50 $",
// "€51,18", "0,01 $", "222,75$", "$ 10". A currency sign before or after the
// amount ("$", "€", "£" or their codes) sets `currency`; other text leaves it.
// Text that is not an amount reads as 0.
double IPokerAmount(std::wstring_view text, int& currency);

} // namespace tw
