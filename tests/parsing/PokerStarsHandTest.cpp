#include "gen/TextLines.h"
#include "parsing/formats/pokerstars/PokerStars.h"
#include "support/TextUtil.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

const wchar_t kHeader[] =
    L"PokerStars Hand #1: Hold'em No Limit ($0.01/$0.02 USD) - 2026/01/01 10:00:00 ET";

// The hero's result in hundredths for a hand given as text.
double Result(const std::wstring& text, const std::wstring& nick = L"Hero", double bb = 2) {
    const HandLines lines = twgen::SplitLines(text, true);
    double money = 12345;
    ParseHandPokerStars(lines, nick, money, bb);
    return money;
}

} // namespace

TEST(PokerStarsHand, SmallBlindCallsChecksDownAndWins) {
    EXPECT_NEAR(Result(std::wstring(kHeader) + LR"(
Seat 1: Hero ($2 in chips)
Seat 2: Vill ($2 in chips)
Hero: posts small blind $0.01
Vill: posts big blind $0.02
*** HOLE CARDS ***
Hero: calls $0.01
Vill: checks
*** FLOP *** [2c 3d 4h]
Hero: checks
Vill: checks
*** TURN *** [2c 3d 4h] [5s]
Hero: checks
Vill: checks
*** RIVER *** [2c 3d 4h 5s] [6d]
Hero: checks
Vill: checks
*** SHOW DOWN ***
Hero collected $0.05 from pot
*** SUMMARY ***
Total pot $0.05 | Rake $0)"),
                3, 1e-9);
}

TEST(PokerStarsHand, FoldsRaisesAndReturnedBets) {
    // Big blind, then a raise by 4 to 6: the raise sets the stake to 6, and
    // 2 returned leaves 4 put in.
    EXPECT_NEAR(Result(LR"(Hero: posts big blind $0.02
Vill: raises $0.04 to $0.06
Hero: folds)"),
                -2, 1e-9);
    EXPECT_NEAR(Result(LR"(Hero: posts big blind $0.02
Vill: raises $0.02 to $0.04
Hero: raises $0.04 to $0.06
Vill: calls $0.02
*** FLOP *** [2c 3d 4h]
Hero: bets $0.02
Vill: folds
Uncalled bet ($0.02) returned to Hero
Hero collected $0.12 from pot)"),
                12 - 6, 1e-9);
    // A fold before any stake costs nothing.
    EXPECT_EQ(Result(L"Vill: posts big blind $0.02\nHero: folds"), 0);
}

TEST(PokerStarsHand, NicknameThatPrefixesAnotherPlayerTakesOnlyItsOwnLines) {
    std::wstring hand = LR"(Hero77: posts small blind $0.01
Hero: posts big blind $0.02
Hero77: raises $0.10 to $0.12
Hero: calls $0.10
*** FLOP *** [2c 3d 4h]
Hero77: bets $1
Hero: folds
Uncalled bet ($1) returned to Hero77
Hero77 collected $0.24 from pot)";
    EXPECT_NEAR(Result(hand, L"Hero"), -12, 1e-9);
    EXPECT_NEAR(Result(hand, L"Hero77"), 24 - 12, 1e-9);
}

TEST(PokerStarsHand, AllInPostsAndActionsCountLikePlainOnes) {
    EXPECT_NEAR(Result(LR"(Hero: posts big blind $0.02 and is all-in
Vill: calls $0.01
*** FLOP *** [2c 3d 4h]
*** SHOW DOWN ***
Vill collected $0.04 from pot)"),
                -2, 1e-9);
    EXPECT_NEAR(Result(LR"(Hero: posts small blind $0.01
Vill: raises $1 to $1.02
Hero: raises $0.99 to $2.01 and is all-in
Vill: calls $0.99 and is all-in
Hero collected $4 from pot)"),
                400 - 201, 1e-9);
    // An ending with no action before it is no action (the name's colon and
    // blank must not be taken for part of it).
    EXPECT_NEAR(Result(LR"(Hero: posts small blind $0.01
Vill: posts big blind $0.02
Hero: and is all-in
Vill: and has reached the $10 cap
Hero: folds)"),
                -1, 1e-9);
}

TEST(PokerStarsHand, SmallAndBigBlindsSplitIntoLiveAndDeadMoney) {
    // 3 posted: 2 live with the big blind of 2, 1 dead; a fold loses all 3.
    EXPECT_NEAR(
        Result(L"Hero: posts small & big blinds $0.03\nVill: raises $0.10 to $0.12\nHero: folds"),
        -3, 1e-9);
    // A call of 10 on top of the live 2 makes 12, plus the dead 1.
    EXPECT_NEAR(Result(LR"(Hero: posts small & big blinds $0.03
Vill: raises $0.10 to $0.12
Hero: calls $0.10
*** FLOP *** [2c 3d 4h]
*** SHOW DOWN ***
Vill collected $0.26 from pot)"),
                -13, 1e-9);
    // Unknown big blind: two thirds of the post are live.
    EXPECT_NEAR(Result(L"Hero: posts small & big blinds $0.15\nVill: raises $0.20 to $0.30\n"
                       L"Hero: calls $0.20\n*** FLOP *** [2c 3d 4h]\nVill collected $0.60 from pot",
                       L"Hero", 0),
                -35, 1e-9);
}

