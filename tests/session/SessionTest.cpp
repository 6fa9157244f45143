#include "session/Session.h"
#include "session/AlarmText.h"
#include "tests/TestUtil.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tw;
using twtest::ChangeAlarms;
using twtest::Changed;

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
        Change([&](AlarmSettings& a) {
            a.bMoneyAlarm = 1;
            a.dTakeProfitAmount = takeProfit;
            a.dStopLossAmount = stopLoss;
            a.bTakeProfit = a.bStopLoss = 1;
            a.bTrailingTakeProfit = trailingTakeProfit;
            a.bTrailingStopLoss = trailingStopLoss;
        });
        alarms.ResetMoneyLevels();
    }
    void TimeAlarm(int minutes, const std::wstring& text) {
        Change([&](AlarmSettings& a) {
            a.bTimeAlarm = 1;
            a.nTimeLimit = minutes;
            a.strAlarmTime = text;
        });
    }
    template <class F> void Change(F change) { ChangeAlarms(alarms, change); }

    // One step of a session: a hand that brings the totals to `money` and
    // `bigBlinds` (and the hand count to `hands` when above 0), or with
    // `seconds` only time passing; then the tick, whose alarms and warnings
    // must be `fired` and `warned`.
    struct Step {
        Step(double m, double bb = 0.0, int n = 0, std::int64_t s = 0, Fired f = {}, Fired w = {})
            : money(m), bigBlinds(bb), hands(n), seconds(s), fired(std::move(f)),
              warned(std::move(w)) {}
        double money;
        double bigBlinds;
        int hands;
        std::int64_t seconds;
        Fired fired;
        Fired warned;
    };
    void Play(const std::vector<Step>& steps) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const Step& step = steps[i];
            SCOPED_TRACE(testing::Message() << "step " << i);
            if (step.seconds == 0) {
                Hand(step.money - totals.dTotalMoney, step.bigBlinds - totals.dTotalBB);
                if (step.hands > 0)
                    totals.nTotalHands = step.hands;
            }
            now += step.seconds > 0 ? step.seconds : 5;
            const SessionTick tick = session.Refresh();
            EXPECT_EQ(tick.vecFired, step.fired);
            EXPECT_EQ(tick.vecWarned, step.warned);
        }
    }
    const std::wstring& Clock() const { return session.TimeText(); }

    CSessionModel totals;
    CSessionAlarms alarms;
    const AlarmSettings& settings = alarms.Alarms();
    const AlarmState& state = alarms.alarmState;
    std::int64_t now = 1'700'000'000;
    CSession session{totals, alarms, [this] { return now; }};
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
    // Outside bankroll mode the money figure is the session's own result; in
    // it the total is the bankroll and carries on. Either way the session's
    // result starts from zero before a watch can count a hand.
    for (const bool bankroll : {false, true}) {
        SCOPED_TRACE(bankroll ? "bankroll" : "session money");
        session.SetCarryMoney(bankroll);
        totals.nTotalHands = 37;
        totals.dTotalMoney = 12.5;
        totals.dTotalBB = 4.0;
        const double start = bankroll ? 12.5 : 0.0;
        int handsWhenWatching = -1;
        double moneyWhenWatching = -1.0;
        session.Start([&] {
            handsWhenWatching = totals.nTotalHands;
            moneyWhenWatching = totals.dTotalMoney;
        });
        EXPECT_EQ(handsWhenWatching, 0);
        EXPECT_EQ(moneyWhenWatching, start);
        EXPECT_EQ(session.Money(), 0.0);
        EXPECT_EQ(session.BigBlinds(), 0.0);
        EXPECT_TRUE(session.IsRunning());
        Hand(2.0, 1.0);
        Hand(1.0, 1.0);
        Tick(65);
        EXPECT_EQ(session.ShownHands(), 2);
        EXPECT_EQ(session.Money(), 3.0);
        EXPECT_EQ(session.BigBlinds(), 2.0);

        session.TogglePause();
        session.Stop();
        EXPECT_FALSE(session.IsRunning());
        EXPECT_FALSE(session.IsPaused());
        EXPECT_EQ(Clock(), L"0:00");
        EXPECT_EQ(totals.nTotalHands, 2); // counted on until the next start
        EXPECT_EQ(totals.dTotalMoney, start + 3.0);
        Tick(600);
        EXPECT_EQ(Clock(), L"0:00"); // no tick while stopped

        // Stopped while paused, the next session runs, from its own zero.
        session.Start();
        EXPECT_FALSE(session.IsPaused());
        EXPECT_EQ(totals.nTotalHands, 0);
        EXPECT_EQ(totals.dTotalMoney, bankroll ? start + 3.0 : 0.0);
        EXPECT_EQ(session.Money(), 0.0);
        session.Stop();
    }
}

