#include "store/SessionLevels.h"

#include "tests/store/HistoryTestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace tw;

// The levels drawn for a recorded session are those the session's own rules
// had at each hand: a session is played hand by hand (a clock tick after
// each), the levels in force are noted before each tick's check, and the
// levels computed afterwards from the history (its limits, graph and
// alarms) must match them, trailing, switched off by their alarm, or fixed.
TEST(SessionLevels, AreTheLevelsTheSessionHadAtEachHand) {
    struct Case {
        const char* name;
        std::function<void(AlarmSettings&)> limits;
        std::vector<double> hands; // money, at a big blind of 0.5
        std::vector<const char*> fired;
    };
    auto money = [](double takeProfit, double stopLoss, int bbStop, bool trailTP, bool trailSL) {
        return [=](AlarmSettings& a) {
            a.bMoneyAlarm = 1;
            a.bTakeProfit = a.bStopLoss = a.bStopLossBB = 1;
            a.dTakeProfitAmount = takeProfit;
            a.dStopLossAmount = stopLoss;
            a.nAlarmLossBB = bbStop;
            a.bTrailingTakeProfit = trailTP;
            a.bTrailingStopLoss = trailSL;
        };
    };
    const Case cases[] = {
        // Totals 2, 5, 4, 8, 2, 11, -9: the stop loss trails to 3 and fires
        // at 2; take profit fires at 11; the big-blind stop trails to -18
        // (-40 from the best 22 bb) and fires at -18 bb.
        {"trailing stop loss, fixed take profit",
         money(10, -5, -40, false, true),
         {2, 3, -1, 4, -6, 9, -20},
         {"stop_loss", "take_profit", "bb_stop_loss"}},
        // The take profit trails every new best result and is never reached.
        {"both trailing", money(6, -8, -40, true, true), {4, 3, -2, -12, 1}, {"stop_loss"}},
        // Losses first (totals -5, -10, -16, -13, -33): the peak stays at 0
        // and no level moves from its amount. The big-blind stop fires at
        // -32 bb, the stop loss at -33.
        {"losses from the start",
         money(20, -25, -30, true, true),
         {-5, -5, -6, 3, -20},
         {"bb_stop_loss", "stop_loss"}},
        {"fixed levels", money(5, -5, -1000, false, false), {1, 1, 1, 1, 1, -9}, {"take_profit"}},
        {"no money alarms",
         [](AlarmSettings& a) {
             a.bMoneyAlarm = 0;
             a.bTakeProfit = a.bStopLoss = a.bStopLossBB = 1;
         },
         {50, -100},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        twtest::RecordedSession r;
        r.SetAlarms(c.limits);
        r.session.Start();
        const AlarmState& st = r.alarms.alarmState;
        // The levels in force at each check: those the tick left, where
        // the alarm's switch was on before the tick.
        auto inForce = [&](bool on, double level) {
            return on && r.alarms.Alarms().bMoneyAlarm ? std::optional<double>(level)
                                                       : std::nullopt;
        };
        std::vector<LimitLevels> played{
            {0, inForce(r.alarms.Alarms().bTakeProfit, st.dTakeProfitLevel),
             inForce(r.alarms.Alarms().bStopLoss, st.dStopLossLevel),
             inForce(r.alarms.Alarms().bStopLossBB, st.dBBStopLevel)}};
        for (double m : c.hands) {
            const AlarmSettings before = r.alarms.Alarms();
            r.now += 20;
            r.Batch({m});
            r.session.Refresh();
            played.push_back({r.totals.nTotalHands,
                              inForce(before.bTakeProfit, st.dTakeProfitLevel),
                              inForce(before.bStopLoss, st.dStopLossLevel),
                              inForce(before.bStopLossBB, st.dBBStopLevel)});
        }
        const std::int64_t id = r.store.LiveSession();
        r.session.Stop();

        SessionRecord s;
        ASSERT_TRUE(r.store.FindSession(id, s));
        const std::vector<AlarmEntry> alarms = r.store.Alarms(id);
        std::vector<std::string> fired;
        for (const AlarmEntry& a : alarms)
            fired.push_back(ToUtf8(a.strKind));
        EXPECT_EQ(fired, std::vector<std::string>(c.fired.begin(), c.fired.end()));

        const std::vector<LimitLevels> drawn = LevelsOf(s.limits, r.store.Graph(id), alarms);
        ASSERT_EQ(drawn.size(), played.size());
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            SCOPED_TRACE("after hand " + std::to_string(i));
            EXPECT_EQ(drawn[i].nHands, played[i].nHands);
            EXPECT_EQ(drawn[i].dTakeProfit, played[i].dTakeProfit);
            EXPECT_EQ(drawn[i].dStopLoss, played[i].dStopLoss);
            EXPECT_EQ(drawn[i].dBBStopLoss, played[i].dBBStopLoss);
        }
    }
}
