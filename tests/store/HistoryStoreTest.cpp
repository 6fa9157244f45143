#include "store/HistoryStore.h"
#include "store/SessionRecorder.h"

#include "gen/PokerStarsGen.h"
#include "gen/TextLines.h"
#include "parsing/HandEngine.h"
#include "support/LogSink.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace tw;

namespace {

struct LogLines : ILogSink {
    std::vector<std::wstring> lines;
    void WriteLogLine(const std::wstring& t) override { lines.push_back(t); }
    bool Has(const std::wstring& part) const {
        for (const std::wstring& l : lines)
            if (l.find(part) != std::wstring::npos)
                return true;
        return false;
    }
};

// What another process reading the history would find committed.
std::vector<SessionRecord> CommittedSessions(const std::string& file) {
    CHistoryStore reader;
    std::wstring error;
    EXPECT_TRUE(reader.OpenForReading(FromUtf8(file), error)) << ToUtf8(error);
    return reader.Sessions();
}
std::vector<HandRow> CommittedHands(const std::string& file, std::int64_t session) {
    CHistoryStore reader;
    std::wstring error;
    reader.OpenForReading(FromUtf8(file), error);
    return reader.Hands(session);
}

// A session over totals in memory with a clock the test moves, recorded
// into a history in a temporary folder.
class History : public ::testing::Test {
protected:
    History() { store.SetLog(&log); }

    std::string File() const { return dir.file("Tarnwick.db"); }
    CHistoryStore::OpenResult Open() { return store.Open(FromUtf8(File()), now); }

    // One batch of hands of `file`, as the dispatch tells them: the totals
    // change, each hand is told, then the batch's end.
    void Batch(std::initializer_list<double> money, const std::wstring& file = L"/hh/Table 1.txt") {
        for (double m : money) {
            HandRecord h;
            h.strFile = file;
            h.nRoom = kRoomPokerStars;
            h.strHandId = std::to_wstring(++nHandId);
            h.dBigBlind = 0.1;
            h.dResult = h.dMoney = m;
            ++totals.nTotalHands;
            totals.dTotalMoney += m;
            totals.dTotalBB += m / 0.1;
            totals.NotifyHandCounted(h);
        }
        totals.NotifyHandsBatchEnded();
    }

    std::vector<SessionRecord> Committed() const { return CommittedSessions(File()); }

    twtest::TempDir dir;
    LogLines log;
    CSessionModel totals;
    CSessionAlarms alarms;
    std::int64_t now = 1'767'776'400;
    CSession session{totals, alarms, [this] { return now; }};
    CHistoryStore store;
    CSessionRecorder recorder{store, session, totals};
    long long nHandId = 100;
};

} // namespace

// Playing time leaves out the pause and the time between sessions; the
// per-hour figures are per hour of playing time, for each session and for
// both together. The recorded time is the session clock's.
TEST_F(History, TwoSessionsAndAPauseGiveDurationsAndPerHourFigures) {
    ASSERT_TRUE(Open().bRecording);
    const std::int64_t t0 = now;
    session.Start();
    now = t0 + 600;
    Batch({2.0});
    now = t0 + 1200;
    session.TogglePause();
    now = t0 + 1800;
    session.TogglePause();
    now = t0 + 2400;
    Batch({-0.5});
    now = t0 + 3600;
    session.Refresh();
    const std::int64_t clock1 = session.Seconds();
    session.Stop();

    now = t0 + 7200;
    session.Start();
    now += 600;
    Batch({1.0});
    now += 600;
    Batch({1.0, 1.0}, L"/hh/Table 2.txt");
    now += 600;
    session.Refresh();
    const std::int64_t clock2 = session.Seconds();
    session.Stop();

    const std::vector<SessionRecord> sessions = Committed();
    ASSERT_EQ(sessions.size(), 2u);
    struct Want {
        std::int64_t seconds, paused;
        int hands;
        double money, handsPerHour, moneyPerHour;
        std::size_t tables;
    };
    const Want want[] = {{3000, 600, 2, 1.5, 2.4, 1.8, 1}, {1800, 0, 3, 3.0, 6.0, 6.0, 2}};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE("session " + std::to_string(i + 1));
        const Figures f = FiguresOf(sessions[i]);
        EXPECT_EQ(sessions[i].ended, SessionEnded::kStop);
        EXPECT_EQ(sessions[i].nPausedSeconds, want[i].paused);
        EXPECT_EQ(f.nSeconds, want[i].seconds);
        EXPECT_EQ(f.nHands, want[i].hands);
        EXPECT_NEAR(f.dMoney, want[i].money, 1e-9);
        EXPECT_NEAR(f.dHandsPerHour, want[i].handsPerHour, 1e-9);
        EXPECT_NEAR(f.dMoneyPerHour, want[i].moneyPerHour, 1e-9);
        EXPECT_EQ(f.vecTables.size(), want[i].tables);
    }
    EXPECT_EQ(sessions[0].Seconds(), clock1);
    EXPECT_EQ(sessions[1].Seconds(), clock2);
    const Figures all = FiguresOf(sessions);
    EXPECT_EQ(all.nSeconds, 4800);
    EXPECT_EQ(all.nHands, 5);
    EXPECT_NEAR(all.dHandsPerHour, 3.75, 1e-9);
    EXPECT_NEAR(all.dMoneyPerHour, 3.375, 1e-9);
    ASSERT_EQ(all.vecRooms.size(), 1u);
    EXPECT_EQ(all.vecRooms[0].strRoom, L"PokerStars");
    EXPECT_EQ(all.vecRooms[0].nHands, 5);
}

