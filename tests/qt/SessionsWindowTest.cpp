#include "ui/SessionsWindow.h"

#include "store/SessionLevels.h"
#include "tests/qt/DialogTestUtil.h"
#include "tests/store/HistoryTestSupport.h"
#include "ui/SessionChart.h"
#include "ui/SessionTableModel.h"

#include <QAction>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>

using namespace tw;
using twtest::Child;

namespace {

constexpr std::int64_t kDay = 86400;

// A history with four sessions played as the program plays them, and the
// window over it. In UTC, "now" is Wednesday 2026-01-07 09:00.
class SessionsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::int64_t base = r.now;
        // A: 40 days ago, stopped after three hands in half an hour.
        r.now = base - 40 * kDay;
        r.session.Start();
        for (double m : {1.0, 2.0, -0.5}) {
            r.now += 300;
            r.Batch({m});
        }
        r.now += 900;
        r.session.Refresh();
        r.session.Stop();
        // B: Monday, its stop loss fired and no hand came after it.
        r.SetAlarms([](AlarmSettings& a) {
            a.bMoneyAlarm = a.bStopLoss = 1;
            a.dStopLossAmount = -3;
        });
        r.now = base - 2 * kDay;
        r.session.Start();
        r.now += 600;
        r.Batch({-4});
        r.session.Refresh();
        r.now += 600;
        r.session.Stop();
        r.SetAlarms([](AlarmSettings& a) { a.bMoneyAlarm = 0; });
        // D: yesterday, left open by a crash: closed at its last hand when
        // the history is opened again.
        r.now = base - kDay;
        r.session.Start();
        r.now += 300;
        r.Batch({1.5});
        r.now += 300;
        r.Batch({0.5});
        r.store.Close();
        r.store.Open(FromUtf8(r.dir.file("Tarnwick.db")), r.now);
        r.session.Stop();
        // C: an hour ago, running, with a take profit at 6 and a stop loss
        // 10 below the best result.
        r.SetAlarms([](AlarmSettings& a) {
            a.bMoneyAlarm = a.bTakeProfit = a.bStopLoss = 1;
            a.dTakeProfitAmount = 6;
            a.dStopLossAmount = -10;
            a.bTrailingStopLoss = 1;
        });
        r.now = base - 3600;
        r.session.Start();
        r.now += 600;
        r.Batch({2.5});
        r.now += 600;
        r.Batch({2.5, -1});
        r.session.Refresh();
        live = r.store.LiveSession();
        r.now = base;
    }

    void Open() {
        window = std::make_unique<CSessionsWindow>(r.store);
        window->fnNow = [this] { return r.now; };
        window->Reload();
    }

    CSessionTableModel& Model() const {
        return *static_cast<CSessionTableModel*>(
            Child<QTableView>(window.get(), "tableSessions")->model());
    }
    // The table's rows as shown, without the date.
    std::vector<QStringList> Rows() const {
        std::vector<QStringList> rows;
        const CSessionTableModel& m = Model();
        for (int row = 0; row < m.rowCount(); ++row) {
            QStringList cells;
            for (int c = CSessionTableModel::kDuration; c < CSessionTableModel::kColumnCount; ++c)
                cells << m.index(row, c).data().toString();
            rows.push_back(cells);
        }
        return rows;
    }
    QStringList Totals(int period) const {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells << Child<QLabel>(
                         window.get(),
                         QStringLiteral("total_%1_%2").arg(period).arg(c).toLatin1().constData())
                         ->text();
        return cells;
    }
    QList<QPointF> Points(const QString& series) const {
        auto* s = qobject_cast<QXYSeries*>(
            Child<CSessionChart>(window.get(), "chartSession")->Series(series));
        return s ? s->points() : QList<QPointF>();
    }

    twtest::ScopedTimeZone utc{"UTC0"};
    twtest::RecordedSession r;
    std::int64_t live = 0;
    std::unique_ptr<CSessionsWindow> window;
};

// The rows of a CSV file as Python's csv module reads them.
QJsonArray PythonCsvRows(const QString& path) {
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    print(json.dumps(list(csv.DictReader(f))))\n"),
                  path});
    EXPECT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).array();
}

} // namespace

