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

std::vector<SessionAlarm> DayLimitsReached(const DayResult& day, const AlarmSettings& a) {
    std::vector<SessionAlarm> reached;
    if (a.bDayStopLoss && day.dMoney <= a.dDayStopLoss)
        reached.push_back(SessionAlarm::kDayStopLoss);
    if (a.bDayStopLossBB && day.dBigBlinds <= a.nDayStopLossBB)
        reached.push_back(SessionAlarm::kDayBBStopLoss);
    if (a.bDayTime && day.nSeconds >= static_cast<std::int64_t>(a.nDayMinutes) * 60)
        reached.push_back(SessionAlarm::kDayTime);
    return reached;
}

CSession::CSession(CSessionModel& totals, CSessionAlarms& sessionAlarms, Clock clock)
    : model(totals), alarms(sessionAlarms), fnNow(clock ? std::move(clock) : Clock(SystemNow)) {}

LockResult CSession::ChangeAlarms(const AlarmSettings& wanted) {
    if (bRunning && alarms.Alarms().bLockLimits)
        return alarms.SetAlarmsLocked(wanted);
    alarms.SetAlarms(wanted);
    return {};
}

void CSession::Start(const std::function<void()>& fnStartWatches) {
    // A loosening the lock held back is for this new session.
    alarms.ApplyHeld();
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
    AlarmState& st = alarms.alarmState;
    st.bHandsAlarmFired = false;
    st.bDayStopLossFired = st.bDayBBStopLossFired = st.bDayTimeFired = false;
    st.warnedAt.fill(std::nullopt);
    st.nBreakFrom = 0;

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
    alarms.ApplyHeld();
}

void CSession::TogglePause() {
    PauseOrResumeAt(fnNow());
}

void CSession::PauseOrResumeAt(std::int64_t now) {
    const bool resuming = bPaused;
    if (resuming) {
        tStart += now - tPauseStart; // the clock skips the pause
        tLastHand = now;
    } else {
        tPauseStart = now;
    }
    bPaused = !bPaused;
    if (resuming)
        PauseEnded(tPauseStart, now);
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
        const std::int64_t lastHand = tLastHand;
        tLastHand = now;
        if (bPaused) {
            // A hand ends the pause and takes out all the time since the
            // last hand before it.
            tStart += gap;
            PauseOrResumeAt(now);
            UpdateClock(now);
            PauseEnded(lastHand, now);
        }
        nShownHands = model.nTotalHands;
        tick.bNewHands = true;
        CheckHandsAndMoney(tick.vecFired);
        CheckDayMoney(tick.vecFired);
    } else if (!bPaused && alarms.Alarms().bAutoPause &&
               now - tLastHand > static_cast<std::int64_t>(alarms.Alarms().nAutoPauseMin) * 60) {
        PauseOrResumeAt(now);
    }

    CheckTime(tick.vecFired);
    CheckDayTime(tick.vecFired);
    CheckWarnings(tick.bNewHands, tick);

    const AlarmSettings& a = alarms.Alarms();
    AlarmState& st = alarms.alarmState;
    if (!bPaused && a.bBreakReminder && a.nBreakMinutes > 0 &&
        nSeconds - st.nBreakFrom >= static_cast<std::int64_t>(a.nBreakMinutes) * 60) {
        tick.bBreakDue = true;
        st.nBreakFrom = nSeconds;
    }
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

void CSession::PauseEnded(std::int64_t began, std::int64_t now) {
    const AlarmSettings& a = alarms.Alarms();
    if (now - began >= static_cast<std::int64_t>(a.nBreakPauseMinutes) * 60)
        alarms.alarmState.nBreakFrom = PlayingSecondsAt(now);
}

void CSession::Fire(SessionAlarm alarm, std::vector<SessionAlarm>& fired) {
    // Each alarm is marked as it fires: the caller's message box may run an
    // event loop that ticks again, and a marked alarm cannot fire twice.
    alarms.MarkFired(alarm);
    fired.push_back(alarm);
}

void CSession::CheckHandsAndMoney(std::vector<SessionAlarm>& fired) {
    const AlarmSettings& a = alarms.Alarms();
    const AlarmState& st = alarms.alarmState;
    auto fire = [&](SessionAlarm alarm) { Fire(alarm, fired); };
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
    Fire(SessionAlarm::kTime, fired);
}

