#include "reading/HistoryFileReader.h"
#include "app/TarnwickApp.h"
#include "gen/AnyFormatGen.h"
#include "gen/IPokerSample.h"
#include "support/LogSink.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <sstream>

using namespace tw;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

struct Recorder : IHandListener {
    std::multiset<std::wstring> ids;
    std::set<RoomNumber> rooms;
    void HandCounted(const HandRecord& h) override {
        if (h.bCounted)
            ids.insert(h.strHandId);
        rooms.insert(h.nRoom);
    }
    bool NoneTwice() const {
        return std::set<std::wstring>(ids.begin(), ids.end()).size() == ids.size();
    }
};

struct LogLines : ILogSink {
    std::vector<std::wstring> lines;
    void WriteLogLine(const std::wstring& t) override { lines.push_back(t); }
};

// An application without a work log, with one room on a temporary folder.
struct Live {
    TempDir dir;
    CTarnwickApp app{[] {
        CTarnwickApp::Options o;
        o.bOpenLog = false;
        return o;
    }()};
    Recorder rec;
    LogLines log;
    CHistoryFileReader& reader = app.historyReader;

    Live(const std::wstring& room, const std::wstring& nick) {
        Configure(room, nick, FromUtf8(dir.path().string()));
        app.SetRates(L"1.00", L"1.12", L"1.42");
        app.AddHandListener(&rec);
        app.SetLog(&log);
    }
    void Configure(const std::wstring& room, const std::wstring& nick, const std::wstring& folder) {
        twtest::AddRoom(app, room, {nick, folder});
    }
    std::string File(const std::string& name) const { return dir.file(name); }
};

// Appends `text` to `path` in the pieces that end at `cuts`, telling the
// reader after each piece as the watcher would.
void WriteInPieces(Live& live, const std::string& path, const std::string& text,
                   std::vector<std::size_t> cuts) {
    std::sort(cuts.begin(), cuts.end());
    cuts.push_back(text.size());
    std::size_t at = 0;
    for (std::size_t cut : cuts) {
        if (cut <= at)
            continue;
        WriteBytes(path, text.substr(at, cut - at), true);
        live.reader.FileModified(FromUtf8(path));
        at = cut;
    }
}

} // namespace

TEST(HistoryFileReader, HandsWrittenInPiecesCountOnceWithTheirWholeResult) {
    const auto gen = twgen::GeneratePokerStars(4, 11);
    std::mt19937 rng(5);
    // Every single cut of the first hand, then random cuts over all four.
    std::size_t firstHand = gen.text.find("PokerStars Hand #", 10);
    std::vector<std::vector<std::size_t>> splits;
    for (std::size_t c = 1; c < firstHand; c += 7)
        splits.push_back({c});
    for (int i = 0; i < 60; ++i) {
        std::vector<std::size_t> cuts;
        for (int k = 0, n = 1 + static_cast<int>(rng() % 12); k < n; ++k)
            cuts.push_back(rng() % gen.text.size());
        splits.push_back(cuts);
    }
    for (const auto& cuts : splits) {
        Live live(L"PokerStars", L"HERO");
        const std::string path = live.File("HH20261208 Table.txt");
        WriteBytes(path, "");
        live.reader.FileAdded(FromUtf8(path));
        WriteInPieces(live, path, gen.text, cuts);
        // Finished hands count without waiting for any later text.
        ASSERT_EQ(live.app.nTotalHands, gen.hands) << "cut at " << cuts.front();
        ASSERT_TRUE(live.rec.NoneTwice());
        ASSERT_NEAR(live.app.dTotalMoney, gen.heroCents / 100.0, 1e-9) << "cut at " << cuts.front();
    }
}

TEST(HistoryFileReader, AHandCutAnywhereCountsOnceWholeInEveryFormat) {
    std::mt19937 rng(9);
    for (const char* format : twgen::kFormats) {
        SCOPED_TRACE(format);
        twgen::GeneratedText gen;
        ASSERT_TRUE(twgen::Generate(format, 3, gen));
        for (int i = 0; i < 20; ++i) {
            Live live(twgen::RoomOfFormat(format), L"HERO");
            const std::string path = live.File(std::string("table") +
                                               (format == std::string("ipoker") ? ".xml" : ".txt"));
            WriteBytes(path, "");
            live.reader.FileAdded(FromUtf8(path));
            std::vector<std::size_t> cuts;
            for (int k = 0; k < 6; ++k)
                cuts.push_back(rng() % gen.text.size());
            WriteInPieces(live, path, gen.text, cuts);
            // The last hand may wait for its end: a short quiet time settles it.
            live.reader.FlushIdle(CHistoryFileReader::Clock::now() + std::chrono::seconds(5));
            ASSERT_EQ(live.app.nTotalHands, gen.hands);
            ASSERT_TRUE(live.rec.NoneTwice());
            ASSERT_NEAR(live.app.dTotalMoney, gen.heroCents / 100.0, 1e-9);
        }
    }
}