// Newest first, each session with its figures and how it ended; the totals
// of today, this week (from Monday 06:00), this month and all time above.
TEST_F(SessionsWindowTest, ListsTheSessionsNewestFirstUnderThePeriodTotals) {
    Open();
    // Duration, hands, money, bb/100, hands/hour, money/hour, ended.
    EXPECT_EQ(Rows(), (std::vector<QStringList>{
                          {"0:20", "3", "4.00", "266.7", "9", "12.00", "Running"},
                          {"0:10", "2", "2.00", "200.0", "12", "12.00", "Interrupted"},
                          {"0:20", "1", "-4.00", "-800.0", "3", "-12.00", "After an alarm"},
                          {"0:30", "3", "2.50", "166.7", "6", "5.00", "Stopped"},
                      }));
    EXPECT_EQ(Model().headerData(CSessionTableModel::kMoney, Qt::Horizontal).toString(),
              "Money, USD");
    EXPECT_EQ(window->SelectedSession(), live);
    // Sessions, time, hands, money, bb/100, hands/hour, money/hour.
    EXPECT_EQ(Totals(0), QStringList({"1", "0:20", "3", "4.00 USD", "266.7", "9", "12.00 USD"}));
    EXPECT_EQ(Totals(1), QStringList({"3", "0:50", "6", "2.00 USD", "66.7", "7", "2.40 USD"}));
    EXPECT_EQ(Totals(2), Totals(1));
    EXPECT_EQ(Totals(3), QStringList({"4", "1:20", "9", "4.50 USD", "100.0", "7", "3.38 USD"}));

    // The period chosen filters the table, never the totals.
    window->ShowPeriod(Period::kToday);
    EXPECT_EQ(Rows().size(), 1u);
    window->ShowPeriod(Period::kThisMonth);
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(Totals(3)[0], "4");
    EXPECT_EQ(window->SelectedSession(), live);

    // The selected session's rooms: two tables of one room.
    r.now += 60;
    r.Batch({-0.5}, 0.5, L"/hh/Table 2.txt");
    window->RefreshLive();
    auto* rooms = Child<QTableWidget>(window.get(), "tableRooms");
    ASSERT_EQ(rooms->rowCount(), 1);
    QStringList room;
    for (int c = 0; c < rooms->columnCount(); ++c)
        room << rooms->item(0, c)->text();
    EXPECT_EQ(room, QStringList({"PokerStars", "2", "4", "3.50", "175.0"}));
}

// The running session's row, the totals and its graph follow what the
// history records, hand by hand, alarm and end; a new session comes on top.
TEST_F(SessionsWindowTest, TheRunningSessionFollowsTheHistory) {
    Open();
    const QList<QPointF> before = Points(CSessionChart::kMoney);
    EXPECT_EQ(before, QList<QPointF>({{0, 0}, {1, 2.5}, {2, 5}, {3, 4}}));
    // Nothing recorded since: nothing changes.
    window->RefreshLive();
    EXPECT_EQ(Points(CSessionChart::kMoney), before);

    r.now += 60;
    r.Batch({3});
    window->RefreshLive();
    EXPECT_EQ(Rows()[0][1], "4");
    EXPECT_EQ(Rows()[0][2], "7.00");
    EXPECT_EQ(Totals(0)[2], "4");
    EXPECT_EQ(Points(CSessionChart::kMoney).size(), 5);
    EXPECT_TRUE(Points(QStringLiteral("Take profit reached")).isEmpty());

    // The tick fires the take profit at 7; the stop loss trails 10 below
    // the best result, 7.
    r.session.Refresh();
    window->RefreshLive();
    EXPECT_EQ(Points(QStringLiteral("Take profit reached")), QList<QPointF>({{4, 7}}));
    EXPECT_EQ(Points(CSessionChart::kTakeProfit).back(), QPointF(4, 6));
    EXPECT_EQ(
        Points(CSessionChart::kStopLoss),
        QList<QPointF>({{0, -10}, {1, -10}, {1, -7.5}, {2, -7.5}, {2, -5}, {4, -5}, {4, -3}}));

    // Stopped after the alarm, then a new session.
    r.session.Stop();
    window->RefreshLive();
    EXPECT_EQ(Rows()[0].back(), "After an alarm");
    r.now += 600;
    r.session.Start();
    window->RefreshLive();
    ASSERT_EQ(Rows().size(), 5u);
    EXPECT_EQ(Rows()[0], QStringList({"0:00", "0", "0.00", "–", "–", "–", "Running"}));
    EXPECT_EQ(window->SelectedSession(), live); // the session looked at stays
    EXPECT_EQ(Totals(0)[0], "2");
}