// Hands read from a file are committed together at the end of their batch,
// not one by one and not later: while the batch is being told nothing of it
// can be read back, afterwards all of it, with the totals the session shows.
// Big blinds are counted in the table's currency, whatever the display
// currency's rate: 0.50 EUR won at a 0.10 EUR big blind is 5 big blinds.
TEST_F(History, BigBlindsAreCountedInTheTableCurrency) {
    ASSERT_TRUE(Open().bRecording);
    session.Start();
    HandRecord h;
    h.strFile = L"/hh/Table 1.txt";
    h.strHandId = L"1";
    h.nCurrency = kCurrencyEUR;
    h.dBigBlind = 0.1;
    h.dResult = 0.5;
    h.dMoney = 0.56;
    totals.NotifyHandCounted(h);
    totals.NotifyHandsBatchEnded();
    const std::vector<SessionRecord> sessions = Committed();
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_NEAR(sessions[0].run.dMoney, 0.56, 1e-9);
    EXPECT_NEAR(sessions[0].run.dBigBlinds, 5.0, 1e-9);
    const std::vector<GraphPoint> graph = store.Graph(sessions[0].nId);
    ASSERT_EQ(graph.size(), 1u);
    EXPECT_NEAR(graph[0].dBigBlinds, 5.0, 1e-9);
}

TEST_F(History, EachBatchOfHandsIsOneTransaction) {
    ASSERT_TRUE(Open().bRecording);
    twtest::AddRoom(totals, L"PokerStars", {L"HERO"});
    totals.SetRates(L"1.00", L"1.12", L"1.42");
    session.Start();
    const std::int64_t id = store.LiveSession();

    struct SeenDuringBatch : IHandListener {
        std::string file;
        std::int64_t session = 0;
        std::vector<std::size_t> committed; // at each hand of the batch
        void HandCounted(const HandRecord&) override {
            committed.push_back(CommittedHands(file, session).size());
        }
    } seen;
    seen.file = File();
    seen.session = id;
    totals.AddHandListener(&seen);
    for (std::uint32_t seed : {1u, 2u}) {
        std::vector<std::wstring> lines =
            twgen::SplitLines(FromUtf8(twgen::GeneratePokerStars(6, seed).text));
        TableState table;
        table.nRoom = kRoomPokerStars;
        MakeMoneyData(totals, lines, table, HandSource{L"/hh/Table 1.txt"});
    }
    totals.RemoveHandListener(&seen);

    EXPECT_EQ(seen.committed, (std::vector<std::size_t>{0, 0, 0, 0, 0, 0, 6, 6, 6, 6, 6, 6}));
    const std::vector<HandRow> hands = CommittedHands(File(), id);
    ASSERT_EQ(hands.size(), 12u);
    EXPECT_NEAR(hands.back().dTotal, totals.dTotalMoney, 1e-9);
    const SessionRecord recorded = Committed().at(0);
    EXPECT_EQ(recorded.run.nHands, totals.nTotalHands);
    EXPECT_NEAR(recorded.run.dMoney, totals.dTotalMoney, 1e-9);
    EXPECT_NEAR(recorded.run.dBigBlinds, totals.dTotalBB, 1e-9);
}

