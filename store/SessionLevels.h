// Where a recorded session's money limits stood after each of its hands: the
// take profit and the stop loss in money, the big-blind stop in big blinds,
// each from the limits in force when the session started. Trailing levels
// follow the session's best result so far; a money alarm that fired switches
// its level off for the rest of the session, as it does while playing.
//
// The program moves the trailing levels at its clock tick, which may come
// after several hands: a peak that lasted less than a tick raises the level
// drawn here but did not raise the one in force.
#pragma once

#include "store/SessionFigures.h"

#include <optional>
#include <vector>

namespace tw {

// The levels at one point of a session; an absent one was off.
struct LimitLevels {
    int nHands = 0;
    std::optional<double> dTakeProfit; // money
    std::optional<double> dStopLoss;   // money
    std::optional<double> dBBStopLoss; // big blinds
};

// The levels before the first hand, then after each point of `graph` (the
// session's graph, in hand order), with the session's `alarms`: one more
// entry than the graph has points.
std::vector<LimitLevels> LevelsOf(const SessionLimits& limits, const std::vector<GraphPoint>& graph,
                                  const std::vector<AlarmEntry>& alarms);

} // namespace tw