// "Export CSV..." writes the sessions the table shows, in its order, and the
// selected session's hands; Python's csv module reads both back to the same
// numbers, file names with commas, quotes and line breaks intact.
TEST_F(SessionsWindowTest, ExportedCsvReadsBackInPythonToTheSameNumbers) {
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        GTEST_SKIP() << "no python3";
    const std::wstring quoted = L"/hh/Tisch \"Ålesund\", 6-max.txt";
    const std::wstring twoLines = L"/hh/Tisch\nzwei.txt";
    r.now += 30;
    r.Batch({0.1, 0.2}, 0.02, quoted);
    r.Batch({-1.0 / 3}, 0.02, twoLines);
    Open();
    window->ShowPeriod(Period::kThisWeek);
    QString asked;
    QString path = QString::fromStdString(r.dir.file("sessions.csv"));
    window->fnAskSavePath = [&](const QString& suggested) {
        asked = suggested;
        return path;
    };
    Child<QAction>(window.get(), "actionExportSessions")->trigger();
    EXPECT_TRUE(asked.endsWith("tarnwick-sessions.csv"));

    const QJsonArray sessions = PythonCsvRows(path);
    const std::vector<SessionRecord>& shown = Model().Sessions();
    ASSERT_EQ(sessions.size(), static_cast<qsizetype>(shown.size()));
    ASSERT_EQ(shown.size(), 3u);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        const QJsonObject row = sessions[static_cast<qsizetype>(i)].toObject();
        const Figures f = FiguresOf(shown[i]);
        EXPECT_EQ(row["id"].toString().toLongLong(), shown[i].nId);
        EXPECT_EQ(row["hands"].toString().toInt(), f.nHands);
        EXPECT_EQ(row["seconds"].toString().toLongLong(), f.nSeconds);
        EXPECT_NEAR(row["money"].toString().toDouble(), f.dMoney, 1e-9);
        EXPECT_NEAR(row["bb_per_100"].toString().toDouble(), f.dBBPer100, 1e-6);
        EXPECT_NEAR(row["money_per_hour"].toString().toDouble(), f.dMoneyPerHour, 1e-6);
        EXPECT_EQ(row["currency"].toString(), "USD");
        EXPECT_EQ(row["ended"].toString(),
                  QString::fromStdWString(SessionEndedName(shown[i].ended)));
        EXPECT_EQ(row["end"].toString().isEmpty(), shown[i].tEnd == 0);
    }

    path = QString::fromStdString(r.dir.file("hands.csv"));
    Child<QAction>(window.get(), "actionExportHands")->trigger();
    EXPECT_TRUE(asked.endsWith(QStringLiteral("tarnwick-session-%1-hands.csv").arg(live)));
    const QJsonArray hands = PythonCsvRows(path);
    const std::vector<HandRow> kept = r.store.Hands(live);
    ASSERT_EQ(hands.size(), 6);
    ASSERT_EQ(kept.size(), 6u);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const QJsonObject row = hands[static_cast<qsizetype>(i)].toObject();
        EXPECT_EQ(row["seq"].toString().toLongLong(), kept[i].nSeq);
        EXPECT_EQ(row["room"].toString().toStdWString(), kept[i].strRoom);
        EXPECT_EQ(row["file"].toString().toStdWString(), kept[i].strFile);
        EXPECT_EQ(row["hand"].toString().toStdWString(), kept[i].strHandId);
        EXPECT_NEAR(row["bb"].toString().toDouble(), kept[i].dBigBlind, 1e-12);
        EXPECT_NEAR(row["money"].toString().toDouble(), kept[i].dMoney, 1e-9);
        EXPECT_NEAR(row["total"].toString().toDouble(), kept[i].dTotal, 1e-9);
    }
    EXPECT_EQ(kept[4].strFile, quoted);
    EXPECT_EQ(kept[5].strFile, twoLines);
}

// A file that cannot be written is said, and leaves nothing behind; without
// a history the window says so and shows no session.
TEST_F(SessionsWindowTest, WhatCannotBeShownOrWrittenIsSaid) {
    Open();
    const std::string missing = r.dir.file("no such folder/sessions.csv");
    const std::wstring problem = window->ExportSessions(FromUtf8(missing));
    EXPECT_NE(problem.find(FromUtf8(missing)), std::wstring::npos) << ToUtf8(problem);
    EXPECT_FALSE(std::filesystem::exists(missing));

    CHistoryStore closed;
    CSessionsWindow empty(closed);
    EXPECT_FALSE(Child<QLabel>(&empty, "labelProblem")->isHidden());
    EXPECT_EQ(empty.findChild<QTableView*>("tableSessions")->model()->rowCount(), 0);
    EXPECT_EQ(empty.SelectedSession(), 0);
    EXPECT_EQ(empty.ExportHands(FromUtf8(r.dir.file("hands.csv"))), L"No session is selected.");
    empty.RefreshLive();
    EXPECT_EQ(Child<CSessionChart>(&empty, "chartSession")->chart()->title(),
              "No sessions recorded");
}
