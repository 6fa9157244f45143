// A session over a real folder tree: the real watcher, its delivery thread,
// the history file reader and the engine, with files written the way poker
// clients write them.
#include "app/TarnwickApp.h"
#include "gen/PokerStarsGen.h"
#include "support/LogSink.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"
#include "watch/RoomWatches.h"

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <functional>
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
        twtest::AddRoom(app, L"PokerStars", {L"HERO", FromUtf8(hh.string())});
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

    // Runs the watches' folder check, as the window's timer does; each call
    // is a check period later than the last.
    CRoomWatches* pChecked = nullptr;
    CRoomWatches::Clock::time_point tCheck = CRoomWatches::Clock::now();
    void Check() {
        if (pChecked)
            pChecked->CheckFolders(tCheck += CRoomWatches::kFolderCheckPeriod);
    }

    // Waits (settling quiet files as the window's timer does) until the
    // expected hands are counted; a deadline only ends a test that failed.
    void WaitForCount(std::chrono::seconds wait = std::chrono::seconds(20)) {
        auto deadline = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < deadline) {
            Check();
            app.historyReader.FlushIdle(CHistoryFileReader::Clock::now());
            {
                auto lock = app.LockHistory();
                if (app.nTotalHands >= expectHands)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        auto lock = app.LockHistory();
        ASSERT_EQ(app.nTotalHands, expectHands);
        ASSERT_NEAR(app.dTotalMoney, expectCents / 100.0, 1e-6);
        ASSERT_EQ(std::set<std::wstring>(counter.ids.begin(), counter.ids.end()).size(),
                  counter.ids.size());
    }

    // Waits until the room's folder is reported not watched.
    void WaitUntilUnwatched(const CRoomWatches& watches) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (watches.UnwatchedRooms().empty() && std::chrono::steady_clock::now() < deadline) {
            Check();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(watches.UnwatchedRooms().size(), 1u);
    }

    bool Logged(const std::wstring& a, const std::wstring& b, const std::wstring& c) {
        std::lock_guard<std::mutex> lock(log.cs);
        for (const std::wstring& l : log.lines)
            if (l.find(a) != l.npos && l.find(b) != l.npos && l.find(c) != l.npos)
                return true;
        return false;
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
    const auto known = [&] { return app.HasReadPosition(FromUtf8(movedOld.string())); };
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
    twtest::AddRoom(app, L"PokerStars2", {L"HERO", FromUtf8(second.string())});

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

// A watched folder that goes away and comes back, or that is missing when
// the session starts: it is reported not watched meanwhile, watched again by
// itself, and every hand written into it counts once. Files read before go
// on from their positions, files written meanwhile are read from their
// start, old files never count.
TEST_F(LiveSession, AFolderThatGoesAndComesBackIsWatchedAgainCountingEachHandOnce) {
    struct Way {
        const char* szName;
        // Takes the folder `f` away (or, missing at the start, hides it before);
        // returns where its files are meanwhile (empty: gone).
        std::function<fs::path(const fs::path& f)> fnAway;
        std::function<void(const fs::path& f, const fs::path& away)> fnBack;
        bool bMissingAtStart = false;
        bool bRenameTableAway = false; // the open table is renamed while away
    };
    auto renameTo = [](const fs::path& from, const fs::path& to) {
        fs::rename(from, to);
        return to;
    };
    const std::vector<Way> ways = {
        {"deleted and made again",
         [](const fs::path& f) {
             fs::remove_all(f);
             return fs::path();
         },
         [](const fs::path& f, const fs::path&) { fs::create_directories(f); }},
        {"renamed away and back",
         [&](const fs::path& f) { return renameTo(f, f.string() + ".away"); },
         [](const fs::path& f, const fs::path& away) { fs::rename(away, f); }},
        // No event reaches the watch: the periodic check sees it.
        {"its parent renamed away and back",
         [&](const fs::path& f) {
             return renameTo(f.parent_path(), f.parent_path().string() + ".away") / f.filename();
         },
         [](const fs::path& f, const fs::path& away) {
             fs::rename(away.parent_path(), f.parent_path());
         },
         false, true},
        // Files that were there before it appeared (a drive mounted later).
        {"missing at the start",
         [&](const fs::path& f) { return renameTo(f, f.string() + ".elsewhere"); },
         [](const fs::path& f, const fs::path& away) { fs::rename(away, f); }, true},
    };
    std::uint32_t seed = 40;
    for (const Way& way : ways) {
        SCOPED_TRACE(way.szName);
        const fs::path f = dir.path() / ("way" + std::to_string(seed)) / "hh";
        fs::create_directories(f);
        twtest::AddRoom(app, L"PokerStars", {L"HERO", FromUtf8(f.string())});
        // An open table and an old file, both there before the start.
        fs::path open = f / "HH open.txt";
        const fs::path old = f / "HH old.txt";
        WriteBytes(open.string(), Hands(2, ++seed, false));
        WriteBytes(old.string(), Hands(2, ++seed, false));
        const auto now = fs::file_time_type::clock::now();
        fs::last_write_time(old, now - std::chrono::hours(48));
        fs::last_write_time(open, now - std::chrono::hours(1));

        fs::path away;
        if (way.bMissingAtStart)
            away = way.fnAway(f);
        CRoomWatches watches(app, app.historyReader);
        pChecked = &watches;
        watches.StartWatches(std::time(nullptr));
        if (!way.bMissingAtStart) {
            WriteBytes(open.string(), Hands(2, ++seed), true);
            WaitForCount();
            EXPECT_TRUE(watches.UnwatchedRooms().empty());
            away = way.fnAway(f);
        }
        WaitUntilUnwatched(watches);
        const auto unwatched = watches.UnwatchedRooms();
        EXPECT_EQ(unwatched.at(0).strRoom, L"PokerStars");
        EXPECT_EQ(unwatched.at(0).strFolder, FromUtf8(f.string()));
        EXPECT_TRUE(Logged(L"PokerStars", FromUtf8(f.string()),
                           way.bMissingAtStart ? L"does not exist" : L"is gone"));

        if (!away.empty() && !way.bMissingAtStart) {
            // Written to a table read up to its position while its folder is
            // away (and maybe renamed there): the new hand counts once it is
            // back, the others do not count again.
            WriteBytes((away / open.filename()).string(), Hands(1, ++seed), true);
            if (way.bRenameTableAway) {
                fs::rename(away / open.filename(), away / "HH open renamed.txt");
                open = f / "HH open renamed.txt";
            }
        }
        way.fnBack(f, away);
        // Written before the watch is back: read from its start.
        const fs::path fresh = f / "HH fresh.txt";
        WriteBytes(fresh.string(), Hands(2, ++seed));
        if (away.empty()) {
            // A new table under the name of one that went with the folder.
            WriteBytes(open.string(), Hands(1, ++seed));
        }
        WaitForCount();
        EXPECT_TRUE(watches.UnwatchedRooms().empty());
        EXPECT_TRUE(Logged(L"PokerStars", FromUtf8(f.string()),
                           way.bMissingAtStart ? L"is there now" : L"is there again"));

        // Watched as before.
        WriteBytes(fresh.string(), Hands(1, ++seed), true);
        WriteBytes(open.string(), Hands(1, ++seed), true);
        WaitForCount();
        watches.StopWatches();
        pChecked = nullptr;
    }
}

TEST_F(LiveSession, SessionStartLogsEachRoomAndSkipsMissingFolders) {
    const std::wstring nowhere = FromUtf8((dir.path() / "nowhere").string());
    twtest::AddRoom(app, L"UPoker2", {L"HERO", nowhere});
    CRoomWatches watches(app, app.historyReader);
    watches.StartWatches(std::time(nullptr));
    EXPECT_EQ(watches.WatchCount(), 1u);
    // A missing folder is not watched, but never silently: the log names it
    // with its room, and the room is reported not watched.
    const auto unwatched = watches.UnwatchedRooms();
    ASSERT_EQ(unwatched.size(), 1u);
    EXPECT_EQ(unwatched[0].strRoom, L"UPoker2");
    EXPECT_EQ(unwatched[0].strFolder, nowhere);
    std::lock_guard<std::mutex> lock(log.cs);
    ASSERT_GE(log.lines.size(), 3u);
    EXPECT_EQ(log.lines[0], L"Nickname = HERO PokerRoom number = 2 PokerRoom name = PokerStars");
    EXPECT_EQ(log.lines[1], L"PokerRoom path = " + FromUtf8(hh.string()));
    EXPECT_EQ(log.lines[2].rfind(L"Start WatchDirectory OK!\n", 0), 0u);
    EXPECT_EQ(log.lines.back(), L"PokerRoom UPoker2: history folder " + nowhere +
                                    L" does not exist: not watched until it does");
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
