// A session over a real folder tree: the real watcher, its delivery thread,
// the history file reader and the engine, with files written the way poker
// clients write them.
#include "app/TarnwickApp.h"
#include "bench/gen/PokerStarsGen.h"
#include "support/LogSink.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"
#include "watch/RoomWatches.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace tw;
namespace fs = std::filesystem;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

struct Counter : IHandListener {
    std::multiset<std::wstring> ids;
    void HandCounted(const HandRecord& h) override { ids.insert(h.strHandId); }
};

struct LogLines : ILogSink {
    std::mutex cs;
    std::vector<std::wstring> lines;
    void WriteLogLine(const std::wstring& t) override {
        std::lock_guard<std::mutex> lock(cs);
        lines.push_back(t);
    }
};

class LiveSession : public ::testing::Test {
protected:
    TempDir dir;
    fs::path hh = dir.path() / "hh";
    CTarnwickApp app{[] {
        CTarnwickApp::Options o;
        o.bOpenLog = false;
        o.bLoadSettingsFile = false;
        return o;
    }()};
    Counter counter;
    LogLines log;
    long long expectCents = 0;
    int expectHands = 0;

    void SetUp() override {
        fs::create_directories(hh);
        CPokerRoom r;
        r.nRoomNumber = kRoomPokerStars;
        r.strNickname = L"HERO";
        r.strHistoryPath = FromUtf8(hh.string());
        app.mapRooms[L"PokerStars"] = r;
        app.SetRates(L"1.00", L"1.12", L"1.42");
        app.AddHandListener(&counter);
        app.SetLog(&log);
    }

    // Hands with numbers of their own (the generator numbers from 1).
    std::string Hands(int n, std::uint32_t seed, bool expected = true) {
        auto g = twgen::GeneratePokerStars(n, seed);
        std::string text = g.text;
        std::string from = "PokerStars Hand #2000000";
        std::string to = "PokerStars Hand #" + std::to_string(100 + seed) + "0";
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
            text.replace(at, from.size(), to);
        if (expected) {
            expectCents += g.heroCents;
            expectHands += g.hands;
        }
        return text;
    }

    // Waits (settling quiet files as the window's timer does) until the
    // expected hands are counted; a deadline only ends a test that failed.
    void WaitForCount(std::chrono::seconds wait = std::chrono::seconds(20)) {
        auto deadline = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < deadline) {
            app.historyReader.FlushIdle(CHistoryFileReader::Clock::now());
            {
                std::lock_guard<std::recursive_mutex> lock(app.csHistory);
                if (app.nTotalHands >= expectHands)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::lock_guard<std::recursive_mutex> lock(app.csHistory);
        ASSERT_EQ(app.nTotalHands, expectHands);
        ASSERT_NEAR(app.dTotalMoney, expectCents / 100.0, 1e-6);
        ASSERT_EQ(std::set<std::wstring>(counter.ids.begin(), counter.ids.end()).size(),
                  counter.ids.size());
    }

    void AppendInPieces(const fs::path& file, const std::string& text, std::mt19937& rng) {
        std::size_t at = 0;
        while (at < text.size()) {
            std::size_t n = 1 + rng() % 700;
            WriteBytes(file.string(), text.substr(at, n), true);
            at += n;
            if (rng() % 4 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 40));
        }
    }
};

} // namespace

