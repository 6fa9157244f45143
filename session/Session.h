// The rules of a session: the clock with its pauses (by hand, after a quiet
// stretch, ended by the next hand), the hand count the last tick saw, the
// peaks with the trailing levels, and the alarms. It reads the totals the
// history path keeps, takes the time from an injected clock and reports what
// each tick fired; acting on an alarm (a sound, a message) is the caller's.
//
// Not thread-safe: tick it where the totals are written (the program's UI
// thread; under the model's history lock in the command-line tool).
#pragma once

#include "model/SessionModel.h"
#include "session/SessionAlarms.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tw {

class CSession;

// How a running session was ended.
enum class SessionEnd {
    kStop, // Stop was pressed
    kExit, // the program ended with the session running
};

// Learns what a session does, as it happens: the history records sessions
// through it. Called on the thread that drives the session, before the
// session changes on a Stop (its figures still stand).
class ISessionObserver {
public:
    virtual ~ISessionObserver() = default;
    // Start has set the totals to the session's start; the watches start
    // next, so no hand of the session has been counted yet.
    virtual void SessionStarted(const CSession& session) {}
    // An alarm fired at a tick (it is marked fired already).
    virtual void AlarmFired(const CSession& session, SessionAlarm alarm) {}
    // The session is about to end.
    virtual void SessionEnding(const CSession& session, SessionEnd how) {}
};

// What one clock tick did.
struct SessionTick {
    bool bNewHands = false;             // hands arrived since the last tick
    std::vector<SessionAlarm> vecFired; // each marked fired already, in firing order
    // Warnings of alarms coming near (never of one that fired at this tick),
    // in the same order.
    std::vector<SessionAlarm> vecWarned;
    bool bBreakDue = false; // the break reminder's time has come
};

// The day limits of `alarms` that `day` has reached already.
std::vector<SessionAlarm> DayLimitsReached(const DayResult& day, const AlarmSettings& alarms);

class CSession {
public:
    // Seconds since 1970-01-01 UTC.
    using Clock = std::function<std::int64_t()>;

    // `totals` and `alarms` must outlive the session. An empty clock: the
    // system time.
    CSession(CSessionModel& totals, CSessionAlarms& alarms, Clock clock = {});

    // Bankroll mode: the money total is the bankroll, carried from session
    // to session. Otherwise each Start sets it to zero, so the money figure
    // is the session's result.
    void SetCarryMoney(bool carry) { bCarryMoney = carry; }

    // What the day's earlier sessions came to; the day limits add this
    // session to it. Set it before Start (zero: the first session of the day).
    void SetDayBefore(const DayResult& day) { dayBefore = day; }
    const DayResult& DayBefore() const { return dayBefore; }

    // Takes the alarms the user set: while a session runs with the limits
    // locked only what tightens them applies now (the rest waits for the
    // next Start, and is returned); otherwise all of it.
    LockResult ChangeAlarms(const AlarmSettings& wanted);

    // Starts a session: settings the lock held apply, the hand count, the big blinds and (outside
    // bankroll mode) the money from zero, the money levels at their amounts
    // and the peaks at zero (the hands of earlier sessions forgotten), then
    // `fnStartWatches`, then the clock from zero; the hands and time alarms
    // are armed again, and so are the warnings, the day limits and the
    // break reminder.
    void Start(const std::function<void()>& fnStartWatches = {});
    // Ends the session: the clock stops and shows "0:00". The totals stay;
    // settings the lock held apply.
    // `how` is what the observer is told.
    void Stop(SessionEnd how = SessionEnd::kStop);
    // Pauses the clock, or resumes it without the time the pause took.
    void TogglePause();

    // The clock tick (the window's comes every 5 seconds), in this order: the
    // clock text unless paused, the trailing levels; then, when hands arrived,
    // the end of a pause (without the quiet time before it), the hands and
    // money alarms and the day's money limits; else the automatic pause; then
    // the time alarm and the day's time limit; then the warnings of the
    // alarms that did not fire; last the break reminder. Does nothing while
    // no session runs.
    SessionTick Refresh();