// Take profit, stop loss and the big-blind stop compare the session's own
// result: not the previous session's total after Stop and Start, not the
// bankroll.
TEST_F(SessionRules, LimitsMeasureTheSessionsOwnResult) {
    for (const bool bankroll : {false, true}) {
        SCOPED_TRACE(bankroll ? "bankroll 1000" : "second session");
        session.SetCarryMoney(bankroll);
        totals.dTotalMoney = bankroll ? 1000.0 : 302.85; // a bankroll, or the last session's
        MoneyAlarms(100.0, -5.0);
        Change([](AlarmSettings& a) {
            a.bStopLossBB = 1;
            a.nAlarmLossBB = -50;
        });
        session.Start();
        Hand(-1.25, -12.5);
        EXPECT_EQ(Tick(), kNone);
        Hand(-3.75, -37.5); // the session is 5.00 and 50 big blinds down
        EXPECT_EQ(Tick(), (Fired{SessionAlarm::kStopLoss, SessionAlarm::kBBStopLoss}));
        Hand(104.0);
        EXPECT_EQ(Tick(), kNone); // 99.00 up
        Hand(1.0);
        EXPECT_EQ(Tick(), kTakeProfit);
        session.Stop();
    }
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
    Change([](AlarmSettings& a) {
        a.bAutoPause = 1;
        a.nAutoPauseMin = 3;
    });
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
    Change([](AlarmSettings& a) {
        a.bHandsAlarm = 1;
        a.nHandsLimit = 700;
    });
    session.Start();
    totals.nTotalHands = 699;
    EXPECT_EQ(Tick(), kNone);
    totals.nTotalHands = 703;
    EXPECT_EQ(Tick(), kHands);
    EXPECT_TRUE(state.bHandsAlarmFired);
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
    Change([](AlarmSettings& a) { a.bMoneyAlarm = 0; });
    EXPECT_EQ(HandTo(120), kNone);
    Change([](AlarmSettings& a) { a.bMoneyAlarm = 1; });
    EXPECT_EQ(Tick(), kNone); // no new hand: no check
    EXPECT_EQ(HandTo(121), kTakeProfit);
}

TEST_F(SessionRules, TrailingStopLossFollowsThePeak) {
    session.Start();
    MoneyAlarms(1000, -50, false, true);
    HandTo(120);
    EXPECT_DOUBLE_EQ(state.dPeakMoney, 120);
    EXPECT_DOUBLE_EQ(state.dStopLossLevel, 70);
    EXPECT_EQ(HandTo(90), kNone);
    EXPECT_DOUBLE_EQ(state.dStopLossLevel, 70); // a level never moves back
    EXPECT_EQ(HandTo(70.00), kStopLoss);
}

TEST_F(SessionRules, TrailingTakeProfitStaysAboveARisingTotal) {
    session.Start();
    MoneyAlarms(25, -1000, true, false);
    for (double total : {20.0, 40.0, 80.0, 160.0})
        EXPECT_EQ(HandTo(total), kNone) << total;
    EXPECT_DOUBLE_EQ(state.dTakeProfitLevel, 185);
    // Every total that reaches the level is a new peak, which moves it on.
    for (double total : {150.0, 185.0, 300.0})
        EXPECT_EQ(HandTo(total), kNone) << total;
    EXPECT_DOUBLE_EQ(state.dTakeProfitLevel, 325);

    // Without trailing the same totals fire it once.
    MoneyAlarms(25, -1000);
    EXPECT_EQ(HandTo(20), kNone);
    EXPECT_EQ(HandTo(30), kTakeProfit);
}

