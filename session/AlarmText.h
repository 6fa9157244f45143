// What an alarm's message says: which limit was reached and where the
// session stands, so a player who glances at it knows why it fired.
#pragma once

#include "session/Session.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tw {

// The session's figures when the alarm fired.
struct AlarmFigures {
    double dLevel = 0.0;     // what the alarm compared with (Session::Level)
    double dMoney = 0.0;     // the session's result, display currency
    double dBigBlinds = 0.0; // the session's result in big blinds
    int nHands = 0;
    std::int64_t nSeconds = 0; // playing time
};

struct AlarmMessage {
    std::wstring strCaption;
    std::wstring strText;
};

// The figures an alarm's message names, where `session` stands now: the
// session's, or for a day limit the day's (this session included).
AlarmFigures FiguresFor(const CSession& session, SessionAlarm alarm);

// For example "Stop loss −5.00 reached: session −7.50" under "Stop loss!".
// Negative amounts are written with a minus sign (U+2212), as people read
// them, not a hyphen.
AlarmMessage AlarmMessageFor(SessionAlarm alarm, const AlarmFigures& figures);

// A warning that an alarm comes near: "Session −8.20, stop loss at −10.00"
// under "Stop loss near". `figures.dLevel` is the alarm's level.
AlarmMessage WarningMessageFor(SessionAlarm alarm, const AlarmFigures& figures);

// The break reminder: "Time for a break", with the session's figures.
AlarmMessage BreakMessage(const AlarmFigures& figures);

// Asks whether to start although the day's sessions have reached `reached`
// (see DayLimitsReached): names each limit and the day's figure.
std::wstring DayLimitQuestion(const std::vector<SessionAlarm>& reached, const DayResult& day,
                              const AlarmSettings& alarms);

// `value` with `decimals` decimals and a real minus sign when negative
// ("−7.50"); a value that rounds to zero has no sign.
std::wstring SignedAmountText(double value, int decimals = 2);

} // namespace tw