TEST_F(LiveSession, EveryHandWrittenCountsOnceWhateverTheWayItIsWritten) {
    std::mt19937 rng(17);
    // Tables open before the start: their old hands are not this session's.
    const fs::path open = hh / "HH20261208 Open.txt";
    WriteBytes(open.string(), Hands(2, 1, false));
    const fs::path old = hh / "HH20261101 Old.txt";
    WriteBytes(old.string(), Hands(1, 2, false));
    fs::last_write_time(old, fs::file_time_type::clock::now() - std::chrono::hours(48));
    const fs::path other = hh / "notes.txt"; // not a history file of this room
    WriteBytes(other.string(), Hands(1, 3, false));

    CRoomWatches watches(app, app.historyReader);
    watches.StartWatches(std::time(nullptr));
    ASSERT_EQ(watches.WatchCount(), 1u);

    // New hands of an open table, whole.
    WriteBytes(open.string(), Hands(3, 4), true);
    WaitForCount();

    // A table opened after the start, written in pieces of any size.
    const fs::path fresh = hh / "HH20261208 Fresh.txt";
    AppendInPieces(fresh, Hands(4, 5), rng);
    WaitForCount();

    // A new sub-folder with a table in it.
    fs::create_directories(hh / "2026-12-08");
    WriteBytes((hh / "2026-12-08" / "HH Sub.txt").string(), Hands(2, 6));
    WaitForCount();

    // A renamed table keeps its place: only new hands count.
    const fs::path renamed = hh / "HH20261208 Fresh renamed.txt";
    fs::rename(fresh, renamed);
    AppendInPieces(renamed, Hands(2, 7), rng);
    WaitForCount();

    // A removed table, and a new one of the same name.
    fs::remove(renamed);
    WriteBytes(renamed.string(), Hands(1, 8));
    WaitForCount();

    // A table replaced by a shorter file is read from its start.
    WriteBytes(open.string(), Hands(1, 9));
    WaitForCount();

    // Binary garbage under a history name, and files of other names.
    std::string garbage;
    for (int i = 0; i < 100000; ++i)
        garbage.push_back(static_cast<char>(rng()));
    WriteBytes((hh / "HH garbage.txt").string(), garbage);
    WriteBytes(other.string(), Hands(1, 10, false), true);
    WriteBytes(old.string(), Hands(1, 11, false), true);
    WriteBytes(fresh.string(), Hands(1, 12)); // the first name, created anew
    WaitForCount();

    watches.StopWatches();
    EXPECT_EQ(watches.WatchCount(), 0u);
}

