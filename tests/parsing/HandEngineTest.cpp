#include "parsing/HandEngine.h"
#include "app/TarnwickApp.h"
#include "gen/TextLines.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace tw;

namespace {

struct Recorder : IHandListener {
    std::vector<HandRecord> hands;
    void HandCounted(const HandRecord& h) override { hands.push_back(h); }
};

// An application without a log, with one configured room.
struct Engine {
    CTarnwickApp app{[] {
        CTarnwickApp::Options o;
        o.bOpenLog = false;
        return o;
    }()};
    Recorder rec;

    explicit Engine(const std::wstring& room = L"PokerStars", const std::wstring& nick = L"Hero") {
        if (!room.empty())
            twtest::AddRoom(app, room, {nick});
        app.SetRates(L"1.00", L"1.12", L"1.42");
        app.AddHandListener(&rec);
    }

    // Runs one batch; returns the batch money and fills the other outputs.
    double Run(const std::wstring& text, RoomNumber room = kRoomPokerStars, int* hands = nullptr,
               double* bigBlind = nullptr) {
        std::vector<std::wstring> lines = twgen::SplitLines(text);
        double sb = 0, bb = 0, money = 0;
        int cur = 0, n = 0;
        app.MakeMoneyData(lines, room, {}, sb, bb, cur, money, n);
        if (hands)
            *hands = n;
        if (bigBlind)
            *bigBlind = bb;
        return money;
    }
};

std::wstring StarsHand(long long id, const std::wstring& stakes, const std::wstring& heroLines,
                       const std::wstring& prefix = L"PokerStars Hand #") {
    return prefix + std::to_wstring(id) + L":  Hold'em No Limit (" + stakes +
           L") - 2026/01/01 10:00:00 ET\nTable 'T' 6-max Seat #1 is the button\n"
           L"Seat 1: Hero ($10 in chips)\nSeat 2: Vill ($10 in chips)\n" +
           heroLines + L"\n*** SUMMARY ***\nTotal pot $1 | Rake $0\n\n";
}

// The hero loses the big blind of $0.10; or wins $0.05 net.
const std::wstring kLoseBlind =
    L"Hero: posts big blind $0.10\nVill: raises $0.20 to $0.30\nHero: folds";
const std::wstring kWinFive =
    L"Vill: posts small blind $0.05\nHero: posts big blind $0.10\nVill: calls $0.05\n"
    L"*** FLOP *** [2c 3d 4h]\nVill: checks\nHero: checks\nHero collected $0.15 from pot";

} // namespace

TEST(HandEngine, OneHandIsPassedOnAtTheLastLineWithTheHeadersBigBlind) {
    Engine e;
    int hands = 0;
    double bb = 0;
    double money = e.Run(StarsHand(7, L"$0.05/$0.10 USD", kWinFive), kRoomPokerStars, &hands, &bb);
    EXPECT_EQ(hands, 1);
    EXPECT_DOUBLE_EQ(bb, 0.10);
    EXPECT_NEAR(money, 5, 1e-9);
    EXPECT_NEAR(e.app.dTotalMoney, 0.05, 1e-12);
    EXPECT_NEAR(e.app.dTotalBB, 0.5, 1e-12);
    EXPECT_EQ(e.app.nTotalHands, 1);
    ASSERT_EQ(e.rec.hands.size(), 1u);
    EXPECT_EQ(e.rec.hands[0].strHandId, L"7");
    EXPECT_NEAR(e.rec.hands[0].dResult, 0.05, 1e-12);
    EXPECT_DOUBLE_EQ(e.rec.hands[0].dBigBlind, 0.10);
}

TEST(HandEngine, LaterHandsOfABatchUseTheFirstHeader) {
    Engine e;
    int hands = 0;
    e.Run(StarsHand(1, L"$0.05/$0.10 USD", kLoseBlind) + StarsHand(2, L"$1/$2 USD", kWinFive) +
              StarsHand(3, L"$1/$2 USD", kLoseBlind),
          kRoomPokerStars, &hands);
    EXPECT_EQ(hands, 3);
    ASSERT_EQ(e.rec.hands.size(), 3u);
    for (const auto& h : e.rec.hands)
        EXPECT_DOUBLE_EQ(h.dBigBlind, 0.10);
    EXPECT_EQ(e.rec.hands[1].strHandId, L"2");
    EXPECT_NEAR(e.app.dTotalMoney, -0.10 + 0.05 - 0.10, 1e-12);
    EXPECT_NEAR(e.app.dTotalBB, -1 + 0.5 - 1, 1e-9);
}

TEST(HandEngine, EurosAreConvertedButTheBigBlindTotalIsNot) {
    Engine e;
    double money = e.Run(StarsHand(1, L"\u20AC0.05/\u20AC0.10 EUR", kWinFive));
    EXPECT_NEAR(money, 5 * 1.12, 1e-9);
    EXPECT_NEAR(e.app.dTotalMoney, 0.056, 1e-12);
    EXPECT_NEAR(e.app.dTotalBB, 5 * 1.12 / 10, 1e-12);
    ASSERT_EQ(e.rec.hands.size(), 1u);
    EXPECT_EQ(e.rec.hands[0].nCurrency, kCurrencyEUR);
    EXPECT_NEAR(e.rec.hands[0].dResult, 0.05, 1e-12);
    EXPECT_NEAR(e.rec.hands[0].dMoney, 0.056, 1e-12);
}

