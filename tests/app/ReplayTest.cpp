#include "app/TarnwickApp.h"
#include "gen/AnyFormatGen.h"
#include "support/HistoryFile.h"
#include "support/LogSink.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sstream>

using namespace tw;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

struct Counter : IHandListener {
    std::multiset<std::wstring> ids;
    void HandCounted(const HandRecord& h) override { ids.insert(h.strHandId); }
};

std::unique_ptr<CTarnwickApp> MakeApp() {
    CTarnwickApp::Options o;
    o.bOpenLog = false;
    auto app = std::make_unique<CTarnwickApp>(o);
    twtest::AddRoom(*app, L"PokerStars", {L"HERO"});
    app->SetRates(L"1.00", L"1.12", L"1.42");
    return app;
}

} // namespace

TEST(Replay, HandsAcrossReadChunksCountOnceWithTheirWholeResult) {
    // More than one read chunk of text, so hands are cut by the reads.
    const int kHands = 6000;
    auto gen = twgen::GeneratePokerStars(kHands, 42);
    ASSERT_GT(gen.text.size(), kHistoryReadChunk);
    TempDir dir;
    std::string path = dir.file("HH20260101 T.txt");
    WriteBytes(path, gen.text);
    auto app = MakeApp();
    Counter counter;
    app->AddHandListener(&counter);
    ASSERT_EQ(app->ReplayHistoryFile(FromUtf8(path), L"PokerStars"), 0);
    EXPECT_EQ(app->nTotalHands, kHands);
    EXPECT_EQ(counter.ids.size(), static_cast<std::size_t>(kHands));
    std::set<std::wstring> unique(counter.ids.begin(), counter.ids.end());
    EXPECT_EQ(unique.size(), counter.ids.size()); // none twice
    EXPECT_NEAR(app->dTotalMoney, gen.heroCents / 100.0, 1e-6);
    std::int64_t pos = -1;
    EXPECT_TRUE(app->FindReadPosition(FromUtf8(path), pos));
    EXPECT_EQ(pos, static_cast<std::int64_t>(gen.text.size()));
}

TEST(Replay, LastLineWithoutALineEndStillCounts) {
    auto gen = twgen::GeneratePokerStars(3, 5);
    std::string text = gen.text;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    TempDir dir;
    std::string path = dir.file("h.txt");
    WriteBytes(path, text);
    auto app = MakeApp();
    ASSERT_EQ(app->ReplayHistoryFile(FromUtf8(path), L"PokerStars"), 0);
    EXPECT_EQ(app->nTotalHands, 3);
    EXPECT_NEAR(app->dTotalMoney, gen.heroCents / 100.0, 1e-9);
}

TEST(Replay, TheRoomIsAsConfiguredAfterAReplay) {
    // The replay reads the file as its room's, in the file's own folder,
    // even for a room that is switched off; afterwards the room is the one
    // the user configured, still marked in use.
    auto gen = twgen::GeneratePokerStars(2, 6);
    TempDir dir;
    std::string path = dir.file("HH replay.txt");
    WriteBytes(path, gen.text);
    auto app = MakeApp();
    twtest::AddRoom(*app, L"PokerStars",
                    {.strNickname = L"HERO", .strFolder = L"/hh/stars", .bActive = false});
    ASSERT_EQ(app->ReplayHistoryFile(FromUtf8(path), L"PokerStars"), 0);
    EXPECT_EQ(app->nTotalHands, 2);
    const CPokerRoom* room = app->FindRoom(L"PokerStars");
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(room->strHistoryPath, L"/hh/stars");
    EXPECT_FALSE(room->bActive);
    EXPECT_EQ(app->RoomNames().at(L"PokerStars"), kRoomPokerStars);
}