TEST(HistoryFileReader, AnUnfinishedLastHandWaitsForTheRestInEveryFormat) {
    for (const char* format : twgen::kFormats) {
        SCOPED_TRACE(format);
        twgen::GeneratedText gen;
        ASSERT_TRUE(twgen::Generate(format, 3, gen));
        Live live(twgen::RoomOfFormat(format), L"HERO");
        const std::string path =
            live.File(std::string("table") + (format == std::string("ipoker") ? ".xml" : ".txt"));
        WriteBytes(path, "");
        live.reader.FileAdded(FromUtf8(path));
        // The text up to the middle of the last hand: the hands before it
        // count at once, the last one neither now nor while the file is busy.
        const std::size_t cut = gen.text.size() - gen.text.size() / (2 * gen.hands);
        WriteInPieces(live, path, gen.text.substr(0, cut), {});
        EXPECT_EQ(live.app.nTotalHands, gen.hands - 1);
        live.reader.FlushIdle(CHistoryFileReader::Clock::now());
        EXPECT_EQ(live.app.nTotalHands, gen.hands - 1);
        // The rest of it completes the hand, which counts once and whole.
        WriteInPieces(live, path, gen.text.substr(cut), {});
        live.reader.FlushIdle(CHistoryFileReader::Clock::now() + CHistoryFileReader::kIdle);
        EXPECT_EQ(live.app.nTotalHands, gen.hands);
        EXPECT_TRUE(live.rec.NoneTwice());
        EXPECT_NEAR(live.app.dTotalMoney, gen.heroCents / 100.0, 1e-9);
    }
}

TEST(HistoryFileReader, AnUnfinishedHandWaitsUntilTheFileIsQuiet) {
    Live live(L"PokerStars", L"HERO");
    const auto gen = twgen::GeneratePokerStars(1, 3);
    // The hand without its summary: nothing tells that it is complete.
    const std::string text = gen.text.substr(0, gen.text.find("*** SUMMARY ***"));
    const std::string path = live.File("HH1.txt");
    WriteBytes(path, text);
    live.reader.FileAdded(FromUtf8(path));
    live.reader.FileModified(FromUtf8(path));
    EXPECT_EQ(live.app.nTotalHands, 0);
    EXPECT_TRUE(live.reader.HasPending());
    live.reader.FlushIdle(CHistoryFileReader::Clock::now()); // not quiet long enough
    EXPECT_EQ(live.app.nTotalHands, 0);
    live.reader.FlushIdle(CHistoryFileReader::Clock::now() + CHistoryFileReader::kIdle);
    EXPECT_EQ(live.app.nTotalHands, 1);
    EXPECT_FALSE(live.reader.HasPending());
}

TEST(HistoryFileReader, TablesOpenBeforeTheStartCountOnlyNewHands) {
    Live live(L"PokerStars", L"HERO");
    const auto before = twgen::GeneratePokerStars(3, 1);
    const auto after = twgen::GeneratePokerStars(2, 2);
    const std::string path = live.File("HH open.txt");
    WriteBytes(path, before.text);
    live.reader.FileOpenedBefore(FromUtf8(path), static_cast<std::int64_t>(before.text.size()));
    WriteBytes(path, after.text, true);
    live.reader.FileModified(FromUtf8(path));
    EXPECT_EQ(live.app.nTotalHands, 2);
    EXPECT_NEAR(live.app.dTotalMoney, after.heroCents / 100.0, 1e-9);

    // A file never reported is never read.
    const std::string unknown = live.File("HH unknown.txt");
    WriteBytes(unknown, after.text);
    live.reader.FileModified(FromUtf8(unknown));
    EXPECT_EQ(live.app.nTotalHands, 2);
}

