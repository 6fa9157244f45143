#include "parsing/HandEngine.h"
#include "parsing/HandText.h"
#include "parsing/formats/tigergaming/TigerGaming.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tw;
using tw::test::Lines;

namespace {

double Result(std::wstring_view hand, const wchar_t* nick, bool* ok = nullptr) {
    double money = 12345;
    bool r = ParseHandTigerGaming(Lines(hand), nick, money);
    if (ok)
        *ok = r;
    return money;
}

// The hero raises, bets the flop and gets the bet back: the win shows both
// as a collected line and in the summary.
const wchar_t kUncalled[] =
    LR"(Tiger Gaming Game #1001: Hold'em No Limit ($0.05/0.10) - 2011/03/04 20:15:31 ET
Table 'Alpha' 6-Max, Seat #2 is the button
Seat 1: Hero (10.00 in chips)
Seat 2: Villain (12.00 in chips)
Seat 3: Hero77 (5.00 in chips)
Hero: posts small blind 0.05
Hero77: posts big blind 0.10
Dealt to Hero [Ah Kd]
Villain: raises 0.20 to 0.30
Hero: raises 0.70 to 1.00
Hero77: folds
Villain: calls 0.70
*** FLOP *** [2c 3d 4h]
Hero: bets 1.50
Villain: folds
Uncalled bet (1.50) returned to Hero
Hero collected 2.05
*** SUMMARY ***
Total pot 2.10 | Rake 0.05
Seat 1: Hero (small blind) collected (2.05)
)";

// Both players all in before the flop; the opponent wins at showdown.
const wchar_t kAllIn[] =
    LR"(Tiger Gaming Game #1002: Hold'em No Limit ($0.05/0.10) - 2011/03/04 20:16 ET
Table 'Alpha' 6-Max, Seat #3 is the button
Seat 1: Hero (11.05 in chips)
Seat 2: Villain (11.00 in chips)
Villain: posts small blind 0.05
Hero: posts big blind 0.10
Dealt to Hero [Qs Qd]
Villain: raises 0.20 to 0.30
Hero: raises 10.65 to 10.95 and is all-in
Villain: calls 10.65 and is all in
*** FLOP *** [2c 3d 4h]
*** TURN *** [2c 3d 4h] [5s]
*** RIVER *** [2c 3d 4h 5s] [Kc]
Villain collected 21.40
*** SUMMARY ***
Seat 2: Villain showed [Ac 5c] and won (21.40) with a straight
)";

} // namespace

TEST(TigerGamingHeader, ReadsTheBigBlindInDollars) {
    const struct {
        const wchar_t* line;
        double bb;
    } cases[] = {
        {L"Tiger Gaming Game #1: Hold'em No Limit ($0.05/0.10) - 2011/03/04 20:15:31 ET", 0.10},
        {L"Tiger Gaming Game #2: Omaha Pot Limit ($0.50/1) - 2011/03/04 20:15 ET", 1},
        {L"Tiger Gaming Game #3: Hold'em Limit ($500/1,000) - 2011/03/04 20:15:31 ET", 1000},
        {L"Tiger Gaming Game #4: Hold'em No Limit (0.05/0.10) - 2011/03/04 20:15:31 ET", 0},
        {L"Tiger Gaming Game #5 garbage \x01", 0},
    };
    for (const auto& c : cases) {
        double bb = -1;
        int cur = 5;
        ParseHeaderTigerGaming(c.line, bb, cur);
        EXPECT_DOUBLE_EQ(bb, c.bb) << c.line;
        EXPECT_EQ(cur, 0) << c.line;
    }
}

TEST(TigerGamingHand, CountsEachWinAndEachReturnedBetOnce) {
    EXPECT_DOUBLE_EQ(Result(kUncalled, L"Hero"), 205 - 100);
    EXPECT_DOUBLE_EQ(Result(kUncalled, L"Villain"), -100);
    EXPECT_DOUBLE_EQ(Result(kUncalled, L"Hero77"), -10);
    EXPECT_DOUBLE_EQ(Result(kAllIn, L"Villain"), 2140 - 1095);
    // The opponent's all-in call matched the hero's whole stake.
    EXPECT_DOUBLE_EQ(Result(kAllIn, L"Hero"), -1095);
}