TEST_F(SessionRules, BigBlindStopTrailsThePeakInBigBlinds) {
    session.Start();
    MoneyAlarms(1000, -1000, false, true);
    Change([](AlarmSettings& a) {
        a.nAlarmLossBB = -30;
        a.bStopLossBB = 1;
    });
    alarms.ResetMoneyLevels();
    HandTo(0, 12.5);
    EXPECT_DOUBLE_EQ(state.dBBStopLevel, -17.5);
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
    Change([](AlarmSettings& a) {
        a.bHandsAlarm = 1;
        a.nHandsLimit = 1;
    });
    TimeAlarm(0, L"00:00");
    session.Start();
    MoneyAlarms(1000, -10);
    Change([](AlarmSettings& a) {
        a.bStopLossBB = 1;
        a.nAlarmLossBB = -5;
    });
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

TEST(SessionAlarms, ARaisedLimitArmsItsFiredAlarmAgain) {
    CSessionAlarms s;
    AlarmState& st = s.alarmState;
    auto limits = [&](int hands, int minutes, const wchar_t* text) {
        ChangeAlarms(s, [&](AlarmSettings& a) {
            a.nHandsLimit = hands;
            a.nTimeLimit = minutes;
            a.strAlarmTime = text;
        });
    };
    st.bHandsAlarmFired = st.bTimeAlarmFired = true;
    limits(600, 90, L"01:30"); // fewer hands: stays fired
    EXPECT_TRUE(st.bHandsAlarmFired);
    EXPECT_FALSE(st.bTimeAlarmFired); // longer than 60 minutes: armed again

    st.bTimeAlarmFired = true;
    limits(800, 90, L"00:90"); // the same minutes, written otherwise
    EXPECT_FALSE(st.bHandsAlarmFired);
    EXPECT_TRUE(st.bTimeAlarmFired);
    EXPECT_EQ(s.Alarms().strAlarmTime, L"00:90");
    EXPECT_EQ(s.Alarms().nHandsLimit, 800);

    // A changed money limit takes its new level at once; an unchanged one
    // keeps its level, trailed or not.
    st.dBBStopLevel = 12.5;
    st.dTakeProfitLevel = 370.5;
    ChangeAlarms(s, [](AlarmSettings& a) { a.nAlarmLossBB = -30; });
    EXPECT_EQ(st.dBBStopInitial, -30.0);
    EXPECT_EQ(st.dBBStopLevel, -30.0);
    EXPECT_EQ(st.dTakeProfitLevel, 370.5);
    st.dBBStopLevel = -17.5;
    ChangeAlarms(s, [](AlarmSettings& a) { a.dTakeProfitAmount = 80; });
    EXPECT_EQ(st.dBBStopLevel, -17.5);
    EXPECT_EQ(st.dTakeProfitLevel, 80.0);
}

// Each alarm's message names the limit reached and the session's figure, with
// a real minus sign on losses.
TEST(AlarmText, SaysWhatWasReachedAndWhereTheSessionStands) {
    const struct {
        SessionAlarm alarm;
        AlarmFigures figures;
        const wchar_t* szCaption;
        const wchar_t* szText;
    } cases[] = {
        {SessionAlarm::kStopLoss,
         {-5.0, -7.5, 0, 0, 0},
         L"Stop loss!",
         L"Stop loss \u22125.00 reached: session \u22127.50"},
        {SessionAlarm::kStopLoss,
         {3.0, 2.5, 0, 0, 0},
         L"Stop loss!",
         L"Stop loss 3.00 reached: session 2.50"},
        {SessionAlarm::kTakeProfit,
         {100.0, 102.504, 0, 0, 0},
         L"Take profit!",
         L"Take profit 100.00 reached: session 102.50"},
        {SessionAlarm::kBBStopLoss,
         {-50.0, -4.0, -52.34, 0, 0},
         L"Stop loss BBs!",
         L"Big-blind stop loss \u221250 BB reached: session \u221252.3 BB"},
        {SessionAlarm::kHands,
         {700.0, 0.0, 0, 702, 0},
         L"Alarm hands",
         L"Hands limit 700 reached: 702 hands this session"},
        {SessionAlarm::kTime,
         {90.0, 0.0, 0, 0, 5459},
         L"Alarm time",
         L"Time limit 01:30 reached: 01:30 played"},
    };
    for (const auto& c : cases) {
        const AlarmMessage m = AlarmMessageFor(c.alarm, c.figures);
        EXPECT_EQ(m.strCaption, c.szCaption);
        EXPECT_EQ(m.strText, c.szText);
    }
    EXPECT_EQ(SignedAmountText(-0.004), L"0.00"); // no sign on a loss that shows as nothing

    // Warnings, day limits and the break name the same figures.
    const AlarmFigures f{-10.0, -8.2, -41.04, 212, 3000};
    EXPECT_EQ(WarningMessageFor(SessionAlarm::kStopLoss, f).strText,
              L"Session \u22128.20, stop loss at \u221210.00");
    EXPECT_EQ(WarningMessageFor(SessionAlarm::kTime, {60.0, 0, 0, 0, 3000}).strText,
              L"00:50 played of 01:00");
    EXPECT_EQ(AlarmMessageFor(SessionAlarm::kDayStopLoss, {-15.0, -15.5, 0, 0, 0}).strText,
              L"Day stop loss \u221215.00 reached: today \u221215.50");
    EXPECT_EQ(BreakMessage(f).strText,
              L"Time for a break: 00:50 played, 212 hands, session \u22128.20");
}

// Each warning fires once, before its alarm, at the set share of the way to
// a money level (following a trailing level as it moves) or the set hands
// and minutes before the limit; an alarm reached at once is not warned of.
TEST_F(SessionRules, EachWarningFiresOnceBeforeItsAlarm) {
    auto money = [](AlarmSettings& a) {
        a.bMoneyAlarm = a.bTakeProfit = a.bStopLoss = a.bStopLossBB = 1;
        a.dTakeProfitAmount = 50;
        a.dStopLossAmount = -10;
        a.nAlarmLossBB = -100;
        a.bWarnTakeProfit = a.bWarnStopLoss = a.bWarnStopLossBB = 1;
        a.nWarnPercent = 80;
    };
    const Fired sl{SessionAlarm::kStopLoss}, tp{SessionAlarm::kTakeProfit},
        bb{SessionAlarm::kBBStopLoss}, hands{SessionAlarm::kHands}, time{SessionAlarm::kTime};
    const struct {
        const char* szName;
        std::function<void(AlarmSettings&)> set;
        std::vector<Step> steps;
    } cases[] = {
        {"stop loss", money, {{-5}, {-8, 0, 0, 0, {}, sl}, {-9}, {-7}, {-8.5}, {-10, 0, 0, 0, sl}}},
        {"take profit", money, {{30}, {40, 0, 0, 0, {}, tp}, {45}, {50, 0, 0, 0, tp}}},
        {"big-blind stop", money, {{0, -79}, {0, -80, 0, 0, {}, bb}, {0, -100, 0, 0, bb}}},
        {"reached with its alarm", money, {{-15, 0, 0, 0, sl}, {-5}, {-9}}},
        {"trailing stop loss",
         [&](AlarmSettings& a) {
             money(a);
             a.bTrailingStopLoss = 1;
         },
         // A peak of 20 puts the level at 10 and the warning at 12; a peak of
         // 30 moves both, and the warning fires again for the new level.
         {{20}, {12, 0, 0, 0, {}, sl}, {11}, {30}, {22, 0, 0, 0, {}, sl}, {20, 0, 0, 0, sl}}},
        {"hands",
         [](AlarmSettings& a) {
             a.bHandsAlarm = a.bWarnHands = 1;
             a.nHandsLimit = 100;
             a.nWarnHands = 50;
         },
         {{0, 0, 49}, {0, 0, 50, 0, {}, hands}, {0, 0, 99}, {0, 0, 100, 0, hands}}},
        {"time",
         [](AlarmSettings& a) {
             a.bTimeAlarm = a.bWarnTime = 1;
             a.nTimeLimit = 60;
             a.strAlarmTime = L"01:00";
             a.nWarnMinutes = 10;
         },
         {{0, 0, 0, 49 * 60 + 55}, {0, 0, 0, 5, {}, time}, {0, 0, 0, 300}, {0, 0, 0, 300, time}}},
        {"a warning of all the limit: none",
         [](AlarmSettings& a) {
             a.bHandsAlarm = a.bWarnHands = 1;
             a.nHandsLimit = 50;
             a.nWarnHands = 50;
         },
         {{0, 0, 1}, {0, 0, 50, 0, hands}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szName);
        alarms.SetAlarms(Changed(AlarmSettings{}, c.set));
        alarms.ResetMoneyLevels();
        totals.dTotalMoney = totals.dTotalBB = 0;
        session.Start();
        Play(c.steps);
        session.Stop();
    }
}

// With the lock on and a session running, a limit can be tightened (at
// once: its level moves) but a loosening or a switch turned off waits for the
// next session, as does switching the lock off. Without a running session
// everything applies.
TEST_F(SessionRules, LockedLimitsCanBeTightenedButNotLoosened) {
    const AlarmSettings locked = Changed(AlarmSettings{}, [](AlarmSettings& a) {
        a.bLockLimits = 1;
        a.bMoneyAlarm = a.bTakeProfit = a.bStopLoss = 1;
        a.dTakeProfitAmount = 100;
        a.dStopLossAmount = -50;
        a.bHandsAlarm = 1;
        a.nHandsLimit = 500;
        a.bTimeAlarm = 1;
        a.nTimeLimit = 120;
        a.strAlarmTime = L"02:00";
        a.bDayStopLoss = 1;
        a.dDayStopLoss = -100;
    });
    using K = SessionAlarm;
    const struct {
        const char* szName;
        std::function<void(AlarmSettings&)> change;
        Fired held;
        std::function<bool(const AlarmSettings&)> applied;
    } cases[] = {
        {"smaller stop loss",
         [](AlarmSettings& a) { a.dStopLossAmount = -30; },
         {},
         [&](const AlarmSettings& a) {
             return a.dStopLossAmount == -30 && state.dStopLossLevel == -30;
         }},
        {"larger stop loss",
         [](AlarmSettings& a) { a.dStopLossAmount = -80; },
         {K::kStopLoss},
         [&](const AlarmSettings& a) {
             return a.dStopLossAmount == -50 && state.dStopLossLevel == -50;
         }},
        {"stop loss off",
         [](AlarmSettings& a) { a.bStopLoss = 0; },
         {K::kStopLoss},
         [](const AlarmSettings& a) { return a.bStopLoss == 1; }},
        {"money switch off",
         [](AlarmSettings& a) { a.bMoneyAlarm = 0; },
         {K::kTakeProfit, K::kStopLoss},
         [](const AlarmSettings& a) {
             return a.bMoneyAlarm && a.bTakeProfit && a.bStopLoss && !a.bStopLossBB;
         }},
        {"trailing take profit on",
         [](AlarmSettings& a) { a.bTrailingTakeProfit = 1; },
         {K::kTakeProfit},
         [](const AlarmSettings& a) { return !a.bTrailingTakeProfit; }},
        {"big-blind stop on, trailing stop on",
         [](AlarmSettings& a) {
             a.bStopLossBB = 1;
             a.bTrailingStopLoss = 1;
         },
         {},
         [](const AlarmSettings& a) { return a.bStopLossBB && a.bTrailingStopLoss; }},
        {"fewer hands",
         [](AlarmSettings& a) { a.nHandsLimit = 400; },
         {},
         [](const AlarmSettings& a) { return a.nHandsLimit == 400; }},
        {"more hands",
         [](AlarmSettings& a) { a.nHandsLimit = 600; },
         {K::kHands},
         [](const AlarmSettings& a) { return a.nHandsLimit == 500; }},
        {"time off",
         [](AlarmSettings& a) { a.bTimeAlarm = 0; },
         {K::kTime},
         [](const AlarmSettings& a) { return a.bTimeAlarm && a.strAlarmTime == L"02:00"; }},
        {"day stop loss larger",
         [](AlarmSettings& a) { a.dDayStopLoss = -200; },
         {K::kDayStopLoss},
         [](const AlarmSettings& a) { return a.dDayStopLoss == -100; }},
        {"lock off, sound changed",
         [](AlarmSettings& a) {
             a.bLockLimits = 0;
             a.bAutoPause = 1;
         },
         {},
         [](const AlarmSettings& a) { return a.bLockLimits && a.bAutoPause; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szName);
        alarms.SetAlarms(locked);
        alarms.ResetMoneyLevels();
        session.Start();
        const AlarmSettings wanted = Changed(locked, c.change);
        const LockResult result = session.ChangeAlarms(wanted);
        EXPECT_EQ(result.vecHeld, c.held);
        EXPECT_EQ(result.bLockHeld, std::string(c.szName).find("lock off") == 0);
        EXPECT_TRUE(c.applied(settings));
        // What the user asked for is kept, and is what the next session has.
        EXPECT_EQ(alarms.Wanted(), wanted);
        session.Stop();
        EXPECT_EQ(settings, wanted);
        EXPECT_FALSE(alarms.HasHeld());
        // Between sessions nothing is held.
        alarms.SetAlarms(locked);
        EXPECT_FALSE(session.ChangeAlarms(wanted).Any());
        EXPECT_EQ(settings, wanted);
    }
}

// The day limits add the day's earlier sessions to this one; Start can tell
// when the day has reached one already.
TEST_F(SessionRules, DayLimitsCountTheDaysEarlierSessions) {
    Change([](AlarmSettings& a) {
        a.bDayStopLoss = a.bDayStopLossBB = a.bDayTime = 1;
        a.dDayStopLoss = -15;
        a.nDayStopLossBB = -100;
        a.nDayMinutes = 120;
    });
    const DayResult earlier{2, -10.0, -60.0, 90 * 60};
    EXPECT_TRUE(DayLimitsReached(earlier, settings).empty());
    EXPECT_EQ(
        DayLimitsReached({3, -15.0, -100.0, 120 * 60}, settings),
        (Fired{SessionAlarm::kDayStopLoss, SessionAlarm::kDayBBStopLoss, SessionAlarm::kDayTime}));

    session.SetDayBefore(earlier);
    session.Start();
    Play({{-4.99, -20},
          {-5, -39, 0, 0, {SessionAlarm::kDayStopLoss}},
          {-20, -40, 0, 0, {SessionAlarm::kDayBBStopLoss}},
          {-30, -80},
          {0, 0, 0, 29 * 60 + 30},
          {0, 0, 0, 10, {SessionAlarm::kDayTime}},
          {0, 0, 0, 3600}});
    EXPECT_EQ(session.DayMoney(), -40.0);
    // A new session arms them again.
    session.Start();
    Play({{-5, 0, 0, 0, {SessionAlarm::kDayStopLoss}}});
}

// The break reminder comes every set minutes of playing time; a pause as
// long as a break (by hand, or a quiet stretch a hand ended) starts its
// count again, a shorter one does not.
TEST_F(SessionRules, BreakReminderComesWithPlayingTimeAndAPauseResetsIt) {
    Change([](AlarmSettings& a) {
        a.bBreakReminder = 1;
        a.nBreakMinutes = 60;
        a.nBreakPauseMinutes = 5;
        a.bAutoPause = 1;
        a.nAutoPauseMin = 3;
    });
    session.Start();
    auto due = [&](std::int64_t seconds) {
        now += seconds;
        return session.Refresh().bBreakDue;
    };
    auto pause = [&](std::int64_t seconds) {
        session.TogglePause();
        now += seconds;
        session.TogglePause();
    };
    Hand();
    EXPECT_FALSE(due(3595));
    EXPECT_TRUE(due(5)); // 60 minutes played
    EXPECT_FALSE(due(5));
    pause(4 * 60); // shorter than a break
    Hand();
    EXPECT_FALSE(due(3590));
    EXPECT_TRUE(due(5)); // 120 minutes played
    Hand();
    EXPECT_FALSE(due(1200));
    pause(5 * 60);
    Hand();
    EXPECT_FALSE(due(3595));
    EXPECT_TRUE(due(5)); // an hour after the break
    // Four quiet minutes pause the clock by themselves; the hand after six
    // ends a break.
    Hand();
    EXPECT_FALSE(due(1800));
    EXPECT_FALSE(due(4 * 60));
    EXPECT_TRUE(session.IsPaused());
    now += 2 * 60;
    Hand();
    EXPECT_FALSE(due(5)); // the quiet minutes before the pause are not played
    Hand();
    EXPECT_FALSE(due(3595));
    EXPECT_TRUE(due(5));
}