TEST(PokerStarsHand, AnteThenBlindSetsTheStreetAndButtonBlindAdds) {
    // The ante goes to the committed money; the big blind still sets the
    // street total, so a raise to 6 means 6 + ante 1 in all.
    EXPECT_NEAR(Result(LR"(Hero: posts the ante $0.01
Hero: posts big blind $0.02
Vill: raises $0.04 to $0.06
Hero: calls $0.04
*** FLOP *** [2c 3d 4h]
Vill collected $0.13 from pot)"),
                -7, 1e-9);
    // 6+ Hold'em: ante to committed, button blind adds, a raise to $3 sets 300.
    EXPECT_NEAR(Result(LR"(Hero: posts the ante $0.50
Hero: posts button blind $1
Vill: raises $1 to $2
Hero: raises $1 to $3
Vill: folds
Uncalled bet ($1) returned to Hero
Hero collected $5.50 from pot)"),
                550 - 50 - 200, 1e-9);
}

TEST(PokerStarsHand, CashOutCountsWithoutTheFee) {
    EXPECT_NEAR(Result(LR"(Hero: bets $1
Vill: calls $1
Hero cashed out the hand for $4.00 | Cash Out Fee $0.08
Vill collected $2 from pot)"),
                400 - 100, 1e-9);
}

TEST(PokerStarsHand, StudAndDrawStreetsBringInAndCappedRaises) {
    EXPECT_NEAR(Result(LR"(Hero: posts the ante $0.01
*** 3rd STREET ***
Hero: brings in for $0.02
Vill: calls $0.02
*** 4th STREET ***
Hero: bets $0.05
Vill: raises $0.05 to $0.10
Hero: raises $0.10 to $0.20 and has reached the $0.20 cap
Vill: calls $0.10
*** 5th STREET ***
Hero: checks
Vill: checks
Vill collected $0.44 from pot)"),
                -(1 + 2 + 20), 1e-9);
    EXPECT_NEAR(Result(LR"(Hero: posts big blind $0.02
Vill: calls $0.01
*** FIRST DRAW ***
Hero: bets $0.02
Vill: calls $0.02
*** SECOND DRAW ***
Hero: bets $0.04
Vill: folds
Uncalled bet ($0.04) returned to Hero
Hero collected $0.08 from pot)"),
                8 - 4, 1e-9);
}

TEST(PokerStarsHand, UnmatchedStakeWithoutAnUncalledLineComesBack) {
    // Exports that leave out the "Uncalled bet" line: the bet nobody called
    // is returned all the same.
    EXPECT_NEAR(Result(LR"(Seat 1: Vill ($10 in chips)
Seat 2: Hero ($10 in chips)
Vill: posts small blind $2
Hero: posts big blind $4
*** HOLE CARDS ***
Vill: calls $2
*** FLOP *** [9h 3h 7d]
Vill: checks
Hero: bets $24
Vill: folds
Hero collected $7.60 from pot
*** SUMMARY ***
Total pot $8 | Rake $0.40)"),
                760 + 2400 - 2800, 1e-9);
    // Others fold the returned part into the collected amount and the total
    // pot: then nothing more comes back.
    EXPECT_NEAR(Result(LR"(Seat 1: Vill ($10 in chips)
Seat 2: Hero ($10 in chips)
Vill: posts small blind $3
Hero: posts big blind $6
*** HOLE CARDS ***
Vill: folds
Hero collected $9 from pot
*** SUMMARY ***
Total pot $9 | Rake $0.00)"),
                300, 1e-9);
    // A call that matches the whole stake leaves nothing unmatched.
    EXPECT_NEAR(Result(LR"(Seat 1: Vill ($10 in chips)
Seat 2: Hero ($10 in chips)
Vill: posts small blind $1
Hero: posts big blind $2
Vill: raises $2 to $4
Hero: calls $2
*** FLOP *** [9h 3h 7d]
Hero collected $8 from pot
*** SUMMARY ***
Total pot $8 | Rake $0)"),
                400, 1e-9);
}

TEST(PokerStarsHand, HandsWithoutTheHeroOrWithoutLinesGiveZero) {
    EXPECT_EQ(Result(L""), 0);
    EXPECT_EQ(Result(L"Vill: bets $1\nVill collected $1 from pot"), 0);
    EXPECT_EQ(Result(L"Hero: bets $1", L""), 0); // unconfigured room: empty nickname
    EXPECT_EQ(Result(L"Hero: posts big blind 20\nHero collected 40 from pot"), 0); // play chips
}
