#include "app/TarnwickApp.h"
#include "bench/gen/PokerStarsGen.h"
#include "support/HistoryFile.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

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
    CPokerRoom r;
    r.nRoomNumber = kRoomPokerStars;
    r.strNickname = L"HERO";
    app->mapRooms[L"PokerStars"] = r;
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
    EXPECT_EQ(app->mapFileTest[FromUtf8(path)], static_cast<std::int64_t>(gen.text.size()));
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