TEST(Replay, BadInputNeverCrashesOrCounts) {
    TempDir dir;
    auto app = MakeApp();
    std::string garbage;
    std::mt19937 rng(3);
    for (int i = 0; i < 300000; ++i)
        garbage.push_back(static_cast<char>(rng()));
    WriteBytes(dir.file("garbage.txt"), garbage);
    WriteBytes(dir.file("empty.txt"), "");
    WriteBytes(dir.file("longline.txt"), std::string(1 << 20, 'P') + "\n");
    // A truncated hand: the header and a few lines.
    WriteBytes(dir.file("truncated.txt"),
               "PokerStars Hand #1: Hold'em No Limit ($0.05/$0.10 USD) - 2026/01/01 10:00:00 ET\n"
               "HERO: posts big blind $0.10\nHERO: ra");
    for (const char* f : {"garbage.txt", "empty.txt", "longline.txt"}) {
        EXPECT_EQ(app->ReplayHistoryFile(FromUtf8(dir.file(f)), L"PokerStars"), 0) << f;
        EXPECT_EQ(app->nTotalHands, 0) << f;
    }
    EXPECT_EQ(app->ReplayHistoryFile(FromUtf8(dir.file("truncated.txt")), L"PokerStars"), 0);
    EXPECT_TRUE(std::isfinite(app->dTotalMoney));
    EXPECT_NE(app->ReplayHistoryFile(FromUtf8(dir.file("missing.txt")), L"PokerStars"), 0);
    EXPECT_NE(app->ReplayHistoryFile(FromUtf8(dir.file("empty.txt")), L"Titan poker"), 0);
}

namespace {

// What a replay of one file of a generated format counted.
struct Replayed {
    std::vector<HandRecord> hands;
    int nUnread = 0;
    double dMoney = 0;
    std::vector<std::wstring> log;
};

struct Recorder : IHandListener, ILogSink {
    std::vector<HandRecord> hands;
    std::vector<std::wstring> log;
    void HandCounted(const HandRecord& h) override { hands.push_back(h); }
    void WriteLogLine(const std::wstring& t) override { log.push_back(t); }
};

// Replays `texts` as files of `format`'s room, one after the other in one
// session, hero "HERO".
Replayed ReplayTexts(const std::string& format, const std::vector<std::string>& texts) {
    CTarnwickApp::Options o;
    o.bOpenLog = false;
    o.bLoadSettingsFile = false;
    CTarnwickApp app(o);
    const std::wstring room = twgen::RoomOfFormat(format);
    twtest::AddRoom(app, room, {L"HERO"});
    app.SetRates(L"1.00", L"1.12", L"1.42");
    Recorder rec;
    app.AddHandListener(&rec);
    app.SetLog(&rec);
    TempDir dir;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string path =
            dir.file("HH" + std::to_string(i) + (format == "ipoker" ? ".xml" : ".txt"));
        WriteBytes(path, texts[i]);
        EXPECT_EQ(app.ReplayHistoryFile(FromUtf8(path), room), 0);
    }
    app.RemoveHandListener(&rec);
    return {rec.hands, app.nUnreadHands, app.dTotalMoney, rec.log};
}

} // namespace

TEST(Replay, EveryFormatCountsAHandOncePerSessionWhateverFileHoldsIt) {
    // A table file replaced by a copy that holds its old hands and new ones:
    // only the new ones count.
    for (const char* format : twgen::kFormats) {
        SCOPED_TRACE(format);
        twgen::GeneratedText g;
        ASSERT_TRUE(twgen::Generate(format, 8, g));
        const Replayed once = ReplayTexts(format, {g.text});
        ASSERT_EQ(once.hands.size(), 8u);
        EXPECT_NEAR(once.dMoney, g.heroCents / 100.0, 1e-6);
        const Replayed twice = ReplayTexts(format, {g.text, g.text});
        EXPECT_EQ(twice.hands.size(), 8u);
        EXPECT_NEAR(twice.dMoney, once.dMoney, 1e-9);
    }
}

