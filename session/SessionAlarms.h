// The alarms of the session: as the user set them (AlarmSettings) and where
// they stand in this run (AlarmState: the levels the money alarms fire at,
// the peaks they trail, which alarms have fired). The application object
// holds them for the whole run (the settings dialog sets them, the
// information dialog shows them); CSession applies the rules to them on
// every clock tick.
#pragma once

#include "session/AlarmSettings.h"

namespace tw {

enum class SessionAlarm { kHands, kTakeProfit, kStopLoss, kBBStopLoss, kTime };

// The alarm's name where it is written down (the command line's output, the
// session history): "hands", "take_profit", "stop_loss", "bb_stop_loss",
// "time".
const char* AlarmKindName(SessionAlarm alarm);

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
};

class CSessionAlarms {
public:
    // The alarms and the automatic pause as set.
    const AlarmSettings& Alarms() const { return alarms; }

    // Takes new settings whole, as the settings dialog's OK does, and keeps
    // the state in step with them:
    //  - a higher hands limit than before arms a fired hands alarm again, a
    //    longer time limit a fired time alarm (the same number of minutes
    //    written otherwise, "00:90" for "01:30", does not);
    //  - the big-blind stop's level starts again from nAlarmLossBB, changed
    //    or not;
    //  - the money levels keep theirs until the next ResetMoneyLevels.
    void SetAlarms(const AlarmSettings& next);

    // The money levels back at their amounts and the peaks at zero, as at
    // start-up and after every stop.
    void ResetMoneyLevels();

    // Marks an alarm that fires: the hands and time alarms as fired until
    // the next session or a raised limit, a money alarm by switching it off.
    void MarkFired(SessionAlarm alarm);

    // Where the alarms stand; the session's rules move it on every tick.
    AlarmState alarmState;

private:
    AlarmSettings alarms;
};

} // namespace tw