TEST_F(LiveSession, FilesReplacedOrMovedInCountEachHandOnce) {
    const fs::path outside = dir.path() / "elsewhere"; // not watched
    fs::create_directories(outside);
    // An old history file kept outside, last written the day before.
    const std::string oldHands = Hands(4, 33, false);
    WriteBytes((outside / "HH20261101 Old.txt").string(), oldHands);
    fs::last_write_time(outside / "HH20261101 Old.txt",
                        fs::file_time_type::clock::now() - std::chrono::hours(24));

    CRoomWatches watches(app, app.historyReader);
    watches.StartWatches(std::time(nullptr));
    const fs::path table = hh / "HH20261208 Table.txt";
    const std::string first = Hands(10, 30);
    WriteBytes(table.string(), first);
    WaitForCount();

    // The client rewrites the table into a temporary file (no history name)
    // with the old hands and new ones, and renames it over the table.
    const std::string second = Hands(5, 31);
    WriteBytes((hh / "HH20261208 Table.tmp").string(), first + second);
    fs::rename(hh / "HH20261208 Table.tmp", table);
    WaitForCount();
    // The same from a folder outside the watched tree.
    const std::string third = Hands(3, 32);
    WriteBytes((outside / "table.new").string(), first + second + third);
    fs::rename(outside / "table.new", table);
    WaitForCount();

    // The old file moved in: its hands were played before the session; what
    // is appended after the move counts.
    const fs::path movedOld = hh / "HH20261101 Old.txt";
    fs::rename(outside / "HH20261101 Old.txt", movedOld);
    const auto known = [&] {
        std::lock_guard<std::recursive_mutex> lock(app.csHistory);
        return app.mapFileTest.count(FromUtf8(movedOld.string())) != 0;
    };
    for (int i = 0; i < 2000 && !known(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(known());
    WriteBytes(movedOld.string(), Hands(2, 34), true);
    WaitForCount();
    // A file written during the session and moved in counts whole.
    WriteBytes((outside / "HH20261208 New.txt").string(), Hands(2, 35));
    fs::rename(outside / "HH20261208 New.txt", hh / "HH20261208 New.txt");
    WaitForCount();

    // Two thousand tables at once.
    fs::create_directories(hh / "many");
    for (std::uint32_t i = 0; i < 2000; ++i)
        WriteBytes((hh / "many" / ("HH table " + std::to_string(i) + ".txt")).string(),
                   Hands(1, 100 + i));
    WaitForCount(std::chrono::seconds(120)); // a slow machine takes its time
    // Nothing more arrives late.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    app.historyReader.FlushAll();
    WaitForCount();
}

TEST_F(LiveSession, AWatchedFolderRemovedDoesNotStopTheOthers) {
    const fs::path second = dir.path() / "second";
    fs::create_directories(second);
    CPokerRoom r;
    r.nRoomNumber = kRoomPokerStars2;
    r.strNickname = L"HERO";
    r.strHistoryPath = FromUtf8(second.string());
    app.mapRooms[L"PokerStars2"] = r;

    CRoomWatches watches(app, app.historyReader);
    watches.StartWatches(std::time(nullptr));
    ASSERT_EQ(watches.WatchCount(), 2u);
    fs::remove_all(second);
    WriteBytes((hh / "HH after.txt").string(), Hands(2, 20));
    WaitForCount();
    // Starting again restarts the watches instead of adding second ones.
    fs::create_directories(second);
    watches.StartWatches(std::time(nullptr));
    EXPECT_EQ(watches.WatchCount(), 2u);
    WriteBytes((hh / "HH after.txt").string(), Hands(1, 21), true);
    WaitForCount();
}

TEST_F(LiveSession, SessionStartLogsEachRoomAndSkipsMissingFolders) {
    CPokerRoom r;
    r.nRoomNumber = 5;
    r.strNickname = L"HERO";
    r.strHistoryPath = FromUtf8((dir.path() / "nowhere").string());
    app.mapRooms[L"UPoker2"] = r;
    CRoomWatches watches(app, app.historyReader);
    watches.StartWatches(std::time(nullptr));
    EXPECT_EQ(watches.WatchCount(), 1u);
    std::lock_guard<std::mutex> lock(log.cs);
    ASSERT_GE(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0], L"Nickname = HERO PokerRoom number = 2 PokerRoom name = PokerStars");
    EXPECT_EQ(log.lines[1], L"PokerRoom path = " + FromUtf8(hh.string()));
    EXPECT_EQ(log.lines[2].rfind(L"Start WatchDirectory OK!\n", 0), 0u);
    for (const auto& l : log.lines)
        EXPECT_EQ(l.find(L"nowhere"), std::wstring::npos); // a missing folder is skipped silently
}

TEST_F(LiveSession, AFifoUnderAHistoryNameIsSkippedWithOneLogLineAndBlocksNothing) {
    CRoomWatches watches(app, app.historyReader);
    watches.StartWatches(std::time(nullptr));
    const fs::path fifo = hh / "HH20261208 Fifo.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    // Whatever opens the FIFO for reading is caught, and let go: a writer's
    // open succeeds only while a reader holds the FIFO or waits in open().
    struct Watchdog {
        const fs::path& path;
        std::atomic<bool> bStop{false}, bOpened{false};
        std::thread thread{[this] {
            while (!bStop) {
                const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    bOpened = true;
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }};
        ~Watchdog() {
            bStop = true;
            thread.join();
        }
    } watchdog{fifo};
    // Another FIFO renamed over it: the renamed file is read at once, where
    // an open that waits for a writer would wait for ever, on the thread that
    // counts every hand.
    const fs::path next = hh / "next.fifo";
    ASSERT_EQ(::mkfifo(next.c_str(), 0644), 0);
    fs::rename(next, fifo);
    WriteBytes((hh / "HH20261208 After.txt").string(), Hands(2, 30));
    WaitForCount();

    EXPECT_FALSE(watchdog.bOpened);
    std::lock_guard<std::mutex> lock(log.cs);
    int named = 0;
    for (const auto& l : log.lines)
        named += l.find(FromUtf8(fifo.string())) != std::wstring::npos;
    EXPECT_EQ(named, 1);
}

TEST(RoomFilters, EachRoomWatchesItsOwnFiles) {
    RoomFilter f;
    ASSERT_TRUE(RoomFilterFor(L"PokerStars2", L"Me", f));
    EXPECT_EQ(f.nRoom, 3);
    EXPECT_EQ(f.strInclude, L"HH*.txt");
    ASSERT_TRUE(RoomFilterFor(L"UPoker2", L"Me", f));
    EXPECT_EQ(f.nRoom, 5);
    EXPECT_EQ(f.strInclude, L"*Me.txt");
    EXPECT_EQ(f.strExclude, L"*nohero.txt");
    // Tiger Gaming has a filter of its own, whatever room came before.
    ASSERT_TRUE(RoomFilterFor(L"TigerGaming", L"Me", f));
    EXPECT_EQ(f.nRoom, 16);
    EXPECT_EQ(f.strInclude, L"*.txt");
    EXPECT_TRUE(f.strExclude.empty());
    ASSERT_TRUE(RoomFilterFor(L"Betfair poker", L"Me", f));
    EXPECT_EQ(f.strInclude, L"*.xml");
    EXPECT_FALSE(RoomFilterFor(L"Poker Planet", L"Me", f));
}
