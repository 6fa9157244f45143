#include "session/SessionSettings.h"

#include "support/TextUtil.h"

namespace tw {

std::wstring CSessionSettings::AlarmTimeText(int minutes) {
    return Format(L"%02d:%02d", minutes / 60, minutes % 60);
}

void CSessionSettings::ResetMoneyLevels() {
    dTakeProfitLevel = dTakeProfitAmount;
    dStopLossLevel = dStopLossAmount;
    dBBStopInitial = dBBStopLevel = nAlarmLossBB;
    dPeakMoney = 0;
    dPeakBB = 0;
}

void CSessionSettings::SetHandsLimit(int hands) {
    if (hands > nHandsLimit)
        bHandsAlarmFired = false;
    nHandsLimit = hands;
}

void CSessionSettings::SetTimeLimit(int minutes, const std::wstring& text) {
    if (minutes > nTimeLimit)
        bTimeAlarmFired = false;
    nTimeLimit = minutes;
    strAlarmTime = text;
}

void CSessionSettings::SetBBStop(int bigBlinds) {
    nAlarmLossBB = bigBlinds;
    dBBStopInitial = dBBStopLevel = bigBlinds;
}

} // namespace tw
