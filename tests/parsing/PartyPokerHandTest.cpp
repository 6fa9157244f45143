#include "parsing/HandEngine.h"
#include "parsing/HandText.h"
#include "parsing/formats/partypoker/PartyPoker.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tw;
using tw::test::Lines;

namespace {

double Result(std::wstring_view hand, const wchar_t* nick) {
    double money = 12345;
    ParseHandPartyPoker(Lines(hand), nick, money);
    return money;
}

class CRecorder : public IHandListener {
public:
    void HandCounted(const HandRecord& h) override { vecHands.push_back(h); }
    std::vector<HandRecord> vecHands;
};

const wchar_t kSplitPot[] = LR"(#Game No : 100
***** Hand History for Game 100 *****
$0.05/$0.10 USD NL Texas Hold'em - Monday, August 30, 16:08:09 EDT 2010
Seat 1: Hero ( $10 USD )
Seat 2: Hero77 ( $10 USD )
Seat 3: Villain ( $10 USD )
Hero posts small blind [$0.05 USD].
Hero77 posts big blind [$0.10 USD].
** Dealing down cards **
Villain folds
Hero raises [$0.30 USD]
Hero77 calls [$0.25 USD]
** Dealing Flop ** [ 2c, 3d, 4h ]
Hero: Hero wins $5 USD
Hero checks
Hero77 checks
Hero wins $0.70 USD from the main pot with a pair of Aces.
Hero wins $0.05 USD from the side pot 1 with a pair of Aces.)";

} // namespace

TEST(PartyPokerAmount, ReadsEveryWayRoomsWriteAmounts) {
    const struct {
        const wchar_t* text;
        double hundredths;
    } cases[] = {
        {L"$1,728.25", 172825},
        {L"15 788,50 $", 1578850},
        {L"15\u00A0788,50 $", 1578850},
        {L"0,01 $", 1},
        {L"€51,18", 5118},
        {L"222,75$", 22275},
        {L"25 $", 2500},
        {L"$ 10", 1000},
        {L"$2,095.00", 209500},
        {L"$10,000 USD", 1e6},
        {L"0,35 €", 35},
        {L"$0.02  USD", 2},
        {L"0.5", 50},
        {L"£3.", 300},
        {L"0.125", 12.5},
    };
    for (const auto& c : cases) {
        double h = -1;
        EXPECT_TRUE(ParsePartyAmount(c.text, h)) << c.text;
        EXPECT_EQ(h, c.hundredths) << c.text;
    }
    for (const wchar_t* bad : {L"", L"$", L"USD", L"abc", L"1 2", L"$1 $2", L"1..5", L"1,000,00",
                               L"1,23,456", L"12x", L"1 USD 2"}) {
        double h = -1;
        EXPECT_FALSE(ParsePartyAmount(bad, h)) << bad;
    }
    double h = 0;
    EXPECT_FALSE(ParsePartyAmount(std::wstring(100000, L'9'), h));
}

TEST(PartyPokerHand, SplitPotCountsOnlyTheLinesOfThatExactPlayer) {
    EXPECT_DOUBLE_EQ(Result(kSplitPot, L"Hero"), 70 + 5 - 35);
    EXPECT_DOUBLE_EQ(Result(kSplitPot, L"Hero77"), -35);
    EXPECT_DOUBLE_EQ(Result(kSplitPot, L"Villain"), 0);
    EXPECT_DOUBLE_EQ(Result(kSplitPot, L""), 0);
}

TEST(PartyPokerHand, FoldEndsTheHandWithWhatWasPutIn) {
    EXPECT_DOUBLE_EQ(
        Result(L"Hero posts big blind [$0.10 USD].\nHero folds\nHero wins $9 USD", L"Hero"), -10);
    // Emailed histories end action lines with a period.
    EXPECT_DOUBLE_EQ(Result(L"Hero calls [$0.10 USD].\nHero folds.", L"Hero"), -10);
    const double nothing = Result(L"Villain raises [$1 USD]\nHero folds", L"Hero");
    EXPECT_EQ(nothing, 0);
    EXPECT_FALSE(std::signbit(nothing));
}

