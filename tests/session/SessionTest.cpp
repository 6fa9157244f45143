#include "session/Session.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tw;

namespace {

using Fired = std::vector<SessionAlarm>;

// A session over totals in memory, with a clock the test moves.
class SessionRules : public ::testing::Test {
protected:
    // Time passes, then the clock ticks; returns the alarms of that tick.
    Fired Tick(std::int64_t seconds = 5) {
        now += seconds;
        return session.Refresh().vecFired;
    }
    // A counted hand, as the history path adds it.
    void Hand(double money = 0.0, double bigBlinds = 0.0) {
        ++totals.nTotalHands;
        totals.dTotalMoney += money;
        totals.dTotalBB += bigBlinds;
    }
    // Totals after a hand, then the tick that sees it.
    Fired HandTo(double money, double bigBlinds = 0.0) {
        Hand(money - totals.dTotalMoney, bigBlinds - totals.dTotalBB);
        return Tick();
    }
    // The money alarms on, with these amounts and switches, freshly armed.
    void MoneyAlarms(double takeProfit, double stopLoss, bool trailingTakeProfit = false,
                     bool trailingStopLoss = false) {
        settings.bMoneyAlarm = 1;
        settings.dTakeProfitAmount = takeProfit;
        settings.dStopLossAmount = stopLoss;
        settings.bTakeProfit = settings.bStopLoss = 1;
        settings.bTrailingTakeProfit = trailingTakeProfit;
        settings.bTrailingStopLoss = trailingStopLoss;
        settings.ResetMoneyLevels();
    }
    void TimeAlarm(int minutes, const std::wstring& text) {
        settings.bTimeAlarm = 1;
        settings.SetTimeLimit(minutes, text);
    }
    const std::wstring& Clock() const { return session.TimeText(); }

    CSessionModel totals;
    CSessionSettings settings;
    std::int64_t now = 1'700'000'000;
    CSession session{totals, settings, [this] { return now; }};
};

const Fired kNone;
const Fired kHands{SessionAlarm::kHands};
const Fired kTakeProfit{SessionAlarm::kTakeProfit};
const Fired kStopLoss{SessionAlarm::kStopLoss};
const Fired kBBStop{SessionAlarm::kBBStopLoss};
const Fired kTime{SessionAlarm::kTime};

} // namespace

TEST_F(SessionRules, ClockShowsHoursAndMinutesOfTheSession) {
    session.Start();
    EXPECT_EQ(Clock(), L"00:00");
    Tick(3725);
    EXPECT_EQ(Clock(), L"01:02");
    EXPECT_EQ(session.Seconds(), 3725);
    Tick(100 * 3600 - 3725);
    EXPECT_EQ(Clock(), L"100:00");

    // A system clock set back shows no negative time.
    now -= 200 * 3600;
    session.Refresh();
    EXPECT_EQ(Clock(), L"00:00");
}

TEST_F(SessionRules, StartCountsFromZeroBeforeTheWatchesAndStopKeepsTheTotals) {
    totals.nTotalHands = 37;
    totals.dTotalMoney = 12.5;
    int handsWhenWatching = -1;
    session.Start([&] { handsWhenWatching = totals.nTotalHands; });
    EXPECT_EQ(handsWhenWatching, 0);
    EXPECT_TRUE(session.IsRunning());
    EXPECT_EQ(session.StartMoney(), 12.5);
    Hand(2.0);
    Hand(1.0);
    Tick(65);
    EXPECT_EQ(session.ShownHands(), 2);

    session.TogglePause();
    session.Stop();
    EXPECT_FALSE(session.IsRunning());
    EXPECT_FALSE(session.IsPaused());
    EXPECT_EQ(Clock(), L"0:00");
    EXPECT_EQ(totals.nTotalHands, 2); // counted on until the next start
    EXPECT_EQ(totals.dTotalMoney, 15.5);
    Tick(600);
    EXPECT_EQ(Clock(), L"0:00"); // no tick while stopped

    // Stopped while paused, the next session runs.
    session.Start();
    EXPECT_FALSE(session.IsPaused());
    EXPECT_EQ(totals.nTotalHands, 0);
}

TEST_F(SessionRules, PauseAndResumeKeepTheClock) {
    session.Start();
    Tick(600);
    EXPECT_EQ(Clock(), L"00:10");
    session.TogglePause();
    EXPECT_TRUE(session.IsPaused());
    for (int i = 0; i < 360; ++i) // 30 minutes of ticks
        Tick(5);
    EXPECT_EQ(Clock(), L"00:10");
    session.TogglePause();
    EXPECT_FALSE(session.IsPaused());
    Tick(5);
    EXPECT_EQ(Clock(), L"00:10");
    Tick(60);
    EXPECT_EQ(Clock(), L"00:11");
}

