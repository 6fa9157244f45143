#include "session/Session.h"

#include "support/TextUtil.h"

#include <algorithm>
#include <climits>
#include <ctime>

namespace tw {

namespace {

std::int64_t SystemNow() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

} // namespace

CSession::CSession(CSessionModel& totals, CSessionAlarms& sessionAlarms, Clock clock)
    : model(totals), alarms(sessionAlarms), fnNow(clock ? std::move(clock) : Clock(SystemNow)) {}

void CSession::Start(const std::function<void()>& fnStartWatches) {
    // The session's result starts from zero before any watch can count a
    // hand: outside bankroll mode the money figure is the session's, in it
    // the bankroll carries on and the session is what it gained since now.
    model.nTotalHands = 0;
    if (!bCarryMoney)
        model.dTotalMoney = 0.0;
    model.dTotalBB = 0.0;
    dStartMoney = model.dTotalMoney;
    dStartBB = model.dTotalBB;
    // The limits measure this session: its levels start from their amounts
    // and the peaks they trail from zero.
    alarms.ResetMoneyLevels();
    model.BeginSession();
    tLastHand = fnNow();
    tBegin = tLastHand;
    if (pObserver)
        pObserver->SessionStarted(*this);
    if (fnStartWatches)
        fnStartWatches();

    strTimeText = L"00:00";
    nSeconds = 0;
    nShownMinutes = 0;
    nShownHands = 0;
    alarms.alarmState.bHandsAlarmFired = false;

    tStart = fnNow();
    bRunning = true;
    bPaused = false;
    alarms.alarmState.bTimeAlarmFired = false;
}

void CSession::Stop(SessionEnd how) {
    if (bRunning && pObserver)
        pObserver->SessionEnding(*this, how);
    bRunning = false;
    bPaused = false;
    strTimeText = L"0:00";
    nShownHands = 0;
}

void CSession::TogglePause() {
    PauseOrResumeAt(fnNow());
}

void CSession::PauseOrResumeAt(std::int64_t now) {
    if (bPaused) {
        tStart += now - tPauseStart; // the clock skips the pause
        tLastHand = now;
    } else {
        tPauseStart = now;
    }
    bPaused = !bPaused;
}

void CSession::UpdateClock(std::int64_t now) {
    // A system clock set back must not show a negative time.
    nSeconds = std::max<std::int64_t>(now - tStart, 0);
    const std::int64_t minutes = nSeconds / 60;
    const std::int64_t hours = minutes / 60;
    strTimeText = Format(L"%02lld:%02lld", static_cast<long long>(hours),
                         static_cast<long long>(minutes - 60 * hours));
    nShownMinutes = static_cast<int>(std::min<std::int64_t>(minutes, INT_MAX));
}

SessionTick CSession::Refresh() {
    SessionTick tick;
    if (!bRunning)
        return tick;
    const std::int64_t now = fnNow();
    if (!bPaused)
        UpdateClock(now);
    UpdateTrailingLevels();

    if (model.nTotalHands != nShownHands) {
        const std::int64_t gap = tPauseStart - tLastHand;
        tLastHand = now;
        if (bPaused) {
            // A hand ends the pause and takes out all the time since the
            // last hand before it.
            tStart += gap;
            PauseOrResumeAt(now);
            UpdateClock(now);
        }
        nShownHands = model.nTotalHands;
        tick.bNewHands = true;
        CheckHandsAndMoney(tick.vecFired);
    } else if (!bPaused && alarms.Alarms().bAutoPause &&
               now - tLastHand > static_cast<std::int64_t>(alarms.Alarms().nAutoPauseMin) * 60) {
        PauseOrResumeAt(now);
    }

    CheckTime(tick.vecFired);
    if (pObserver)
        for (SessionAlarm alarm : tick.vecFired)
            pObserver->AlarmFired(*this, alarm);
    return tick;
}

std::int64_t CSession::PlayingSecondsAt(std::int64_t now) const {
    if (!bRunning)
        return 0;
    return std::max<std::int64_t>((bPaused ? tPauseStart : now) - tStart, 0);
}

std::int64_t CSession::PausedSecondsAt(std::int64_t now) const {
    if (!bRunning)
        return 0;
    return std::max<std::int64_t>(now - tBegin - PlayingSecondsAt(now), 0);
}

void CSession::UpdateTrailingLevels() {
    const AlarmSettings& a = alarms.Alarms();
    AlarmState& st = alarms.alarmState;
    const double money = Money();
    if (money > st.dPeakMoney) {
        st.dPeakMoney = money;
        if (a.bTrailingTakeProfit)
            st.dTakeProfitLevel = a.dTakeProfitAmount + money;
        if (a.bTrailingStopLoss)
            st.dStopLossLevel = a.dStopLossAmount + money;
    }
    const double bigBlinds = BigBlinds();
    if (bigBlinds > st.dPeakBB) {
        st.dPeakBB = bigBlinds;
        if (a.bTrailingStopLoss)
            st.dBBStopLevel = st.dBBStopInitial + bigBlinds;
    }
}

void CSession::CheckHandsAndMoney(std::vector<SessionAlarm>& fired) {
    // Each alarm is marked as it fires: the caller's message box may run an
    // event loop that ticks again, and a marked alarm cannot fire twice.
    const AlarmSettings& a = alarms.Alarms();
    const AlarmState& st = alarms.alarmState;
    auto fire = [&](SessionAlarm alarm) {
        alarms.MarkFired(alarm);
        fired.push_back(alarm);
    };
    if (a.bHandsAlarm && nShownHands >= a.nHandsLimit && !st.bHandsAlarmFired)
        fire(SessionAlarm::kHands);
    if (!a.bMoneyAlarm)
        return;
    // Take profit wins a tick where both money levels are reached (a take
    // profit at or below the stop loss); the stop loss waits for a later hand.
    if (Money() >= st.dTakeProfitLevel && a.bTakeProfit)
        fire(SessionAlarm::kTakeProfit);
    else if (Money() <= st.dStopLossLevel && a.bStopLoss)
        fire(SessionAlarm::kStopLoss);
    if (BigBlinds() <= st.dBBStopLevel && a.bStopLossBB)
        fire(SessionAlarm::kBBStopLoss);
}

void CSession::CheckTime(std::vector<SessionAlarm>& fired) {
    // The clock text matches the limit during its minute; a minute the tick
    // missed (a suspended machine) is caught by the minutes passing it.
    const AlarmSettings& a = alarms.Alarms();
    if (alarms.alarmState.bTimeAlarmFired || !a.bTimeAlarm)
        return;
    if (a.strAlarmTime != strTimeText && nShownMinutes < a.nTimeLimit)
        return;
    alarms.MarkFired(SessionAlarm::kTime);
    fired.push_back(SessionAlarm::kTime);
}

double CSession::Level(SessionAlarm alarm) const {
    const AlarmState& st = alarms.alarmState;
    switch (alarm) {
    case SessionAlarm::kHands:
        return alarms.Alarms().nHandsLimit;
    case SessionAlarm::kTakeProfit:
        return st.dTakeProfitLevel;
    case SessionAlarm::kStopLoss:
        return st.dStopLossLevel;
    case SessionAlarm::kBBStopLoss:
        return st.dBBStopLevel;
    case SessionAlarm::kTime:
        return alarms.Alarms().nTimeLimit;
    }
    return 0.0;
}

} // namespace tw
