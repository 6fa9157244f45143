// What every room format's parser reads: the lines of one hand, and the
// table they were written at.
#pragma once

#include "model/RoomTable.h"

#include <string>
#include <vector>

namespace tw {

using HandLines = std::vector<std::wstring>;

// The table a file's hands are played at, as far as its headers tell: the
// room that writes the file (the first cash-game header may change it), and
// the stakes and currency of the last header read. It carries over from one
// batch of a file's lines to the next.
struct TableState {
    RoomNumber nRoom = 0;
    double dSmallBlind = 0, dBigBlind = 0; // whole currency units; 0 when unknown
    int nCurrency = 0;
};

} // namespace tw