// Each alarm is kept with the figures it fired at; a session stopped, or
// ended by the exit, with no hand since its last alarm ended by that alarm.
TEST_F(History, AlarmsAreKeptAndAStopRightAfterOneEndsTheSessionByIt) {
    ASSERT_TRUE(Open().bRecording);
    twtest::ChangeAlarms(alarms, [](AlarmSettings& a) {
        a.bHandsAlarm = 1;
        a.nHandsLimit = 2;
    });
    struct Case {
        const char* name;
        bool handAfterAlarm;
        bool closing;
        SessionEnded ended;
    };
    const Case cases[] = {
        {"stopped at the alarm", false, false, SessionEnded::kAlarm},
        {"played on after it", true, false, SessionEnded::kStop},
        {"the program closed at the alarm", false, true, SessionEnded::kAlarm},
    };
    for (const Case& c : cases) {
        session.Start();
        now += 60;
        Batch({0.5, 0.25});
        session.Refresh();
        if (c.handAfterAlarm)
            Batch({-1.0});
        if (c.closing)
            recorder.SetClosing();
        session.Stop();
    }
    const std::vector<SessionRecord> sessions = Committed();
    ASSERT_EQ(sessions.size(), std::size(cases));
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(sessions[i].ended, cases[i].ended);
        EXPECT_EQ(sessions[i].limits.nHands, 2);
        CHistoryStore reader;
        std::wstring error;
        reader.OpenForReading(FromUtf8(File()), error);
        const std::vector<AlarmEntry> fired = reader.Alarms(sessions[i].nId);
        ASSERT_EQ(fired.size(), 1u);
        EXPECT_EQ(fired[0].strKind, L"hands");
        EXPECT_EQ(fired[0].dLevel, 2);
        EXPECT_EQ(fired[0].nHands, 2);
        EXPECT_NEAR(fired[0].dMoney, 0.75, 1e-9);
        EXPECT_NEAR(fired[0].dBigBlinds, 7.5, 1e-9);
    }
}

// A session the program never ended (it was killed, the power went) is
// found at the next start and closed at the time of its last committed
// hand; recording goes on in the same file.
TEST_F(History, ASessionLeftOpenIsClosedAsInterruptedAtItsLastHand) {
    ASSERT_TRUE(Open().bRecording);
    const std::int64_t t0 = now;
    session.Start();
    now = t0 + 100;
    Batch({1.0});
    now = t0 + 400;
    Batch({0.5, -0.25});
    now = t0 + 5000;
    store.Close(); // as a crash leaves it: the session is still open

    now = t0 + 90000;
    const CHistoryStore::OpenResult reopened = Open();
    EXPECT_TRUE(reopened.bRecording);
    EXPECT_EQ(reopened.nInterrupted, 1);
    EXPECT_TRUE(log.Has(L"interrupted"));
    const SessionRecord s = Committed().at(0);
    EXPECT_EQ(s.ended, SessionEnded::kInterrupted);
    EXPECT_EQ(s.tEnd, t0 + 400);
    EXPECT_EQ(s.Seconds(), 400);
    EXPECT_EQ(s.run.nHands, 3);
    EXPECT_NEAR(s.run.dMoney, 1.25, 1e-9);

    session.Stop(); // the old run's end reaches a history that no longer records it
    session.Start();
    now += 60;
    Batch({2.0});
    session.Stop();
    const std::vector<SessionRecord> after = Committed();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].ended, SessionEnded::kInterrupted);
    EXPECT_EQ(after[1].ended, SessionEnded::kStop);
    EXPECT_EQ(after[1].run.nHands, 1);
}