TEST(HistoryFileReader, TextReadStaysReadWhenCountingItsHandsThrows) {
    // The delivery of notices survives a handler that throws; the file's
    // position must have moved past what was read all the same, or the next
    // change reads that text again.
    struct Throwing : IHandListener {
        void HandCounted(const HandRecord&) override { throw std::runtime_error("listener"); }
    } thrower;
    Live live(L"PokerStars", L"HERO");
    const auto gen = twgen::GeneratePokerStars(3, 4);
    const std::wstring path = FromUtf8(live.File("HH throws.txt"));
    WriteBytes(ToUtf8(path), gen.text);
    live.reader.FileAdded(path);
    live.app.AddHandListener(&thrower);
    EXPECT_THROW(live.reader.FileModified(path), std::runtime_error);
    std::int64_t pos = -1;
    ASSERT_TRUE(live.app.FindReadPosition(path, pos));
    EXPECT_EQ(pos, static_cast<std::int64_t>(gen.text.size()));
}

TEST(HistoryFileReader, FilesGoToTheRoomWhoseFolderHoldsThem) {
    Live live(L"PokerStars", L"Alice");
    const std::wstring base = FromUtf8(live.dir.path().string());
    std::filesystem::create_directories(live.dir.path() / "Stars");
    std::filesystem::create_directories(live.dir.path() / "Stars2" / "sub");
    live.Configure(L"PokerStars", L"HERO", base + L"/Stars");
    live.Configure(L"PokerStars2", L"HERO77", base + L"/Stars2/"); // a trailing slash is ignored
    const auto gen = twgen::GeneratePokerStars(5, 8);

    // "Stars" is a prefix of "Stars2" but not its folder.
    const std::string path = live.File("Stars2/sub/HH x.txt");
    WriteBytes(path, gen.text);
    live.reader.FileAdded(FromUtf8(path));
    live.reader.FileModified(FromUtf8(path));
    ASSERT_EQ(live.app.nTotalHands, 5);
    EXPECT_EQ(live.rec.rooms, std::set<RoomNumber>{kRoomPokerStars2});

    // An inactive room reads nothing; a file outside every folder is logged.
    CPokerRoom inactive = *live.app.FindRoom(L"PokerStars2");
    inactive.bActive = false;
    live.app.SetRoom(L"PokerStars2", inactive);
    live.reader.FileAdded(FromUtf8(path));
    live.reader.FileModified(FromUtf8(path));
    EXPECT_EQ(live.app.nTotalHands, 5);
    ASSERT_FALSE(live.log.lines.empty());
    EXPECT_NE(live.log.lines.back().find(L"Room is not found by history = "), std::wstring::npos);
}

TEST(HistoryFileReader, AReplacedShorterFileIsReadFromItsStart) {
    Live live(L"PokerStars", L"HERO");
    const auto first = twgen::GeneratePokerStars(4, 1);
    const auto second = twgen::GeneratePokerStars(1, 2);
    const std::string path = live.File("HH r.txt");
    WriteBytes(path, first.text);
    live.reader.FileAdded(FromUtf8(path));
    live.reader.FileModified(FromUtf8(path));
    WriteBytes(path, second.text); // replaced by a shorter file
    live.reader.FileModified(FromUtf8(path));
    EXPECT_EQ(live.app.nTotalHands, 5);
    EXPECT_NEAR(live.app.dTotalMoney, (first.heroCents + second.heroCents) / 100.0, 1e-9);
}

namespace {

// The document of the first `games` games, with a line in its <general>
// section whose length changes from one version to the next, as the client's
// running totals do.
std::string IPokerDocument(int games, int padding, std::int64_t* heroCents) {
    std::ostringstream out;
    IPokerSampleOptions o;
    o.nGames = games;
    o.nSeed = 77;
    o.strHero = "Hero";
    IPokerSampleTotals t = WriteIPokerSample(out, o);
    if (heroCents)
        *heroCents = t.nHeroNetCents;
    std::string doc = out.str();
    std::size_t general = doc.find("<general>");
    doc.insert(general + 9,
               "\n<totals>" + std::string(static_cast<std::size_t>(padding), '7') + "</totals>");
    return doc;
}

} // namespace

TEST(HistoryFileReader, ARewrittenIPokerDocumentCountsEveryGameOnce) {
    for (int grow : {+150, -150}) {
        SCOPED_TRACE(grow);
        Live live(L"Titan poker", L"Hero");
        const std::string path = live.File("session.xml");
        std::int64_t cents = 0;
        WriteBytes(path, "");
        live.reader.FileAdded(FromUtf8(path));
        const int kGames = 6;
        for (int g = 1; g <= kGames; ++g) {
            WriteBytes(path, IPokerDocument(g, 1000 + grow * g, &cents));
            live.reader.FileModified(FromUtf8(path));
            EXPECT_EQ(live.app.nTotalHands, g);
        }
        // The same document written once more changes nothing.
        live.reader.FileModified(FromUtf8(path));
        EXPECT_EQ(live.app.nTotalHands, kGames);
        EXPECT_TRUE(live.rec.NoneTwice());
        EXPECT_NEAR(live.app.dTotalMoney, cents / 100.0, 1e-9);
    }
}