TEST_F(SessionRules, PausesAfterTheQuietTimeAndResumesWithTheNextHand) {
    settings.bAutoPause = 1;
    settings.nAutoPauseMin = 3;
    session.Start();
    for (int i = 0; i < 10; ++i) { // a hand every two minutes
        Tick(115);
        Hand(1.0);
        Tick(5);
    }
    EXPECT_FALSE(session.IsPaused());
    const std::wstring atLastHand = Clock();
    EXPECT_EQ(atLastHand, L"00:20");

    Tick(180); // exactly 180 s after the hand: not yet
    EXPECT_FALSE(session.IsPaused());
    Tick(5);
    EXPECT_TRUE(session.IsPaused());
    const std::wstring frozen = Clock();
    Tick(3600);
    EXPECT_EQ(Clock(), frozen);

    Hand(-2.0);
    EXPECT_TRUE(Tick(5).empty());
    EXPECT_FALSE(session.IsPaused());
    // The quiet stretch before the pause and the pause are both taken out.
    EXPECT_EQ(Clock(), atLastHand);
    Tick(5 * 60);
    EXPECT_EQ(Clock(), L"00:25");
}

TEST_F(SessionRules, HandsAlarmFiresOnceAndIsArmedAgainByAStart) {
    settings.bHandsAlarm = 1;
    settings.nHandsLimit = 700;
    session.Start();
    totals.nTotalHands = 699;
    EXPECT_EQ(Tick(), kNone);
    totals.nTotalHands = 703;
    EXPECT_EQ(Tick(), kHands);
    EXPECT_TRUE(settings.bHandsAlarmFired);
    Hand();
    EXPECT_EQ(Tick(), kNone);

    session.Start();
    totals.nTotalHands = 700;
    EXPECT_EQ(Tick(), kHands);
}

TEST_F(SessionRules, TakeProfitFiresAtTheLevelAndClearsItsSwitch) {
    session.Start();
    MoneyAlarms(100, -1000);
    EXPECT_EQ(HandTo(99.50), kNone);
    EXPECT_EQ(HandTo(100.00), kTakeProfit);
    EXPECT_EQ(settings.bTakeProfit, 0);
    EXPECT_EQ(session.Level(SessionAlarm::kTakeProfit), 100.0);
    EXPECT_EQ(HandTo(150.00), kNone);
}

TEST_F(SessionRules, MoneyAlarmsNeedTheMoneySwitchAndANewHand) {
    session.Start();
    MoneyAlarms(100, -50);
    settings.bMoneyAlarm = 0;
    EXPECT_EQ(HandTo(120), kNone);
    settings.bMoneyAlarm = 1;
    EXPECT_EQ(Tick(), kNone); // no new hand: no check
    EXPECT_EQ(HandTo(121), kTakeProfit);
}

TEST_F(SessionRules, TrailingStopLossFollowsThePeak) {
    session.Start();
    MoneyAlarms(1000, -50, false, true);
    HandTo(120);
    EXPECT_DOUBLE_EQ(settings.dPeakMoney, 120);
    EXPECT_DOUBLE_EQ(settings.dStopLossLevel, 70);
    EXPECT_EQ(HandTo(90), kNone);
    EXPECT_DOUBLE_EQ(settings.dStopLossLevel, 70); // a level never moves back
    EXPECT_EQ(HandTo(70.00), kStopLoss);
}

TEST_F(SessionRules, TrailingTakeProfitStaysAboveARisingTotal) {
    session.Start();
    MoneyAlarms(25, -1000, true, false);
    for (double total : {20.0, 40.0, 80.0, 160.0})
        EXPECT_EQ(HandTo(total), kNone) << total;
    EXPECT_DOUBLE_EQ(settings.dTakeProfitLevel, 185);
    // Every total that reaches the level is a new peak, which moves it on.
    for (double total : {150.0, 185.0, 300.0})
        EXPECT_EQ(HandTo(total), kNone) << total;
    EXPECT_DOUBLE_EQ(settings.dTakeProfitLevel, 325);

    // Without trailing the same totals fire it once.
    MoneyAlarms(25, -1000);
    EXPECT_EQ(HandTo(20), kNone);
    EXPECT_EQ(HandTo(30), kTakeProfit);
}

