#include "session/SessionAlarms.h"

namespace tw {

const char* AlarmKindName(SessionAlarm alarm) {
    switch (alarm) {
    case SessionAlarm::kHands:
        return "hands";
    case SessionAlarm::kTakeProfit:
        return "take_profit";
    case SessionAlarm::kStopLoss:
        return "stop_loss";
    case SessionAlarm::kBBStopLoss:
        return "bb_stop_loss";
    case SessionAlarm::kTime:
        return "time";
    }
    return "";
}

void CSessionAlarms::SetAlarms(const AlarmSettings& next) {
    if (next.nHandsLimit > alarms.nHandsLimit)
        alarmState.bHandsAlarmFired = false;
    if (next.nTimeLimit > alarms.nTimeLimit)
        alarmState.bTimeAlarmFired = false;
    alarms = next;
    alarmState.dBBStopInitial = alarmState.dBBStopLevel = alarms.nAlarmLossBB;
}

void CSessionAlarms::ResetMoneyLevels() {
    alarmState.dTakeProfitLevel = alarms.dTakeProfitAmount;
    alarmState.dStopLossLevel = alarms.dStopLossAmount;
    alarmState.dBBStopInitial = alarmState.dBBStopLevel = alarms.nAlarmLossBB;
    alarmState.dPeakMoney = 0;
    alarmState.dPeakBB = 0;
}

void CSessionAlarms::MarkFired(SessionAlarm alarm) {
    switch (alarm) {
    case SessionAlarm::kHands:
        alarmState.bHandsAlarmFired = true;
        break;
    case SessionAlarm::kTime:
        alarmState.bTimeAlarmFired = true;
        break;
    case SessionAlarm::kTakeProfit:
        alarms.bTakeProfit = 0;
        break;
    case SessionAlarm::kStopLoss:
        alarms.bStopLoss = 0;
        break;
    case SessionAlarm::kBBStopLoss:
        alarms.bStopLossBB = 0;
        break;
    }
}

} // namespace tw