TEST(HistoryFileReader, AnIPokerDocumentAppendedInPiecesCountsAsWholeAtEveryReadSize) {
    std::int64_t cents = 0;
    std::string doc = IPokerDocument(5, 40, &cents);
    doc.erase(doc.rfind("</session>")); // the table is still open
    std::mt19937 rng(17);
    // Pieces that end anywhere: inside <general>, inside lines; a last piece
    // of a few bytes that only ends the last game.
    std::vector<std::vector<std::size_t>> splits = {{100, 200, 300, doc.rfind("</game>")}};
    for (int i = 0; i < 3; ++i) {
        std::vector<std::size_t> cuts;
        for (int k = 0; k < 15; ++k)
            cuts.push_back(rng() % doc.size());
        splits.push_back(cuts);
    }
    for (std::size_t readBytes : {16u, 50u, 128u, 333u, 600u, 4096u, 4u << 20}) {
        for (const auto& cuts : splits) {
            Live live(L"Titan poker", L"Hero");
            live.reader.nReadChunk = readBytes;
            const std::string path = live.File("session.xml");
            WriteBytes(path, "");
            live.reader.FileAdded(FromUtf8(path));
            WriteInPieces(live, path, doc, cuts);
            ASSERT_EQ(live.app.nTotalHands, 5) << readBytes << " bytes a read";
            ASSERT_TRUE(live.rec.NoneTwice());
            ASSERT_NEAR(live.app.dTotalMoney, cents / 100.0, 1e-9) << readBytes << " bytes a read";
        }
    }
}

TEST(HistoryFileReader, PlayMoneyIPokerDocumentsCountNoGame) {
    Live live(L"Titan poker", L"Hero");
    std::string doc = IPokerDocument(3, 10, nullptr);
    std::size_t mode = doc.find("<mode>real</mode>");
    ASSERT_NE(mode, std::string::npos);
    doc.replace(mode, 17, "<mode>play</mode>");
    const std::string path = live.File("play.xml");
    WriteBytes(path, doc);
    live.reader.FileAdded(FromUtf8(path));
    live.reader.FileModified(FromUtf8(path));
    EXPECT_EQ(live.app.nTotalHands, 0);
}

TEST(HistoryFileReader, GamesOfAnIPokerDocumentOpenBeforeTheStartNeverCount) {
    Live live(L"Titan poker", L"Hero");
    const std::string path = live.File("open.xml");
    std::int64_t centsTwo = 0, centsThree = 0;
    const std::string two = IPokerDocument(2, 300, &centsTwo);
    WriteBytes(path, two);
    live.reader.FileOpenedBefore(FromUtf8(path), static_cast<std::int64_t>(two.size()));
    // The client rewrites the document with one more game, its totals
    // grown at the top.
    WriteBytes(path, IPokerDocument(3, 420, &centsThree));
    live.reader.FileModified(FromUtf8(path));
    EXPECT_EQ(live.app.nTotalHands, 1);
    EXPECT_NEAR(live.app.dTotalMoney, (centsThree - centsTwo) / 100.0, 1e-9);
}

TEST(HistoryFileReader, NoticesOfADeletedAndRewrittenFileCountItsHandsOnceInAnyOrder) {
    Live live(L"PokerStars", L"HERO");
    const auto first = twgen::GeneratePokerStars(3, 31);
    const auto second = twgen::GeneratePokerStars(1, 32);
    const std::string path = live.File("HH again.txt");
    const std::wstring wpath = FromUtf8(path);
    WriteBytes(path, first.text);
    live.reader.FileAdded(wpath);
    live.reader.FileModified(wpath);
    std::filesystem::remove(path);
    WriteBytes(path, second.text);
    // The change of the new file is reported before the removal of the old
    // one and before its own creation.
    live.reader.FileModified(wpath);
    live.reader.FileRemoved(wpath);
    live.reader.FileAdded(wpath);
    live.reader.FileModified(wpath);
    EXPECT_EQ(live.app.nTotalHands, 4);
    EXPECT_NEAR(live.app.dTotalMoney, (first.heroCents + second.heroCents) / 100.0, 1e-9);

    // A removal of the file that is there no more still takes it out.
    std::filesystem::remove(path);
    live.reader.FileRemoved(wpath);
    WriteBytes(path, first.text);
    live.reader.FileModified(wpath); // never reported as added: not read
    EXPECT_EQ(live.app.nTotalHands, 4);
}