TEST(TigerGamingHand, WinsOnlyInTheSummaryCount) {
    const wchar_t hand[] = LR"(Villain: posts small blind 0.05
Hero: posts big blind 0.10
Villain: calls 0.05
*** FLOP *** [2c 3d 4h]
*** SUMMARY ***
Seat 1: Hero (button) showed [Ah Kd] and won (0.19) with a pair)";
    EXPECT_DOUBLE_EQ(Result(hand, L"Hero"), 19 - 10);
}

TEST(TigerGamingHand, MoneyNobodyMatchedComesBack) {
    const wchar_t hand[] = LR"(Villain: posts small blind 0.05
Hero: posts big blind 0.10
Villain: calls 0.05
*** FLOP *** [2c 3d 4h]
Hero: bets 1.50
Villain: folds
Hero collected 0.19)";
    EXPECT_DOUBLE_EQ(Result(hand, L"Hero"), 19 - 10);
}

TEST(TigerGamingHand, AntesAndDeadBlindsArePaidIn) {
    EXPECT_DOUBLE_EQ(Result(L"Hero: posts the ante 0.02\nHero: posts big blind 0.10\n"
                            L"Villain: raises 0.20 to 0.30\nHero: folds",
                            L"Hero"),
                     -12);
    const wchar_t deadSmall[] =
        LR"(Tiger Gaming Game #7: Hold'em No Limit ($0.05/0.10) - 2011/03/04 20:15:31 ET
Hero: posts small & big blinds 0.15
Villain: raises 0.20 to 0.30
Hero: raises 0.60 to 0.90
Villain: folds
Uncalled bet (0.60) returned to Hero
Hero collected 0.75)";
    EXPECT_DOUBLE_EQ(Result(deadSmall, L"Hero"), 75 - (5 + 30));
}

TEST(TigerGamingHand, FoldAndRejectedHands) {
    EXPECT_DOUBLE_EQ(Result(L"Hero: posts big blind 0.10\nVillain: raises 0.20 to 0.30\n"
                            L"Hero: folds\nHero collected 5",
                            L"Hero"),
                     -10);
    const double nothing = Result(L"Villain: raises 0.20 to 0.30\nHero: folds", L"Hero");
    EXPECT_EQ(nothing, 0);
    EXPECT_FALSE(std::signbit(nothing));

    bool ok = true;
    EXPECT_EQ(
        Result(L"Table 'A' 6-Max, Seat #1 is the button\nSeat 1:  (5 in chips)", L"Hero", &ok), 0);
    EXPECT_FALSE(ok);
    EXPECT_EQ(
        Result(L"Hero: posts big blind 0.10\nDealt to Hero []\nHero collected 5", L"Hero", &ok), 0);
    EXPECT_FALSE(ok);
    Result(L"Dealt to Hero77 []\nDealt to Hero [Ah Kd]", L"Hero", &ok);
    EXPECT_TRUE(ok);
}

TEST(TigerGamingBatch, CutsAtHeadersAndSurvivesGarbage) {
    CSessionModel model;
    twtest::AddRoom(model, L"TigerGaming", {L"Villain"});
    model.SetRates(L"1.00", L"1.12", L"1.42");
    HandLines batch = Lines(std::wstring(kUncalled) + kAllIn);
    const std::size_t secondHand = 20;
    ASSERT_EQ(batch[secondHand].rfind(L"Tiger Gaming Game #1002", 0), 0u);
    EXPECT_EQ(UnfinishedTailStart(batch, kRoomTigerGaming), secondHand);
    std::wstring costly = L"Seat 1: ";
    for (int i = 0; i < 400; ++i)
        costly += L" showed (";
    batch.insert(batch.begin() + 5,
                 {std::wstring(1 << 20, L'x'), L"\x7F\x01\xFFFD: calls 9.9", costly});

    TableState table;
    table.nRoom = kRoomPokerStars;
    EXPECT_EQ(MakeMoneyData(model, batch, table).nHands, 2);
    EXPECT_EQ(table.nRoom, kRoomTigerGaming);
    EXPECT_NEAR(model.dTotalMoney, (-100 + 1045) * 0.01, 1e-9);
    EXPECT_NEAR(model.dTotalBB, (-100 + 1045) / 10.0, 1e-9);
}