TEST(PartyPokerHand, ReadsEuroThousandsAndDecimalCommaAmountsWhole) {
    const wchar_t hand[] = LR"(Hero posts big blind + dead [0,15 €].
Hero calls [ $2,095.00 USD ]
Hero bets [€0.75 EUR].
Hero raises[ $25 USD ]
Hero is all-In  [222,75$]
Hero wins 15 788,50 $ from the main pot with a flush.)";
    EXPECT_DOUBLE_EQ(Result(hand, L"Hero"), 1578850 - (15 + 209500 + 75 + 2500 + 22275));
}

TEST(PartyPokerHand, NewerLayoutRaisesToAStakeAndWinsInTheSummary) {
    const wchar_t hand[] = LR"(Hero posts small blind (0.10)
Hero raises 0.65 to 0.75
Villain calls (0.50)
** Dealing Flop ** :  [ 2s, 6s, 9s ]
Hero bets (1.07)
Villain folds
** Summary **
Hero balance $31.57, bet $1.82, collected $2.50, net +$0.68)";
    EXPECT_DOUBLE_EQ(Result(hand, L"Hero"), 250 - 182);
}

TEST(PartyPokerHand, AntesButtonBlindsAndGluedSentencesCount) {
    const wchar_t hand[] = LR"(Hero posts ante [$1 USD]
Villain is sitting outHero posts button blind  [$1 USD]
Hero raises [$17 USD]
Villain does not show cards.Hero wins $1,000 USD)";
    EXPECT_DOUBLE_EQ(Result(hand, L"Hero"), 100000 - 1900);
}

TEST(PartyPokerHand, ClosedTableKeepsOnlyWhatWasWon) {
    EXPECT_DOUBLE_EQ(
        Result(L"Hero posts big blind [$0.10 USD].\nTable Closed\nHero folds", L"Hero"), 0);
}

TEST(PartyPokerHeader, ReadsBlindsAndCurrency) {
    const struct {
        const wchar_t* line;
        double sb, bb;
        int currency;
    } cases[] = {
        {L"$0.05/$0.10 USD NL Texas Hold'em - Monday, August 30, 16:08:09 EDT 2010", 0.05, 0.10, 0},
        {L"€10 EUR PL Omaha - Sunday, November 21, 19:00:00 CET 2010", 0.05, 0.10, 1},
        {L"$10,000 USD PL Omaha - Wednesday, October 11, 17:27:53 CEST 2017", 50, 100, 0},
        {L"0,10 €/0,25 € EUR NL Texas Hold'em - Sunday,December 9, 4:34:49 CET 2012", 0.10, 0.25,
         1},
        // No blinds in the line: only the currency is known.
        {L"€10 EUR NL Texas Hold'em - Sunday, November 21, 19:00:00 CET 2010", -1, -1, 1},
        {L"£15/£30 GBP Texas Hold'em - Monday, April 25, 09:42:13 BST 2011", -1, -1, 2},
        {L"10 EUR NL Texas Hold'em - Sunday, November 21, 19:00:00 CET 2010", -1, -1, 1},
        {L"Table Omaha Beach (Real Money)", -1, -1, 7},
    };
    for (const auto& c : cases) {
        double sb = -1, bb = -1;
        int cur = 7;
        ParseHeaderPartyPoker(c.line, sb, bb, cur);
        EXPECT_DOUBLE_EQ(sb, c.sb) << c.line;
        EXPECT_DOUBLE_EQ(bb, c.bb) << c.line;
        EXPECT_EQ(cur, c.currency) << c.line;
    }
}

