#include "store/SessionFigures.h"
#include "tests/TestUtil.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using namespace tw;

namespace {

// A session whose hands (money, big blind) were counted in this order.
SessionRecord SessionOf(const std::vector<std::pair<double, double>>& hands, std::size_t from = 0,
                        std::size_t to = std::string::npos) {
    SessionRecord s;
    s.strCurrency = L"USD";
    for (std::size_t i = from; i < hands.size() && i < to; ++i)
        s.run.Add(hands[i].first, HandBigBlinds(hands[i].first, hands[i].second));
    return s;
}

std::int64_t LocalTime(int year, int month, int day, int hour, int minute) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

} // namespace

// bb/100, peak and drawdown of hand-made sequences with known answers. The
// same sequence cut anywhere into two sessions gives the same figures: the
// peak and the fall run across sessions.
TEST(SessionFigures, BigBlindsPer100PeakAndDrawdownOfKnownSequences) {
    struct Case {
        const char* name;
        std::vector<std::pair<double, double>> hands; // money, big blind
        double bb, bbPer100, peak, drawdown;
    };
    const Case cases[] = {
        {"no hands", {}, 0, 0, 0, 0},
        // Running totals 5, 2, 6, -4, -2.
        {"up, down, up, a deep fall, a little back",
         {{5, 0.5}, {-3, 0.5}, {4, 0.5}, {-10, 0.5}, {2, 0.5}},
         -4,
         -80,
         6,
         10},
        {"only losses fall from the start", {{-1, 1}, {-2, 1}, {-3, 1}}, -6, -200, 0, 6},
        {"only wins never fall", {{1, 0.25}, {2, 0.25}}, 12, 600, 3, 0},
        // Running totals -5, 5, 3.
        {"the largest fall is not the last one", {{-5, 1}, {10, 1}, {-2, 1}}, 3, 100, 5, 5},
        {"a hand without a big blind counts, with no big blinds",
         {{2, 0}, {-1, 0.5}},
         -2,
         -100,
         2,
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Figures whole = FiguresOf(SessionOf(c.hands));
        EXPECT_EQ(whole.nHands, static_cast<int>(c.hands.size()));
        EXPECT_NEAR(whole.dBigBlinds, c.bb, 1e-9);
        EXPECT_NEAR(whole.dBBPer100, c.bbPer100, 1e-9);
        EXPECT_NEAR(whole.dPeak, c.peak, 1e-9);
        EXPECT_NEAR(whole.dDrawdown, c.drawdown, 1e-9);
        for (std::size_t cut = 0; cut <= c.hands.size(); ++cut) {
            SCOPED_TRACE("cut before hand " + std::to_string(cut + 1));
            const Figures two = FiguresOf({SessionOf(c.hands, 0, cut), SessionOf(c.hands, cut)});
            EXPECT_EQ(two.nHands, whole.nHands);
            EXPECT_NEAR(two.dMoney, whole.dMoney, 1e-9);
            EXPECT_NEAR(two.dBBPer100, whole.dBBPer100, 1e-9);
            EXPECT_NEAR(two.dPeak, whole.dPeak, 1e-9);
            EXPECT_NEAR(two.dDrawdown, whole.dDrawdown, 1e-9);
        }
    }
}

// A session belongs to the day it started in; a day begins at its start
// time (06:00 unless set), a week on Monday.
TEST(SessionFigures, PeriodTotalsTakeTheSessionsOfTheirDaysWeekAndMonth) {
    const twtest::ScopedTimeZone tz("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::int64_t now = LocalTime(2026, 1, 7, 12, 0); // a Wednesday
    struct Case {
        const char* name;
        std::int64_t tStart;
        int nDayStart;
        bool today, week, month;
    };
    const Case cases[] = {
        {"this morning after six", LocalTime(2026, 1, 7, 7, 0), 360, true, true, true},
        {"five in the morning is still yesterday", LocalTime(2026, 1, 7, 5, 0), 360, false, true,
         true},
        {"with days from midnight it is today", LocalTime(2026, 1, 7, 5, 0), 0, true, true, true},
        {"Monday from six is this week", LocalTime(2026, 1, 5, 6, 0), 360, false, true, true},
        {"Monday before six is last week", LocalTime(2026, 1, 5, 5, 30), 360, false, false, true},
        {"the first of the month, a Thursday", LocalTime(2026, 1, 1, 10, 0), 360, false, false,
         true},
        {"New Year's night is still December", LocalTime(2026, 1, 1, 3, 0), 360, false, false,
         false},
        {"a year ago today", LocalTime(2025, 1, 7, 12, 0), 360, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SessionRecord s = SessionOf({{1.5, 0.1}});
        s.tStart = c.tStart;
        s.tEnd = c.tStart + 3600;
        s.ended = SessionEnded::kStop;
        const PeriodTotals totals = TotalsOf({s}, now, c.nDayStart);
        EXPECT_EQ(totals.today.nSessions, c.today ? 1 : 0);
        EXPECT_EQ(totals.week.nSessions, c.week ? 1 : 0);
        EXPECT_EQ(totals.month.nSessions, c.month ? 1 : 0);
        EXPECT_EQ(totals.all.nSessions, 1);
        EXPECT_EQ(totals.all.nSeconds, 3600);
        // The day limits count the same day's sessions.
        const DayResult day = DayResultOf({s}, now, c.nDayStart);
        EXPECT_EQ(day.nSessions, c.today ? 1 : 0);
        EXPECT_EQ(day.nSeconds, c.today ? 3600 : 0);
        EXPECT_EQ(day.dMoney, c.today ? 1.5 : 0.0);
    }
}
