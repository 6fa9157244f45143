#include "parsing/HandEngine.h"
#include "app/TarnwickApp.h"
#include "gen/AnyFormatGen.h"
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
        TableState table;
        table.nRoom = room;
        const BatchResult batch = MakeMoneyData(app, lines, table);
        if (hands)
            *hands = batch.nHands;
        if (bigBlind)
            *bigBlind = table.dBigBlind;
        return batch.dMoney;
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
    EXPECT_NEAR(money, 0.05, 1e-12);
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
    // 5 cents at a 10-cent big blind is half a big blind at any rate.
    Engine e;
    double money = e.Run(StarsHand(1, L"\u20AC0.05/\u20AC0.10 EUR", kWinFive));
    EXPECT_NEAR(money, 0.056, 1e-12);
    EXPECT_NEAR(e.app.dTotalMoney, 0.056, 1e-12);
    EXPECT_NEAR(e.app.dTotalBB, 0.5, 1e-12);
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

namespace {

// Hands of each format that must add nothing to the totals, as the rooms
// write them; null where the format has no such hand.
struct NothingHands {
    const char* szFormat;
    // A hand of a tournament table, which the room plays for chips.
    const wchar_t* szTournament;
    // A hand the room called off: every stake goes back.
    const wchar_t* szCancelled;
};

const NothingHands kNothingHands[] = {
    {"pokerstars",
     L"PokerStars Hand #900: Tournament #9, $1+$0.10 USD Hold'em No Limit - Level I (10/20) - "
     L"2026/01/01 10:00:00 ET\nTable '9 1' 9-max Seat #1 is the button\n"
     L"Seat 1: HERO (1500 in chips)\nSeat 2: Vill (1500 in chips)\n"
     L"HERO: posts small blind 10\nVill: posts big blind 20\n*** HOLE CARDS ***\n"
     L"HERO: raises 40 to 60\nVill: folds\nUncalled bet (40) returned to HERO\n"
     L"HERO collected 40 from pot\n*** SUMMARY ***\nTotal pot 40 | Rake 0\n"
     L"Seat 1: HERO (button) collected (40)\nSeat 2: Vill (big blind) folded before Flop\n\n",
     L"PokerStars Hand #901:  Omaha Pot Limit ($0.05/$0.10 USD) - 2026/01/01 10:00:00 ET\n"
     L"Table 'T' 6-max Seat #1 is the button\nSeat 1: HERO ($11.65 in chips)\n"
     L"HERO: posts small blind $0.05\nVill: is sitting out\nHand cancelled\n*** SUMMARY ***\n"
     L"Seat 1: HERO (button) collected ($0)\n\n"},
    {"888",
     L"#Game No : 900\n***** 888poker Hand History for Game 900 *****\n"
     L"Tournament #1 $1 + $0.10 - Table #1 9 Max (Real Money)\nSeat 1 is the button\n"
     L"Total number of players : 2\nSeat 1: HERO ( $1,500 )\nSeat 2: Vill ( $1,500 )\n"
     L"HERO posts small blind [$10]\nVill posts big blind [$20]\n** Dealing down cards **\n"
     L"Dealt to HERO [ Ah, Kd ]\nHERO raises [$50]\nVill folds\n** Summary **\n"
     L"HERO collected [ $40 ]\n\n",
     L"#Game No : 901\n***** 888poker Hand History for Game 901 *****\n"
     L"0,25 $/0,50 $ Blinds No Limit Holdem - *** 21 04 2016 16:34:37\n"
     L"Table Kumanovo 6 Max (Real Money)\nSeat 1 is the button\n"
     L"Total number of players : 2\nSeat 1: HERO ( 50 $ )\nSeat 2: Vill ( 50 $ )\n"
     L"HERO posts small blind [0,25 $]\nVill posts big blind [0,50 $]\n"
     L"** Dealing down cards **\nDealt to HERO [ Ah, Kd ]\nHERO raises [1,75 $]\n"
     L"Table Closed\n** Summary **\n\n"},
    {"partypoker",
     L"Game #900 starts.\n\n#Game No : 900\n***** Hand History for Game 900 *****\n"
     L"NL Texas Hold'em  Trny:1234 Level:1  Blinds(10/20) - Monday, August 30, 16:08:09 EDT 2010\n"
     L"Table Table  1 (Real Money)\nSeat 1 is the button\nTotal number of players : 2/9\n"
     L"Seat 1: HERO ( $1,500 USD )\nSeat 2: Vill ( $1,500 USD )\n"
     L"HERO posts small blind [$10 USD].\nVill posts big blind [$20 USD].\n"
     L"** Dealing down cards **\nHERO raises [$50 USD]\nVill folds\nHERO wins $40 USD\n\n",
     L"Game #901 starts.\n\n#Game No : 901\n***** Hand History for Game 901 *****\n"
     L"$0.05/$0.10 USD NL Texas Hold'em - Monday, August 30, 16:08:09 EDT 2010\n"
     L"Table Speed #1769729 (Real Money)\nSeat 1 is the button\n"
     L"Total number of players : 2/9\nSeat 1: HERO ( $20 USD )\nSeat 2: Vill ( $20 USD )\n"
     L"HERO posts small blind [$0.05 USD].\nVill posts big blind [$0.10 USD].\n"
     L"** Dealing down cards **\nHERO raises [$0.30 USD]\nTable Closed\n\n"},
    // No tournament or cancelled hand of these formats is known.
    {"tigergaming", nullptr, nullptr},
    {"ipoker", nullptr, nullptr},
};

// The totals of generated cash hands of `format`, alone and with `extra` after them.
struct Totals {
    int nHands = 0;
    double dMoney = 0, dBB = 0;
};
Totals TotalsOf(const char* format, const std::wstring& extra) {
    twgen::GeneratedText gen;
    EXPECT_TRUE(twgen::Generate(format, 3, gen));
    const std::wstring room = twgen::RoomOfFormat(format);
    Engine e(room, L"HERO");
    e.Run(FromUtf8(gen.text) + extra, RoomNumberFromName(room));
    return {e.app.nTotalHands, e.app.dTotalMoney, e.app.dTotalBB};
}

} // namespace

TEST(EveryFormat, ATournamentHandAddsNoHandAndNoMoney) {
    for (const NothingHands& f : kNothingHands) {
        if (!f.szTournament)
            continue;
        SCOPED_TRACE(f.szFormat);
        const Totals cash = TotalsOf(f.szFormat, L""), with = TotalsOf(f.szFormat, f.szTournament);
        EXPECT_EQ(with.nHands, cash.nHands);
        EXPECT_DOUBLE_EQ(with.dMoney, cash.dMoney);
        EXPECT_DOUBLE_EQ(with.dBB, cash.dBB);
    }
}

TEST(EveryFormat, ACancelledHandAddsNoMoney) {
    for (const NothingHands& f : kNothingHands) {
        if (!f.szCancelled)
            continue;
        SCOPED_TRACE(f.szFormat);
        const Totals cash = TotalsOf(f.szFormat, L""), with = TotalsOf(f.szFormat, f.szCancelled);
        EXPECT_DOUBLE_EQ(with.dMoney, cash.dMoney);
        EXPECT_DOUBLE_EQ(with.dBB, cash.dBB);
    }
}