void CSession::CheckDayMoney(std::vector<SessionAlarm>& fired) {
    const AlarmSettings& a = alarms.Alarms();
    const AlarmState& st = alarms.alarmState;
    if (a.bDayStopLoss && !st.bDayStopLossFired && DayMoney() <= a.dDayStopLoss)
        Fire(SessionAlarm::kDayStopLoss, fired);
    if (a.bDayStopLossBB && !st.bDayBBStopLossFired && DayBigBlinds() <= a.nDayStopLossBB)
        Fire(SessionAlarm::kDayBBStopLoss, fired);
}

void CSession::CheckDayTime(std::vector<SessionAlarm>& fired) {
    const AlarmSettings& a = alarms.Alarms();
    if (a.bDayTime && !alarms.alarmState.bDayTimeFired &&
        DaySeconds() >= static_cast<std::int64_t>(a.nDayMinutes) * 60)
        Fire(SessionAlarm::kDayTime, fired);
}

bool CSession::WarningArmed(SessionAlarm alarm) const {
    const AlarmSettings& a = alarms.Alarms();
    const AlarmState& st = alarms.alarmState;
    switch (alarm) {
    case SessionAlarm::kHands:
        return a.bWarnHands && a.bHandsAlarm && !st.bHandsAlarmFired &&
               a.nHandsLimit - a.nWarnHands > 0;
    case SessionAlarm::kTime:
        return a.bWarnTime && a.bTimeAlarm && !st.bTimeAlarmFired &&
               a.nTimeLimit - a.nWarnMinutes > 0;
    case SessionAlarm::kTakeProfit:
        return a.bWarnTakeProfit && a.bMoneyAlarm && a.bTakeProfit;
    case SessionAlarm::kStopLoss:
        return a.bWarnStopLoss && a.bMoneyAlarm && a.bStopLoss;
    case SessionAlarm::kBBStopLoss:
        return a.bWarnStopLossBB && a.bMoneyAlarm && a.bStopLossBB;
    default:
        return false;
    }
}

bool CSession::WarningReached(SessionAlarm alarm, double level) const {
    switch (alarm) {
    case SessionAlarm::kHands:
        return nShownHands >= level;
    case SessionAlarm::kTime:
        return nShownMinutes >= level;
    case SessionAlarm::kTakeProfit:
        return Money() >= level;
    case SessionAlarm::kStopLoss:
        return Money() <= level;
    case SessionAlarm::kBBStopLoss:
        return BigBlinds() <= level;
    default:
        return false;
    }
}

void CSession::CheckWarnings(bool newHands, SessionTick& tick) {
    AlarmState& st = alarms.alarmState;
    for (SessionAlarm alarm :
         {SessionAlarm::kHands, SessionAlarm::kTakeProfit, SessionAlarm::kStopLoss,
          SessionAlarm::kBBStopLoss, SessionAlarm::kTime}) {
        // Hands and money move with a hand, the clock with every tick.
        if (alarm != SessionAlarm::kTime && !newHands)
            continue;
        std::optional<double>& warned = st.warnedAt[static_cast<std::size_t>(alarm)];
        const double level = Level(alarm);
        if (std::find(tick.vecFired.begin(), tick.vecFired.end(), alarm) != tick.vecFired.end()) {
            warned = level; // the alarm itself has spoken
            continue;
        }
        if (!WarningArmed(alarm) || warned == level || !WarningReached(alarm, WarningLevel(alarm)))
            continue;
        warned = level;
        tick.vecWarned.push_back(alarm);
    }
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
    case SessionAlarm::kDayStopLoss:
        return alarms.Alarms().dDayStopLoss;
    case SessionAlarm::kDayBBStopLoss:
        return alarms.Alarms().nDayStopLossBB;
    case SessionAlarm::kDayTime:
        return alarms.Alarms().nDayMinutes;
    }
    return 0.0;
}

double CSession::WarningLevel(SessionAlarm alarm) const {
    const AlarmSettings& a = alarms.Alarms();
    const AlarmState& st = alarms.alarmState;
    // The level less the part of its amount the warning comes before it:
    // at 80 %, a stop loss of -10 trailing a peak of 20 (level 10) warns at 12.
    const double before = 1.0 - a.nWarnPercent / 100.0;
    switch (alarm) {
    case SessionAlarm::kHands:
        return a.nHandsLimit - a.nWarnHands;
    case SessionAlarm::kTime:
        return a.nTimeLimit - a.nWarnMinutes;
    case SessionAlarm::kTakeProfit:
        return st.dTakeProfitLevel - before * a.dTakeProfitAmount;
    case SessionAlarm::kStopLoss:
        return st.dStopLossLevel - before * a.dStopLossAmount;
    case SessionAlarm::kBBStopLoss:
        return st.dBBStopLevel - before * st.dBBStopInitial;
    default:
        return Level(alarm);
    }
}

} // namespace tw
