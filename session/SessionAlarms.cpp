#include "session/SessionAlarms.h"

namespace tw {

namespace {

std::size_t Index(SessionAlarm alarm) {
    return static_cast<std::size_t>(alarm);
}

// The alarm is switched on in `a`.
bool IsOn(const AlarmSettings& a, SessionAlarm alarm) {
    switch (alarm) {
    case SessionAlarm::kHands:
        return a.bHandsAlarm;
    case SessionAlarm::kTakeProfit:
        return a.bMoneyAlarm && a.bTakeProfit;
    case SessionAlarm::kStopLoss:
        return a.bMoneyAlarm && a.bStopLoss;
    case SessionAlarm::kBBStopLoss:
        return a.bMoneyAlarm && a.bStopLossBB;
    case SessionAlarm::kTime:
        return a.bTimeAlarm;
    case SessionAlarm::kDayStopLoss:
        return a.bDayStopLoss;
    case SessionAlarm::kDayBBStopLoss:
        return a.bDayStopLossBB;
    case SessionAlarm::kDayTime:
        return a.bDayTime;
    }
    return false;
}

} // namespace

namespace {

// Each alarm's names, in the order of SessionAlarm.
const struct {
    const char* szKind;
    const wchar_t* szLimit;
} kAlarmNames[kSessionAlarmCount] = {
    {"hands", L"hands limit"},
    {"take_profit", L"take profit"},
    {"stop_loss", L"stop loss"},
    {"bb_stop_loss", L"big-blind stop"},
    {"time", L"time limit"},
    {"day_stop_loss", L"day stop loss"},
    {"day_bb_stop_loss", L"day big-blind stop"},
    {"day_time", L"day time limit"},
};

} // namespace

const char* AlarmKindName(SessionAlarm alarm) {
    return kAlarmNames[Index(alarm)].szKind;
}

const wchar_t* LimitName(SessionAlarm alarm) {
    return kAlarmNames[Index(alarm)].szLimit;
}

AlarmSettings TightenedOnly(const AlarmSettings& run, const AlarmSettings& want, LockResult& held) {
    AlarmSettings out = want;
    auto hold = [&](SessionAlarm alarm, bool loosened) {
        const bool kept = IsOn(run, alarm) && (!IsOn(want, alarm) || loosened);
        if (kept)
            held.vecHeld.push_back(alarm);
        return kept;
    };
    // Losses are negative: a stop loss is loosened by a lower amount.
    const bool trailingStopOff = run.bTrailingStopLoss && !want.bTrailingStopLoss;
    if (hold(SessionAlarm::kHands, want.nHandsLimit > run.nHandsLimit)) {
        out.bHandsAlarm = 1;
        out.nHandsLimit = run.nHandsLimit;
    }
    // A trailing take profit moves above every new peak: switching it on
    // loosens the limit.
    const bool takeProfit =
        hold(SessionAlarm::kTakeProfit, want.dTakeProfitAmount > run.dTakeProfitAmount ||
                                            (want.bTrailingTakeProfit && !run.bTrailingTakeProfit));
    if (takeProfit) {
        out.bTakeProfit = 1;
        out.dTakeProfitAmount = run.dTakeProfitAmount;
        out.bTrailingTakeProfit = run.bTrailingTakeProfit;
    }
    const bool stopLoss = hold(SessionAlarm::kStopLoss,
                               want.dStopLossAmount < run.dStopLossAmount || trailingStopOff);
    if (stopLoss) {
        out.bStopLoss = 1;
        out.dStopLossAmount = run.dStopLossAmount;
        out.bTrailingStopLoss = run.bTrailingStopLoss;
    }
    const bool bbStop =
        hold(SessionAlarm::kBBStopLoss, want.nAlarmLossBB < run.nAlarmLossBB || trailingStopOff);
    if (bbStop) {
        out.bStopLossBB = 1;
        out.nAlarmLossBB = run.nAlarmLossBB;
        out.bTrailingStopLoss = run.bTrailingStopLoss;
    }
    if ((takeProfit || stopLoss || bbStop) && !want.bMoneyAlarm) {
        // The money switch stays on for the limits kept; the others stay as
        // the switch left them: off.
        out.bMoneyAlarm = 1;
        out.bTakeProfit = takeProfit;
        out.bStopLoss = stopLoss;
        out.bStopLossBB = bbStop;
    }
    if (hold(SessionAlarm::kTime, want.nTimeLimit > run.nTimeLimit)) {
        out.bTimeAlarm = 1;
        out.nTimeLimit = run.nTimeLimit;
        out.strAlarmTime = run.strAlarmTime;
    }
    if (hold(SessionAlarm::kDayStopLoss, want.dDayStopLoss < run.dDayStopLoss)) {
        out.bDayStopLoss = 1;
        out.dDayStopLoss = run.dDayStopLoss;
    }
    if (hold(SessionAlarm::kDayBBStopLoss, want.nDayStopLossBB < run.nDayStopLossBB)) {
        out.bDayStopLossBB = 1;
        out.nDayStopLossBB = run.nDayStopLossBB;
    }
    if (hold(SessionAlarm::kDayTime, want.nDayMinutes > run.nDayMinutes)) {
        out.bDayTime = 1;
        out.nDayMinutes = run.nDayMinutes;
    }
    if (run.bLockLimits && !want.bLockLimits) {
        out.bLockLimits = 1;
        held.bLockHeld = true;
    }
    return out;
}

void CSessionAlarms::SetAlarms(const AlarmSettings& next) {
    AlarmState& st = alarmState;
    if (next.nHandsLimit > alarms.nHandsLimit)
        st.bHandsAlarmFired = false;
    if (next.nTimeLimit > alarms.nTimeLimit)
        st.bTimeAlarmFired = false;
    const AlarmSettings before = alarms;
    alarms = next;
    held.reset();

    // A money limit set otherwise applies now, from the peak it trails.
    if (next.dTakeProfitAmount != before.dTakeProfitAmount ||
        next.bTrailingTakeProfit != before.bTrailingTakeProfit)
        st.dTakeProfitLevel =
            next.dTakeProfitAmount + (next.bTrailingTakeProfit ? st.dPeakMoney : 0.0);
    const bool trailingChanged = next.bTrailingStopLoss != before.bTrailingStopLoss;
    if (next.dStopLossAmount != before.dStopLossAmount || trailingChanged)
        st.dStopLossLevel = next.dStopLossAmount + (next.bTrailingStopLoss ? st.dPeakMoney : 0.0);
    if (next.nAlarmLossBB != before.nAlarmLossBB || trailingChanged) {
        st.dBBStopInitial = next.nAlarmLossBB;
        st.dBBStopLevel = st.dBBStopInitial + (next.bTrailingStopLoss ? st.dPeakBB : 0.0);
    }
    for (std::size_t i = 0; i < kSessionAlarmCount; ++i) {
        const auto alarm = static_cast<SessionAlarm>(i);
        if (!IsOn(before, alarm) && IsOn(next, alarm))
            st.warnedAt[i].reset();
    }
}

LockResult CSessionAlarms::SetAlarmsLocked(const AlarmSettings& wanted) {
    LockResult result;
    const AlarmSettings now = TightenedOnly(alarms, wanted, result);
    SetAlarms(now);
    if (result.Any())
        held = wanted;
    return result;
}

void CSessionAlarms::ApplyHeld() {
    if (held) {
        const AlarmSettings wanted = *held;
        SetAlarms(wanted);
    }
}

void CSessionAlarms::ResetMoneyLevels() {
    AlarmState& st = alarmState;
    st.dTakeProfitLevel = alarms.dTakeProfitAmount;
    st.dStopLossLevel = alarms.dStopLossAmount;
    st.dBBStopInitial = st.dBBStopLevel = alarms.nAlarmLossBB;
    st.dPeakMoney = 0;
    st.dPeakBB = 0;
    for (SessionAlarm alarm :
         {SessionAlarm::kTakeProfit, SessionAlarm::kStopLoss, SessionAlarm::kBBStopLoss})
        st.warnedAt[Index(alarm)].reset();
}

void CSessionAlarms::MarkFired(SessionAlarm alarm) {
    AlarmState& st = alarmState;
    // A money alarm switches itself off, also in the settings the lock holds.
    auto switchOff = [&](int AlarmSettings::*field) {
        alarms.*field = 0;
        if (held)
            (*held).*field = 0;
    };
    switch (alarm) {
    case SessionAlarm::kHands:
        st.bHandsAlarmFired = true;
        break;
    case SessionAlarm::kTime:
        st.bTimeAlarmFired = true;
        break;
    case SessionAlarm::kTakeProfit:
        switchOff(&AlarmSettings::bTakeProfit);
        break;
    case SessionAlarm::kStopLoss:
        switchOff(&AlarmSettings::bStopLoss);
        break;
    case SessionAlarm::kBBStopLoss:
        switchOff(&AlarmSettings::bStopLossBB);
        break;
    case SessionAlarm::kDayStopLoss:
        st.bDayStopLossFired = true;
        break;
    case SessionAlarm::kDayBBStopLoss:
        st.bDayBBStopLossFired = true;
        break;
    case SessionAlarm::kDayTime:
        st.bDayTimeFired = true;
        break;
    }
}

} // namespace tw
