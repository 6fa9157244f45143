#include "store/SessionLevels.h"

#include "session/SessionAlarms.h"
#include "support/TextUtil.h"

#include <algorithm>

namespace tw {

namespace {

// The hand count at which the alarm `kind` first fired; none when it did not.
std::optional<int> FiredAt(const std::vector<AlarmEntry>& alarms, SessionAlarm kind) {
    const std::wstring name = FromUtf8(AlarmKindName(kind));
    for (const AlarmEntry& a : alarms)
        if (a.strKind == name)
            return a.nHands;
    return std::nullopt;
}

} // namespace

std::vector<LimitLevels> LevelsOf(const SessionLimits& limits, const std::vector<GraphPoint>& graph,
                                  const std::vector<AlarmEntry>& alarms) {
    const std::optional<int> takeProfitFired = FiredAt(alarms, SessionAlarm::kTakeProfit);
    const std::optional<int> stopLossFired = FiredAt(alarms, SessionAlarm::kStopLoss);
    const std::optional<int> bbStopFired = FiredAt(alarms, SessionAlarm::kBBStopLoss);
    // A level stands up to the hand its alarm fired at, and is off after it.
    auto stands = [](const std::optional<int>& firedAt, int hands) {
        return !firedAt || hands <= *firedAt;
    };

    // The peaks start at 0 with the session, so a level never trails below
    // its amount.
    double peakMoney = 0.0;
    double peakBigBlinds = 0.0;
    auto at = [&](int hands) {
        LimitLevels l;
        l.nHands = hands;
        if (limits.dTakeProfit && stands(takeProfitFired, hands))
            l.dTakeProfit = *limits.dTakeProfit + (limits.bTrailingTakeProfit ? peakMoney : 0.0);
        if (limits.dStopLoss && stands(stopLossFired, hands))
            l.dStopLoss = *limits.dStopLoss + (limits.bTrailingStopLoss ? peakMoney : 0.0);
        if (limits.dBBStopLoss && stands(bbStopFired, hands))
            l.dBBStopLoss = *limits.dBBStopLoss + (limits.bTrailingStopLoss ? peakBigBlinds : 0.0);
        return l;
    };

    std::vector<LimitLevels> levels;
    levels.reserve(graph.size() + 1);
    levels.push_back(at(0));
    for (const GraphPoint& p : graph) {
        peakMoney = std::max(peakMoney, p.dMoney);
        peakBigBlinds = std::max(peakBigBlinds, p.dBigBlinds);
        levels.push_back(at(p.nHands));
    }
    return levels;
}

} // namespace tw
