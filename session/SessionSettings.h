// What the session's rules read and keep between ticks: the automatic pause,
// the alarms as configured, the levels the money alarms fire at with the
// peaks they trail, and which alarms have fired. The application object holds
// it for the whole run (the settings dialog sets it, the information dialog
// shows it); CSession applies the rules to it on every clock tick.
#pragma once

#include <string>

namespace tw {

class CSessionSettings {
public:
    // --- Automatic pause ---
    int bAutoPause = 0;
    int nAutoPauseMin = 3; // minutes without a hand

    // --- Hands alarm ---
    int bHandsAlarm = 0;
    int nHandsLimit = 700;
    bool bHandsAlarmFired = false;

    // --- Time alarm ---
    int bTimeAlarm = 0;
    int nTimeLimit = 60;                  // minutes
    std::wstring strAlarmTime = L"01:00"; // the limit as the clock shows it, or as entered
    bool bTimeAlarmFired = false;

    // --- Money alarms. A switch cleared is how its alarm is marked fired. ---
    int bMoneyAlarm = 0;
    double dTakeProfitAmount = 50.0;
    double dStopLossAmount = 0.0; // negative
    int bTakeProfit = 0;
    int bStopLoss = 0;
    int bStopLossBB = 0;
    int nAlarmLossBB = -1000; // big blinds, negative
    int bTrailingTakeProfit = 0;
    int bTrailingStopLoss = 0; // trails the money and the big-blind stop alike

    // The levels the money alarms fire at; trailing moves them with each new
    // peak, never back.
    double dTakeProfitLevel = 50.0;
    double dStopLossLevel = 0.0;
    double dBBStopInitial = -1000.0;
    double dBBStopLevel = -1000.0;
    double dPeakMoney = 0.0;
    double dPeakBB = 0.0;

    // "%02d:%02d" of hours and minutes of a time limit in minutes.
    static std::wstring AlarmTimeText(int minutes);

    // The money levels back at their amounts and the peaks at zero, as at
    // start-up and after every stop.
    void ResetMoneyLevels();
    // A new hands limit; a higher one than before arms a fired hands alarm
    // again.
    void SetHandsLimit(int hands);
    // A new time limit of `minutes`, kept with the text it was entered as
    // ("00:90" stays so; the alarm fires when the clock shows the text or
    // once the minutes have passed). A longer one than before arms a fired
    // time alarm again.
    void SetTimeLimit(int minutes, const std::wstring& text);
    // A new big-blind stop: its level starts again from it. The money levels
    // keep theirs until the next reset.
    void SetBBStop(int bigBlinds);
};

} // namespace tw