    bool IsRunning() const { return bRunning; }
    bool IsPaused() const { return bPaused; }
    // Hours and minutes of unpaused time at the last tick ("01:02", "100:00").
    const std::wstring& TimeText() const { return strTimeText; }
    // Unpaused seconds at the last tick.
    std::int64_t Seconds() const { return nSeconds; }
    // The hand count the last tick saw.
    int ShownHands() const { return nShownHands; }

    // The session's result, which the alarms, the peaks and the trailing
    // levels measure: money (display currency) and big blinds since Start.
    // In bankroll mode the money total is the bankroll; this is what the
    // session added to it.
    double Money() const { return model.dTotalMoney - dStartMoney; }
    double BigBlinds() const { return model.dTotalBB - dStartBB; }
    // The play day's result with this session's: what the day limits measure.
    double DayMoney() const { return dayBefore.dMoney + Money(); }
    double DayBigBlinds() const { return dayBefore.dBigBlinds + BigBlinds(); }
    std::int64_t DaySeconds() const { return dayBefore.nSeconds + nSeconds; }
    // The totals when the session started.
    double StartMoney() const { return dStartMoney; }
    double StartBigBlinds() const { return dStartBB; }

    // When the session started (its clock may start a little later, once
    // the watches run: that time counts as paused).
    std::int64_t BeginTime() const { return tBegin; }
    // The time now by the session's clock.
    std::int64_t Now() const { return fnNow(); }
    // Unpaused seconds at `now`: the clock's figure without waiting for a
    // tick. 0 while no session runs.
    std::int64_t PlayingSecondsAt(std::int64_t now) const;
    // Seconds since BeginTime that are not playing time: the pauses, and
    // the quiet stretch before an automatic pause once a hand ended it.
    std::int64_t PausedSecondsAt(std::int64_t now) const;
    // The alarms as set, and the display currency the money is counted in.
    const AlarmSettings& Limits() const { return alarms.Alarms(); }
    CurrencyNumber DisplayCurrency() const { return model.DisplayCurrency(); }

    // One observer at most; null removes it. Being watched does not change
    // the session, so a session shown read-only can be watched too.
    void SetObserver(ISessionObserver* observer) const { pObserver = observer; }

    // The level or limit an alarm compares with: money for take profit and
    // stop loss, big blinds for the big-blind stop, hands, minutes; the day
    // limits' over the day.
    double Level(SessionAlarm alarm) const;
    // Where an alarm's warning fires, in the same units: the set share of
    // the way from the level's starting point (zero, or the peak it trails)
    // to the level; the set hands or minutes before the limit. The day
    // limits have no warning.
    double WarningLevel(SessionAlarm alarm) const;

private:
    void PauseOrResumeAt(std::int64_t now);
    void UpdateClock(std::int64_t now);
    void UpdateTrailingLevels();
    void CheckHandsAndMoney(std::vector<SessionAlarm>& fired);
    void CheckTime(std::vector<SessionAlarm>& fired);
    // The day's money limits wait for a hand, like the session's; its time
    // limit is checked on every tick.
    void CheckDayMoney(std::vector<SessionAlarm>& fired);
    void CheckDayTime(std::vector<SessionAlarm>& fired);
    void CheckWarnings(bool newHands, SessionTick& tick);
    bool WarningArmed(SessionAlarm alarm) const;
    bool WarningReached(SessionAlarm alarm, double level) const;
    // A pause that began at `began` ends at `now`: as long as a break, it
    // starts the break reminder's count again.
    void PauseEnded(std::int64_t began, std::int64_t now);
    void Fire(SessionAlarm alarm, std::vector<SessionAlarm>& fired);

    CSessionModel& model;
    CSessionAlarms& alarms;
    Clock fnNow;

    mutable ISessionObserver* pObserver = nullptr;

    std::int64_t tBegin = 0;    // when Start was called
    std::int64_t tStart = 0;    // the clock's zero, moved on by every pause
    std::int64_t tLastHand = 0; // the last hand seen, the start or the last resume
    std::int64_t tPauseStart = 0;
    bool bRunning = false;
    bool bPaused = false;
    std::wstring strTimeText = L"00:00";
    std::int64_t nSeconds = 0;
    int nShownMinutes = 0;
    int nShownHands = 0;
    bool bCarryMoney = false;
    double dStartMoney = 0.0;
    double dStartBB = 0.0;
    DayResult dayBefore;
};

} // namespace tw