TEST(Replay, AHandWithAnAbsurdAmountIsLeftOutAndCountedUnreadInEveryFormat) {
    // Every amount on the hero's lines of one hand gets 300 more digits: that
    // hand is left out with a log line, every other hand keeps its result.
    const std::regex amount("([0-9]+)([.,][0-9][0-9])");
    for (const char* format : twgen::kFormats) {
        SCOPED_TRACE(format);
        twgen::GeneratedText g;
        ASSERT_TRUE(twgen::Generate(format, 8, g));
        const Replayed clean = ReplayTexts(format, {g.text});
        ASSERT_EQ(clean.hands.size(), 8u);
        ASSERT_EQ(clean.nUnread, 0);
        std::size_t k = 0;
        while (k + 1 < clean.hands.size() && clean.hands[k].dResult == 0)
            ++k;
        ASSERT_LT(k + 1, clean.hands.size());
        // From the line that first names hand k to the one that names hand k + 1.
        std::size_t from = g.text.find(ToUtf8(clean.hands[k].strHandId));
        std::size_t to = g.text.find(ToUtf8(clean.hands[k + 1].strHandId), from);
        ASSERT_NE(to, std::string::npos);
        from = g.text.rfind('\n', from) + 1;
        to = g.text.rfind('\n', to) + 1;
        std::string text = g.text.substr(0, from);
        std::istringstream hand(g.text.substr(from, to - from));
        for (std::string line; std::getline(hand, line);)
            text += (line.find("HERO") != std::string::npos
                         ? std::regex_replace(line, amount, std::string(300, '9') + "$1$2")
                         : line) +
                    "\n";
        text += g.text.substr(to);

        const Replayed bad = ReplayTexts(format, {text});
        EXPECT_EQ(bad.hands.size(), 7u);
        EXPECT_EQ(bad.nUnread, 1);
        EXPECT_NEAR(bad.dMoney, clean.dMoney - clean.hands[k].dMoney, 1e-6);
        const bool logged = std::any_of(bad.log.begin(), bad.log.end(), [&](const std::wstring& l) {
            return l.find(clean.hands[k].strHandId) != std::wstring::npos &&
                   l.find(L"beyond any real stake") != std::wstring::npos;
        });
        EXPECT_TRUE(logged);
    }
}

// A nickname that does not match the files (here only by case) counts
// nothing: after the first ten hands the listeners and the log are told,
// once per session; a hand naming the hero among them keeps it quiet.
TEST(Replay, HandsThatNeverNameTheHeroAreToldOncePerSession) {
    struct Told : Recorder {
        std::vector<std::wstring> said;
        void HeroNotNamed(const std::wstring& folder, const std::wstring& nick) override {
            said.push_back(folder + L" " + nick);
        }
    };
    const struct {
        const wchar_t* szNick;
        int nHands;
        std::size_t nTold;
    } cases[] = {{L"hero", 12, 1}, {L"hero", 9, 0}, {L"HERO", 12, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.szNick) + " " + std::to_string(c.nHands));
        TempDir dir;
        const std::string path = dir.file("HH nick.txt");
        WriteBytes(path, twgen::GeneratePokerStars(c.nHands, 7).text);
        CTarnwickApp::Options o;
        o.bOpenLog = false;
        o.bLoadSettingsFile = false;
        CTarnwickApp app(o);
        twtest::AddRoom(app, L"PokerStars", {c.szNick});
        Told told;
        app.AddHandListener(&told);
        app.SetLog(&told);
        for (int run = 0; run < 2; ++run) // the same session: told once
            ASSERT_EQ(app.ReplayHistoryFile(FromUtf8(path), L"PokerStars"), 0);
        ASSERT_EQ(told.said.size(), c.nTold);
        if (c.nTold) {
            const std::wstring folder = FromUtf8(dir.path().string());
            EXPECT_EQ(told.said[0], folder + L" " + c.szNick);
            EXPECT_EQ(std::count(told.log.begin(), told.log.end(),
                                 L"Hands in " + folder + L" do not name " + c.szNick +
                                     L"; the name must match exactly"),
                      1);
            app.BeginSession(); // a new session tells again
            const std::string again = dir.file("HH nick again.txt");
            WriteBytes(again, twgen::GeneratePokerStars(c.nHands, 8).text);
            ASSERT_EQ(app.ReplayHistoryFile(FromUtf8(again), L"PokerStars"), 0);
            EXPECT_EQ(told.said.size(), 2u);
        }
    }
}