// A file that is damaged, from a newer program or no history at all is
// moved aside untouched and a new history starts; a file that cannot be
// opened at all records nothing. Either way the user and the log are told
// and the session counts as before.
TEST_F(History, BadFilesAreSetAsideAndTheSessionStillCounts) {
    auto makeDb = [](const std::string& path, const char* sql) {
        CSqlite db;
        ASSERT_EQ(db.Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE), SQLITE_OK);
        ASSERT_EQ(db.Exec(sql), SQLITE_OK);
    };
    struct Case {
        const char* name;
        std::string reason; // in the name it is kept under; empty: none kept
        std::function<void(const std::string& path)> make;
    };
    const std::string newer =
        "CREATE TABLE sessions(id INTEGER); PRAGMA application_id = " +
        std::to_string(CHistoryStore::kApplicationId) +
        "; PRAGMA user_version = " + std::to_string(CHistoryStore::kSchemaVersion + 1) + ";";
    const Case cases[] = {
        {"not a database", "damaged",
         [](const std::string& path) {
             std::string text;
             for (int i = 0; i < 300; ++i)
                 text += "this is no database at all\n";
             twtest::WriteBytes(path, text);
         }},
        {"a history with damaged pages", "damaged",
         [](const std::string& path) {
             CHistoryStore full;
             ASSERT_TRUE(full.Open(FromUtf8(path), 1'767'776'400).bRecording);
             full.BeginSession(1'767'776'400, L"USD", {});
             for (int i = 0; i < 400; ++i) {
                 HandEntry h;
                 h.strRoom = L"PokerStars";
                 h.strFile = L"/hh/Table 1.txt";
                 h.strHandId = std::to_wstring(500000 + i);
                 h.strCurrency = L"USD";
                 h.dBigBlind = 0.1;
                 h.dResult = h.dMoney = 0.25;
                 full.AddHand(h);
             }
             full.EndBatch(0);
             full.Close();
             std::string bytes = twtest::ReadBytes(path);
             ASSERT_GT(bytes.size(), 4u * 4096);
             for (std::size_t i = 2 * 4096 + 100; i < 4 * 4096; ++i)
                 bytes[i] = static_cast<char>(0x5A);
             twtest::WriteBytes(path, bytes);
         }},
        {"written by a newer program", "newer",
         [&](const std::string& path) { makeDb(path, newer.c_str()); }},
        {"another program's database", "foreign",
         [&](const std::string& path) { makeDb(path, "CREATE TABLE notes(text TEXT);"); }},
        {"a folder in its place", "",
         [](const std::string& path) { std::filesystem::create_directory(path); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(File());
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            std::filesystem::remove_all(entry.path());
        c.make(File());
        const std::string before =
            std::filesystem::is_regular_file(File()) ? twtest::ReadBytes(File()) : "";
        log.lines.clear();

        const CHistoryStore::OpenResult r = Open();
        EXPECT_FALSE(r.strProblem.empty());
        EXPECT_TRUE(log.Has(r.strProblem));
        if (c.reason.empty()) {
            EXPECT_FALSE(r.bRecording);
            EXPECT_TRUE(r.strSetAside.empty());
        } else {
            EXPECT_TRUE(r.bRecording);
            EXPECT_NE(r.strSetAside.find(FromUtf8(c.reason)), std::wstring::npos)
                << ToUtf8(r.strSetAside);
            EXPECT_TRUE(twtest::ReadBytes(ToUtf8(r.strSetAside)) == before)
                << "the file kept aside is not the file as it was";
        }

        session.Start();
        Batch({1.0, -0.25});
        session.Stop();
        EXPECT_EQ(totals.nTotalHands, 2);
        EXPECT_NEAR(totals.dTotalMoney, 0.75, 1e-9);
        if (!c.reason.empty()) {
            const std::vector<SessionRecord> kept = Committed();
            ASSERT_EQ(kept.size(), 1u);
            EXPECT_EQ(kept[0].run.nHands, 2);
        }
        store.Close();
    }
}

// Only one process records into a history: a second one would take the
// first one's running session for one a crash left open.
TEST_F(History, ASecondRecorderOfTheSameHistoryRecordsNothing) {
    ASSERT_TRUE(Open().bRecording);
    session.Start();
    Batch({1.0});

    CHistoryStore second;
    const CHistoryStore::OpenResult r = second.Open(FromUtf8(File()), now);
    EXPECT_FALSE(r.bRecording);
    EXPECT_NE(r.strProblem.find(L"another Tarnwick"), std::wstring::npos);
    EXPECT_EQ(r.nInterrupted, 0);
    EXPECT_EQ(Committed().at(0).ended, SessionEnded::kOpen);

    Batch({0.5});
    session.Stop();
    const SessionRecord s = Committed().at(0);
    EXPECT_EQ(s.ended, SessionEnded::kStop);
    EXPECT_EQ(s.run.nHands, 2);
}