TEST(HandEngine, UnknownStakesCountTheHandButLeaveTheBigBlindTotal) {
    Engine e;
    e.Run(StarsHand(1, L"$0.05/$0.10", kWinFive)); // no currency code: no stakes read
    EXPECT_EQ(e.app.nTotalHands, 1);
    EXPECT_NEAR(e.app.dTotalMoney, 0.05, 1e-12);
    EXPECT_EQ(e.app.dTotalBB, 0.0);
    EXPECT_TRUE(std::isfinite(e.app.dTotalBB));
}

TEST(HandEngine, BigBlindInHundredthsIsNotTruncatedBelowItsValue) {
    Engine e;
    // 0.58 * 100 is 57.99999... in binary; the hand's big blind must stay 58.
    e.Run(StarsHand(1, L"$0.29/$0.58 USD", kLoseBlind));
    ASSERT_EQ(e.rec.hands.size(), 1u);
    EXPECT_DOUBLE_EQ(e.rec.hands[0].dBigBlind, 0.58);
    EXPECT_NEAR(e.app.dTotalBB, -10.0 / 58.0, 1e-12);
}

TEST(HandEngine, TournamentsAndLinesBeforeAnyHeaderAreNotCounted) {
    Engine e;
    int hands = 0;
    e.Run(L"PokerStars Hand #5: Tournament #9, $1+$0.10 USD Hold'em No Limit - Level I (10/20)\n"
          L"Hero: posts big blind 20\nHero collected 40 from pot\n",
          kRoomPokerStars, &hands);
    EXPECT_EQ(hands, 0);
    e.Run(L"just some text\nmore text\n", kRoomPokerStars, &hands);
    EXPECT_EQ(hands, 0);
    EXPECT_EQ(e.app.nTotalHands, 0);
    EXPECT_EQ(e.app.dTotalMoney, 0);
}

TEST(HandEngine, UPokerKeepsItsRoomAndCutsAtEitherHeader) {
    Engine e(L"UPoker", L"Hero");
    int hands = 0;
    RoomNumber room = kRoomUPoker;
    std::wstring text = StarsHand(1, L"$0.05/$0.10 USD", kLoseBlind) +
                        StarsHand(2, L"$0.05/$0.10 USD", kWinFive, L"UPoker Hand #") +
                        StarsHand(3, L"$0.05/$0.10 USD", kWinFive);
    e.Run(text, room, &hands);
    EXPECT_EQ(hands, 3);
    EXPECT_NEAR(e.app.dTotalMoney, -0.10 + 0.05 + 0.05, 1e-12);
    ASSERT_EQ(e.rec.hands.size(), 3u);
    EXPECT_EQ(e.rec.hands[0].nRoom, kRoomUPoker);
}

TEST(HandEngine, UnconfiguredRoomCountsZeroAndCreatesNoRoomRecord) {
    Engine e(L""); // nothing configured
    int hands = 0;
    e.Run(StarsHand(1, L"$0.05/$0.10 USD", kWinFive), kRoomPokerStars2, &hands);
    EXPECT_EQ(hands, 1);
    EXPECT_EQ(e.app.dTotalMoney, 0);
    EXPECT_TRUE(e.app.Rooms().empty());
}

TEST(HandEngine, MissingRateAddsNothingAndInventsNoRate) {
    Engine e;
    e.app.SetRates(L"", L"", L"");
    e.Run(StarsHand(1, L"$0.05/$0.10 USD", kWinFive));
    EXPECT_EQ(e.app.dTotalMoney, 0);
    EXPECT_EQ(e.app.RateOf(kCurrencyUSD), 0.0);
}

TEST(HandEngine, AHandIsKnownByItsRoomAndItsExactId) {
    CSessionModel model;
    const struct {
        RoomNumber nRoom;
        std::wstring strId;
        bool bNew;
    } steps[] = {
        {kRoomPokerStars, L"258721013274", true},
        {kRoomPokerStars, L"258721013274", false},
        {kRoomPokerStars2, L"258721013274", true}, // another room
        {kRoom888, L"7", true},
        {kRoom888, L"007", true}, // another id
        {kRoom888, L"007", false},
        {kRoomPartyPoker, L"123456789012345678901", true}, // longer than a number holds
        {kRoomPartyPoker, L"123456789012345678901", false},
        {kRoomPartyPoker, L"12345678901234567890", true},
        {17, L"AB-123", true},
        {17, L"AB-123", false},
        {17, L"", true}, // no id: never recognised
        {17, L"", true},
    };
    for (const auto& s : steps) {
        EXPECT_EQ(model.IsHandCounted(s.nRoom, s.strId), !s.bNew) << ToUtf8(s.strId);
        EXPECT_EQ(model.MarkHandCounted(s.nRoom, s.strId), s.bNew) << ToUtf8(s.strId);
    }
    model.BeginSession(); // a new session knows none
    EXPECT_TRUE(model.MarkHandCounted(kRoomPokerStars, L"258721013274"));
}