TEST(PartyPokerBatch, CutsAtGameLinesAndConvertsEachHand) {
    CSessionModel model;
    twtest::AddRoom(model, L"PartyPoker", {L"Hero"});
    model.SetRates(L"1.00", L"1.12", L"1.42");
    CRecorder rec;
    model.AddHandListener(&rec);

    HandLines batch = Lines(LR"(Game #71 starts.

#Game No : 71
***** Hand History for Game 71 *****
€0.05/€0.10 EUR NL Texas Hold'em - Sunday, November 21, 19:00:00 CET 2010
Hero posts big blind [€0.10 EUR].
Hero folds
Game #72 starts.
#Game No : 72
***** Hand History for Game 72 *****
€0.05/€0.10 EUR NL Texas Hold'em - Sunday, November 21, 19:01:00 CET 2010
Hero posts small blind [€0.05 EUR].
Hero wins €0.20 EUR
Game #73 starts.
#Game No : 73
Table Double or Nothing 12 (Real Money)
Hero wins €50 EUR)");
    // A reader holds back from the first line of the last hand of a chunk.
    EXPECT_EQ(UnfinishedTailStart(batch, kRoomPartyPoker), 13u);

    TableState table;
    table.nRoom = kRoomPokerStars;
    const BatchResult result = MakeMoneyData(model, batch, table);

    EXPECT_EQ(table.nRoom, kRoomPartyPoker);
    ASSERT_EQ(result.nHands, 2); // the tournament hand is dropped
    EXPECT_NEAR(result.dMoney, model.dTotalMoney, 1e-12);
    EXPECT_EQ(model.nTotalHands, 2);
    EXPECT_NEAR(model.dTotalMoney, (-10 + 15) * 1.12 * 0.01, 1e-12);
    EXPECT_NEAR(model.dTotalBB, (-10 + 15) / 10.0, 1e-12); // table currency
    ASSERT_EQ(rec.vecHands.size(), 2u);
    EXPECT_EQ(rec.vecHands[0].strHandId, L"71");
    EXPECT_EQ(rec.vecHands[1].strHandId, L"72");
    EXPECT_EQ(rec.vecHands[1].nCurrency, kCurrencyEUR);
    EXPECT_DOUBLE_EQ(rec.vecHands[1].dResult, 0.15);
    model.RemoveHandListener(&rec);
}

TEST(PartyPokerBatch, GarbageAndHugeLinesNeverCount) {
    CSessionModel model;
    twtest::AddRoom(model, L"PartyPoker", {L"Hero"});
    model.SetRates(L"1.00", L"1.12", L"1.42");
    HandLines batch = {
        L"\x01\x02\xFFFD garbage",      L"Game #1 starts.",
        std::wstring(1 << 20, L'$'),    L"Hero wins " + std::wstring(1 << 20, L'9') + L" USD",
        L"Hero posts big blind [$0.10", L"Hero calls [$0.10 USD]"};
    TableState table;
    table.nRoom = kRoomPartyPoker;
    MakeMoneyData(model, batch, table);
    EXPECT_EQ(model.nTotalHands, 1); // the truncated hand counts what it shows
    EXPECT_DOUBLE_EQ(model.dTotalMoney, -0.10);

    // A hand the client has only just started is not counted as a hand.
    batch = {L"Game #2 starts.", L"Hero posts big blind [$0.10 USD].", L"Game #3 starts.", L""};
    MakeMoneyData(model, batch, table);
    EXPECT_EQ(model.nTotalHands, 2);
    EXPECT_DOUBLE_EQ(model.dTotalMoney, -0.20);
}

TEST(PartyPokerBatch, AHandThatOpensWithItsGameNumberIsOneHand) {
    // Newer files open a hand with "#Game No :" and then its title; the
    // number alone was once passed on as a hand of its own.
    CSessionModel model;
    twtest::AddRoom(model, L"PartyPoker", {L"Hero"});
    model.SetRates(L"1.00", L"1.12", L"1.42");
    HandLines batch = tw::test::Lines(LR"(#Game No : 14
***** Hand History for Game 14 *****
$5/$10 USD NL Texas Hold'em - Friday, August 01, 22:45:59 CEST 2014
Hero posts big blind [$10 USD].
Hero wins $25 USD)");
    TableState table;
    table.nRoom = kRoomPartyPoker;
    EXPECT_EQ(MakeMoneyData(model, batch, table).nHands, 1);
    EXPECT_EQ(model.nTotalHands, 1);
    EXPECT_DOUBLE_EQ(model.dTotalMoney, 15.0);
}
