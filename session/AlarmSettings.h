// The alarms and the automatic pause as the user sets them: what the
// settings dialog shows and stores, read from and written to the profile as a
// whole. A plain value; where the alarms stand during a run (levels, peaks,
// which have fired) is CSessionAlarms' state, not part of it.
#pragma once

#include <string>

namespace tw {

// The sound file of one alarm.
struct CAlarmSound {
    std::wstring strPath;     // as configured; the profile keeps it as entered
    bool bFileExists = false; // strPath named an existing file when it was set

    // Sets the path and checks that it names an existing file.
    void Set(const std::wstring& path);
    // The file to play; empty when the alarm plays its built-in sound.
    std::wstring File() const { return bFileExists ? strPath : std::wstring(); }

    bool operator==(const CAlarmSound&) const = default;
};

struct AlarmSettings {
    // --- Automatic pause ---
    int bAutoPause = 0;
    int nAutoPauseMin = 3; // minutes without a hand

    // --- Time alarm ---
    int bTimeAlarm = 0;
    int nTimeLimit = 60; // minutes
    // The limit as the clock shows it, or as it was entered ("00:90" stays
    // so): the alarm fires when the clock shows this text or once nTimeLimit
    // minutes have passed.
    std::wstring strAlarmTime = L"01:00";
    int bTimeMessage = 0; // it also shows its message
    CAlarmSound soundTime;

    // --- Hands alarm ---
    int bHandsAlarm = 0;
    int nHandsLimit = 700;
    int bHandMessage = 0; // it also shows its message
    CAlarmSound soundHands;

    // --- Money alarms (they always show their message) ---
    int bMoneyAlarm = 0; // the switch of the three below
    double dTakeProfitAmount = 50.0;
    double dStopLossAmount = 0.0; // negative
    int nAlarmLossBB = -1000;     // big blinds, negative
    // Each money alarm's own switch. An alarm that fires switches itself off
    // here: the settings dialog then shows it off, and it stays off until it
    // is switched on again or the profile is read again when a session stops.
    int bTakeProfit = 0;
    int bStopLoss = 0;
    int bStopLossBB = 0;
    int bTrailingTakeProfit = 0;
    int bTrailingStopLoss = 0; // trails the money and the big-blind stop alike
    CAlarmSound soundTakeProfit;
    CAlarmSound soundStopLoss;
    CAlarmSound soundStopLossBB;

    // An alarm's message takes the keyboard focus (off: it shows on top
    // without taking it from the poker table).
    int bMessagesTakeFocus = 0;

    // --- Warnings: a quieter notice while there is still time to play
    // tighter, each once per level of its alarm ---
    int bWarnTakeProfit = 0;
    int bWarnStopLoss = 0;
    int bWarnStopLossBB = 0;
    int nWarnPercent = 80; // share of the way to the money and big-blind levels
    int bWarnHands = 0;
    int nWarnHands = 50; // hands before the hands limit
    int bWarnTime = 0;
    int nWarnMinutes = 10; // minutes before the time limit

    // While a session runs, the limits can be tightened but not loosened or
    // switched off; a loosening waits for the next session.
    int bLockLimits = 0;

    // --- Day limits: over all the sessions of the play day ---
    int bDayStopLoss = 0;
    double dDayStopLoss = -100.0; // negative
    int bDayStopLossBB = 0;
    int nDayStopLossBB = -300; // big blinds, negative
    int bDayTime = 0;
    int nDayMinutes = 240; // playing time

    // --- Break reminder ---
    int bBreakReminder = 0;
    int nBreakMinutes = 60;     // every this many minutes of playing time
    int nBreakPauseMinutes = 5; // a pause this long counts as the break

    bool operator==(const AlarmSettings&) const = default;
};

// "%02d:%02d" of hours and minutes of a time limit in minutes.
std::wstring AlarmTimeText(int minutes);

} // namespace tw
