// The Tiger Gaming text format.
#pragma once

#include "parsing/HandParsers.h"

#include <string>

namespace tw {

// Reads the big blind (whole units) from a "Tiger Gaming Game #" header; the
// currency is always US dollars. A line of another shape leaves both at 0.
void ParseHeaderTigerGaming(const std::wstring& header, double& bigBlind, int& currency);

// The hero's result of one Tiger Gaming hand in hundredths. Returns false when
// the hand is malformed (a seat without a name, the hero's cards missing);
// `money` then holds what was won before that line.
bool ParseHandTigerGaming(const HandLines& hand, const std::wstring& nickname, double& money);

} // namespace tw
