// The PartyPoker text format.
#pragma once

#include "parsing/HandParsers.h"

#include <string>
#include <string_view>

namespace tw {

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

// Reads one amount as the PartyPoker and Tiger Gaming lines write it, into
// hundredths: the shared money reader, after a sentence-ending period is
// dropped ("[$0.25 USD].").
bool ParsePartyAmount(std::wstring_view text, double& hundredths);

} // namespace tw
