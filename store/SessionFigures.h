// The figures of the session history, computed here and nowhere else: per
// session and for any set of sessions, with their shares per room and per
// table file, and the totals of today, this week, this month and all time.
// Plain values, ready for a table or a graph.
#pragma once

#include "session/SessionAlarms.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tw {

// A hand's result in big blinds, as the session totals count it: its result
// over its big blind, both in the table's currency; 0 for a hand without a
// known big blind.
double HandBigBlinds(double result, double bigBlind);

// The money of a run of hands, in the order they were counted. Runs follow
// each other: a session's run appended to the run of the sessions before it
// gives the figures of all of them.
struct MoneyRun {
    int nHands = 0;
    double dMoney = 0.0;     // display currency
    double dBigBlinds = 0.0; // see HandBigBlinds
    // The highest and lowest running total, counted from 0 before the first
    // hand (so never below and never above 0).
    double dPeak = 0.0;
    double dTrough = 0.0;
    // The largest fall from a running peak to a later running total (0 or
    // more).
    double dDrawdown = 0.0;

    void Add(double money, double bigBlinds);
    void Append(const MoneyRun& next);
};

// How a recorded session ended.
enum class SessionEnded {
    kOpen,        // still running, or left open by a crash not found yet
    kStop,        // Stop was pressed
    kExit,        // the program ended with the session running
    kAlarm,       // stopped, or the program ended, after an alarm with no hand since
    kInterrupted, // left open by a crash or power cut; closed at its last hand
};
// "open", "stop", "exit", "alarm", "interrupted"; and back (kOpen for
// anything else).
const wchar_t* SessionEndedName(SessionEnded how);
SessionEnded SessionEndedFromName(const std::wstring& name);

// The limits in force when a session started; an absent one was off.
struct SessionLimits {
    std::optional<double> dTakeProfit;
    std::optional<double> dStopLoss;   // negative
    std::optional<double> dBBStopLoss; // big blinds, negative
    std::optional<int> nHands;
    std::optional<int> nMinutes;
    std::optional<int> nAutoPauseMinutes;
    bool bTrailingTakeProfit = false;
    bool bTrailingStopLoss = false;

    bool operator==(const SessionLimits&) const = default;
};

// One table file's or one room's share of some hands.
struct ShareFigures {
    std::wstring strRoom;
    std::wstring strFile; // empty for a room's share
    int nHands = 0;
    double dMoney = 0.0;
    double dBigBlinds = 0.0;
};

// A session as the history keeps it.
struct SessionRecord {
    std::int64_t nId = 0;
    std::int64_t tStart = 0;    // seconds since 1970-01-01 UTC
    std::int64_t tEnd = 0;      // 0 while open
    std::int64_t tLastHand = 0; // 0 before the first hand
    std::int64_t nPausedSeconds = 0;
    SessionEnded ended = SessionEnded::kOpen;
    std::wstring strCurrency; // the display currency, "USD"
    SessionLimits limits;
    MoneyRun run;
    std::vector<ShareFigures> vecTables; // by room, then file

    // Playing time: from the start to the end (while open, to the last
    // hand) without the pauses.
    std::int64_t Seconds() const;
};

// How fast a run of hands went: big blinds per 100 hands (0 without
// hands), hands and money per hour of playing time (0 without it).
struct Rates {
    double dBBPer100 = 0.0;
    double dHandsPerHour = 0.0;
    double dMoneyPerHour = 0.0;
};
Rates RatesOf(int hands, double bigBlinds, double money, std::int64_t seconds);

// The figures of one session or of a set of sessions.
struct Figures {
    int nSessions = 0;
    std::int64_t nSeconds = 0; // playing time
    int nHands = 0;
    double dMoney = 0.0;
    double dBigBlinds = 0.0;
    double dBBPer100 = 0.0;     // big blinds per 100 hands; 0 without hands
    double dHandsPerHour = 0.0; // 0 without playing time
    double dMoneyPerHour = 0.0;
    double dPeak = 0.0;     // the highest running total
    double dDrawdown = 0.0; // the largest fall from a running peak (0 or more)
    // The sessions' display currency; empty when they were counted in
    // different ones (their money is then added as it is).
    std::wstring strCurrency;
    std::vector<ShareFigures> vecRooms;  // by room name
    std::vector<ShareFigures> vecTables; // by room, then file
};

Figures FiguresOf(const SessionRecord& session);
// The sessions' figures as one run, in the order given (the history gives
// them in start order): the peak and drawdown run across sessions.
Figures FiguresOf(const std::vector<SessionRecord>& sessions);

// --- Periods ---
// A session belongs to the day it started in; days begin at a set time
// after midnight (local time), since sessions cross midnight. Weeks begin
// on Monday.
constexpr int kDefaultDayStartMinutes = 6 * 60;

enum class Period { kToday, kThisWeek, kThisMonth, kAllTime };

// The day a time belongs to, as days since 1970-01-01.
std::int64_t PlayDay(std::int64_t t, int dayStartMinutes = kDefaultDayStartMinutes);
// True when `t` falls into the period that holds `now`.
bool InPeriod(std::int64_t t, Period period, std::int64_t now,
              int dayStartMinutes = kDefaultDayStartMinutes);
// The sessions that started in the period that holds `now`, in their order.
std::vector<SessionRecord> SessionsIn(const std::vector<SessionRecord>& sessions, Period period,
                                      std::int64_t now,
                                      int dayStartMinutes = kDefaultDayStartMinutes);

// What the sessions of the play day that holds `now` came to: the day
// limits count them before a new session starts.
DayResult DayResultOf(const std::vector<SessionRecord>& sessions, std::int64_t now,
                      int dayStartMinutes = kDefaultDayStartMinutes);

struct PeriodTotals {
    Figures today, week, month, all;
};
PeriodTotals TotalsOf(const std::vector<SessionRecord>& sessions, std::int64_t now,
                      int dayStartMinutes = kDefaultDayStartMinutes);

// --- A session's hands ---
struct HandEntry {
    std::int64_t tCounted = 0;
    std::wstring strRoom;
    std::wstring strFile;
    std::wstring strHandId;
    std::wstring strCurrency; // the table's
    double dBigBlind = 0.0;   // table currency
    double dResult = 0.0;     // table currency
    double dMoney = 0.0;      // display currency
};

// A recorded hand: its place in the session and the session's result after it.
struct HandRow : HandEntry {
    std::int64_t nSeq = 0; // 1, 2, ... in the order counted
    double dTotal = 0.0;
};

// One point of a session's graph: after each hand.
struct GraphPoint {
    std::int64_t tCounted = 0;
    int nHands = 0;
    double dMoney = 0.0;     // the session's result so far
    double dBigBlinds = 0.0; // the same in big blinds
};
std::vector<GraphPoint> GraphOf(const std::vector<HandRow>& hands);

// An alarm that fired, with the session's figures at the time.
struct AlarmEntry {
    std::int64_t tFired = 0;
    std::wstring strKind; // "take_profit", "stop_loss", "bb_stop_loss", "hands", "time"
    double dLevel = 0.0;
    double dMoney = 0.0;
    double dBigBlinds = 0.0;
    int nHands = 0;
    std::int64_t nSeconds = 0;
};

// `t` as ISO 8601 local time with its offset: "2026-01-05T21:03:00+01:00".
std::wstring IsoLocalTime(std::int64_t t);

} // namespace tw
