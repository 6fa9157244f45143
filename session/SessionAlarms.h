// The alarms of the session: as the user set them (AlarmSettings) and where
// they stand in this run (AlarmState: the levels the money alarms fire at,
// the peaks they trail, which alarms and warnings have fired). The
// application object holds them for the whole run (the settings dialog sets
// them, the information dialog shows them); CSession applies the rules to
// them on every clock tick.
#pragma once

#include "session/AlarmSettings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tw {

enum class SessionAlarm {
    kHands,
    kTakeProfit,
    kStopLoss,
    kBBStopLoss,
    kTime,
    // Over the sessions of the play day.
    kDayStopLoss,
    kDayBBStopLoss,
    kDayTime,
};
constexpr std::size_t kSessionAlarmCount = 8;

// The alarm's name where it is written down (the command line's output, the
// session history): "hands", "take_profit", "stop_loss", "bb_stop_loss",
// "time", "day_stop_loss", "day_bb_stop_loss", "day_time".
const char* AlarmKindName(SessionAlarm alarm);
// The limit's name in a sentence: "take profit", "day time limit", ...
const wchar_t* LimitName(SessionAlarm alarm);
// A limit over the play day's sessions rather than this session's.
inline bool IsDayLimit(SessionAlarm alarm) {
    return alarm == SessionAlarm::kDayStopLoss || alarm == SessionAlarm::kDayBBStopLoss ||
           alarm == SessionAlarm::kDayTime;
}

// What the play day's sessions before this one (or any run of sessions) came to.
struct DayResult {
    int nSessions = 0;
    double dMoney = 0.0;
    double dBigBlinds = 0.0;
    std::int64_t nSeconds = 0; // playing time
};

// Where the alarms stand in this run.
struct AlarmState {
    // The levels the money alarms fire at; trailing moves them with each new
    // peak, never back.
    double dTakeProfitLevel = 50.0;
    double dStopLossLevel = 0.0;
    double dBBStopInitial = -1000.0;
    double dBBStopLevel = -1000.0;
    double dPeakMoney = 0.0;
    double dPeakBB = 0.0;

    // The hands and time alarms fire once per session. (A money alarm that
    // fires switches itself off in the settings instead.)
    bool bHandsAlarmFired = false;
    bool bTimeAlarmFired = false;
    // The day limits fire once per session.
    bool bDayStopLossFired = false;
    bool bDayBBStopLossFired = false;
    bool bDayTimeFired = false;

    // The alarm level each warning last fired at: it fires again only for
    // another level (a trailing level that moved, a changed limit) or once
    // its alarm is armed again.
    std::array<std::optional<double>, kSessionAlarmCount> warnedAt;

    // Playing seconds when the break reminder's count last started: at the
    // session's start, at the last reminder, after a pause as long as a break.
    std::int64_t nBreakFrom = 0;
};

// What a change of settings under the lock kept back for the next session.
struct LockResult {
    std::vector<SessionAlarm> vecHeld; // limits it would have loosened or switched off
    bool bLockHeld = false;            // it would have switched the lock off
    bool Any() const { return bLockHeld || !vecHeld.empty(); }
};

// `wanted` as far as it keeps or tightens each limit of `running` (a smaller
// take profit or stop loss, fewer hands, less time; a limit switched on):
// every other setting is taken as wanted, a limit it would loosen or switch
// off keeps its running value, and so does the lock.
AlarmSettings TightenedOnly(const AlarmSettings& running, const AlarmSettings& wanted,
                            LockResult& held);

class CSessionAlarms {
public:
    // The alarms and the automatic pause in force.
    const AlarmSettings& Alarms() const { return alarms; }
    // The alarms as the user last set them: those in force, or those held
    // for the next session by the lock. The profile keeps these.
    const AlarmSettings& Wanted() const { return held ? *held : alarms; }
    bool HasHeld() const { return held.has_value(); }

    // Takes new settings whole, as the settings dialog's OK does, and keeps
    // the state in step with them:
    //  - a higher hands limit than before arms a fired hands alarm again, a
    //    longer time limit a fired time alarm (the same number of minutes
    //    written otherwise, "00:90" for "01:30", does not);
    //  - a money limit whose amount or trailing switch changed takes its new
    //    level at once (the amount, above the peak when trailing); an
    //    unchanged one keeps its level, trailed or not;
    //  - a warning whose alarm is switched on again is armed again.
    // Drops settings held by the lock.
    void SetAlarms(const AlarmSettings& next);
    // The same while a session runs under the lock: only what tightens the
    // limits applies now; the whole of `wanted` waits for ApplyHeld.
    LockResult SetAlarmsLocked(const AlarmSettings& wanted);
    // The settings the lock held take effect (a session starts or stops).
    void ApplyHeld();

    // The money levels back at their amounts, the peaks at zero and the
    // money warnings armed, as at start-up and after every stop.
    void ResetMoneyLevels();

    // Marks an alarm that fires: the hands, time and day alarms as fired
    // until the next session (or a raised limit), a money alarm by switching
    // it off.
    void MarkFired(SessionAlarm alarm);

    // Where the alarms stand; the session's rules move it on every tick.
    AlarmState alarmState;

private:
    AlarmSettings alarms;
    std::optional<AlarmSettings> held;
};

} // namespace tw