TEST_F(SessionRules, BigBlindStopTrailsThePeakInBigBlinds) {
    session.Start();
    MoneyAlarms(1000, -1000, false, true);
    settings.nAlarmLossBB = -30;
    settings.bStopLossBB = 1;
    settings.ResetMoneyLevels();
    HandTo(0, 12.5);
    EXPECT_DOUBLE_EQ(settings.dBBStopLevel, -17.5);
    EXPECT_EQ(HandTo(0, -17.0), kNone);
    EXPECT_EQ(HandTo(0, -17.5), kBBStop);
    EXPECT_EQ(settings.bStopLossBB, 0);
    EXPECT_EQ(HandTo(0, -40), kNone);
}

TEST_F(SessionRules, TakeProfitWinsATickWhereBothLevelsAreReached) {
    session.Start();
    MoneyAlarms(10, 20); // take profit at or below the stop loss
    EXPECT_EQ(HandTo(15), kTakeProfit);
    EXPECT_EQ(Tick(), kNone); // no new hand
    EXPECT_EQ(HandTo(15), kStopLoss);
}

TEST_F(SessionRules, AlarmsOfOneTickComeInTheirOrder) {
    settings.bHandsAlarm = 1;
    settings.nHandsLimit = 1;
    TimeAlarm(0, L"00:00");
    session.Start();
    MoneyAlarms(1000, -10);
    settings.bStopLossBB = 1;
    settings.SetBBStop(-5);
    EXPECT_EQ(HandTo(-10, -5), (Fired{SessionAlarm::kHands, SessionAlarm::kStopLoss,
                                      SessionAlarm::kBBStopLoss, SessionAlarm::kTime}));
}

TEST_F(SessionRules, TimeAlarmFiresAtItsMinuteOncePerSession) {
    // The minute the clock shows the limit, a minute the tick missed (a
    // suspended machine), and a limit written with minutes beyond 59 as the
    // settings dialog keeps it.
    const struct {
        const wchar_t* szLimit;
        std::int64_t nQuietTick; // the last tick before the limit, seconds
        std::int64_t nFiringTick;
    } cases[] = {
        {L"01:30", 89 * 60 + 55, 5}, {L"01:30", 89 * 60 + 30, 2 * 60}, {L"00:90", 89 * 60 + 55, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nQuietTick << " " << c.nFiringTick);
        TimeAlarm(90, c.szLimit);
        session.Start();
        EXPECT_EQ(Tick(c.nQuietTick), kNone);
        EXPECT_EQ(Tick(c.nFiringTick), kTime);
        EXPECT_EQ(Tick(5), kNone);
        EXPECT_EQ(Tick(3600), kNone);
        // A new session arms it again.
        session.Start();
        EXPECT_EQ(Tick(90 * 60), kTime);
    }
}

TEST_F(SessionRules, InBankrollModeTheLevelsMeetTheWholeTotal) {
    totals.dTotalMoney = 1000;
    session.Start();
    MoneyAlarms(100, -1000);
    EXPECT_EQ(Tick(), kNone);
    EXPECT_EQ(HandTo(999), kTakeProfit);
}

TEST(SessionSettings, ARaisedLimitArmsItsFiredAlarmAgain) {
    CSessionSettings s;
    s.bHandsAlarmFired = s.bTimeAlarmFired = true;
    s.SetHandsLimit(600); // fewer hands: stays fired
    s.SetTimeLimit(90, L"01:30");
    EXPECT_TRUE(s.bHandsAlarmFired);
    EXPECT_FALSE(s.bTimeAlarmFired); // longer than 60 minutes: armed again

    s.bTimeAlarmFired = true;
    s.SetHandsLimit(800);
    s.SetTimeLimit(90, L"00:90"); // the same minutes, written otherwise
    EXPECT_FALSE(s.bHandsAlarmFired);
    EXPECT_TRUE(s.bTimeAlarmFired);
    EXPECT_EQ(s.strAlarmTime, L"00:90");
    EXPECT_EQ(s.nHandsLimit, 800);

    // A new big-blind stop starts its level again; the money levels wait for
    // the next reset.
    s.dBBStopLevel = 12.5;
    s.dTakeProfitLevel = 370.5;
    s.SetBBStop(-30);
    EXPECT_EQ(s.dBBStopInitial, -30.0);
    EXPECT_EQ(s.dBBStopLevel, -30.0);
    EXPECT_EQ(s.dTakeProfitLevel, 370.5);
}
