#include "app/TarnwickApp.h"
#include "gen/TextLines.h"
#include "parsing/HandEngine.h"
#include "parsing/formats/888/Poker888.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

// The lines of a text, trimmed as the splitter stores them.
HandLines Lines(std::wstring_view text) {
    return twgen::SplitLines(text, true);
}

// The seats of a three-handed $0.01/$0.02 table; the stacks are written
// with thousands separators on purpose.
const wchar_t kTable[] = LR"(#Game No : 700000001
***** 888poker Hand History for Game 700000001 *****
$0.01/$0.02 Blinds No Limit Holdem - *** 15 07 2021 15:18:32
Table Leeds 6 Max (Real Money)
Seat 1 is the button
Total number of players : 3
Seat 1: Villain ( $1,250.40 )
Seat 3: Hero ( $2,095.00 )
Seat 5: Other ( $3 )
)";

struct Parsed {
    bool bCounted;
    Hand888Status status;
    double dMoney;
};

Parsed Parse(const std::wstring& text, const std::wstring& hero = L"Hero") {
    Parsed p{};
    p.dMoney = 12345; // must be overwritten
    p.bCounted = ParseHand888(Lines(text), hero, p.dMoney, &p.status);
    return p;
}

// Hands in the room's own words and the hero's true result in hundredths.
struct MoneyCase {
    const char* szWhat;
    std::wstring strHand;
    double dResult;
};

} // namespace

TEST(Hand888Header, ReadsStakesInEveryLocaleAndFlopomania) {
    struct Case {
        const wchar_t* szLine;
        double dSmall, dBig;
        int nCurrency;
    } cases[] = {
        {L"$0.01/$0.02 Blinds No Limit Holdem - *** 15 07 2011 15:18:32", 0.01, 0.02, 0},
        {L"0,01 $/0,02 $ Blinds No Limit Holdem - *** 15 07 2011 15:18:32", 0.01, 0.02, 0},
        {L"$ 10/$ 20 Blinds Pot Limit Omaha - *** 05 05 2014 21:32:10", 10, 20, 0},
        {L"25\u00A0$/50\u00A0$ Blinds Pot Limit Omaha - *** 21 04 2016 16:34:37", 25, 50, 0},
        {L"\u20AC0,50/\u20AC1 Blinds No Limit Holdem Jackpot table - *** 04 07 2016 02:30:27", 0.5,
         1, 1},
        {L"\u00A31,000/\u00A32,000 Blinds Fix Limit Holdem - *** 1 3 2012 5:02:21", 1000, 2000, 2},
        {L"$0.05 Ante NL Flopomania - *** 15 07 2013 15:18:32", 0, 0.05, 0},
    };
    for (const Case& c : cases) {
        double sb = -1, bb = -1;
        int cur = -1;
        ParseHeader888(c.szLine, sb, bb, cur);
        EXPECT_EQ(sb, c.dSmall) << c.szLine;
        EXPECT_EQ(bb, c.dBig) << c.szLine;
        EXPECT_EQ(cur, c.nCurrency) << c.szLine;
    }
}

TEST(Hand888Header, LeavesOutputsAloneForPlayMoneyAndStrangeLines) {
    const std::wstring lines[] = {
        L"0.50/1 Blinds Fix Limit Holdem - *** 08 03 2011 11:02:03", // play money
        L"|0.01/|0.02 Blinds No Limit Holdem - *** 15 07 2011 15:18:32",
        L"$0.01/\u20AC0.02 Blinds No Limit Holdem - *** 15 07 2011 15:18:32",
        L"$0.01/$0.02 Blinds No Limit Holdem",
        L"Table Leeds 6 Max (Real Money)",
        std::wstring(100000, L'/') + L" Blinds x 1 2 2011 1:2:3",
    };
    for (const std::wstring& l : lines) {
        double sb = 7, bb = 8;
        int cur = 9;
        ParseHeader888(l, sb, bb, cur);
        EXPECT_EQ(sb, 7);
        EXPECT_EQ(bb, 8);
        EXPECT_EQ(cur, 9);
    }
}

TEST(Hand888, ComputesTheHerosResult) {
    const MoneyCase cases[] = {
        {"walk in the big blind", std::wstring(kTable) + LR"(Other posts small blind [$0.01]
Hero posts big blind [$0.02]
** Dealing down cards **
Dealt to Hero [ 7c, 2d ]
Villain folds
Other folds
** Summary **
Hero collected [ $0.03 ]
)",
         1},
        {"uncalled river bet the room leaves out",
         std::wstring(kTable) + LR"(Hero posts small blind [$0.50]
Villain posts big blind [$1]
** Dealing down cards **
Dealt to Hero [ Ac, Kd ]
Other folds
Hero calls [$0.50]
Villain checks
** Dealing flop ** [ 2c, 7h, Td ]
** Dealing turn ** [ 3s ]
** Dealing river ** [ 9s ]
Hero bets [$1]
Villain folds
** Summary **
Hero did not show his hand
Hero collected [ $2 ]
)",
         100},
        {"uncalled preflop raise paid back inside the pot",
         std::wstring(kTable) + LR"(Villain posts small blind [$5]
Other posts big blind [$10]
** Dealing down cards **
Dealt to Hero [ Ac, Kd ]
Hero raises [$1,284.48]
Villain folds
Other folds
** Summary **
Hero collected [ $1,299.48 ]
)",
         1500},
        {"excess over an all-in blind as a line of its own",
         std::wstring(kTable) + LR"(Other posts small blind [$5]
Villain posts big blind [$10]
** Dealing down cards **
Dealt to Hero [ Td, Qd ]
Hero raises [$20]
Other folds
** Dealing flop ** [ 8s, As, 2d ]
** Dealing turn ** [ 6h ]
** Dealing river ** [ 5d ]
** Summary **
Villain shows [ 2c, Ts ]
Hero mucks [ Td, Qd ]
Villain collected [ $23.75 ]
Hero collected [ $10 ]
)",
         -1000},
        {"excess line smaller than the rake",
         std::wstring(kTable) + LR"(Other posts small blind [$1]
Villain posts big blind [$2]
** Dealing down cards **
Dealt to Hero [ Td, Qd ]
Hero raises [$100]
Other folds
Villain calls [$97.50]
** Dealing flop ** [ 8s, As, 2d ]
** Dealing turn ** [ 6h ]
** Dealing river ** [ 5d ]
** Summary **
Villain shows [ 2c, Ts ]
Hero shows [ Td, Qd ]
Villain collected [ $198 ]
Hero collected [ $0.50 ]
)",
         -9950},
        {"excess inside the winning collected amount",
         std::wstring(kTable) + LR"(Other posts small blind [$1]
Villain posts big blind [$2]
** Dealing down cards **
Dealt to Hero [ Ad, Ac ]
Hero raises [$100]
Other folds
Villain calls [$48]
** Dealing flop ** [ 8s, As, 2d ]
** Dealing turn ** [ 6h ]
** Dealing river ** [ 5d ]
** Summary **
Villain shows [ 2c, Ts ]
Hero shows [ Ad, Ac ]
Hero collected [ $149 ]
)",
         4900},
        {"two pots collected", std::wstring(kTable) + LR"(Other posts small blind [$1]
Villain posts big blind [$2]
** Dealing down cards **
Dealt to Hero [ Ad, Ac ]
Hero raises [$10]
Other calls [$9]
Villain calls [$8]
** Dealing flop ** [ 8s, As, 2d ]
Villain bets [$4]
Hero calls [$4]
Other calls [$4]
** Summary **
Hero collected [ $20 ]
Hero collected [ $21 ]
)",
         2700},
        {"dead blind does not match a bet",
         std::wstring(kTable) + LR"(Other posts small blind [$0.01]
Villain posts big blind [$0.02]
Hero posts dead blind [0,01 $ + 0,02 $]
** Dealing down cards **
Dealt to Hero [ 8s, Qs ]
Other calls [$0.01]
Villain checks
Hero checks
** Dealing flop ** [ 8s, As, 2d ]
Other checks
Villain checks
Hero bets [$0.10]
Other folds
Villain folds
** Summary **
Hero collected [ $0.07 ]
)",
         4},
        {"each stake to the cent though doubles miss 0.29",
         std::wstring(kTable) + LR"(Villain posts small blind [$0.01]
Hero posts big blind [$0.02]
** Dealing down cards **
Dealt to Hero [ Ad, Ac ]
Other folds
Villain raises [$0.29]
Hero calls [$0.28]
** Dealing flop ** [ 8s, As, 2d ]
Hero bets [$0.50]
Villain folds
** Summary **
Hero collected [ $0.57 ]
)",
         27},
        {"another player's name begins with the hero's",
         std::wstring(kTable) + LR"(Seat 6: HeroX ( $5 )
Other posts small blind [$0.01]
Hero posts big blind [$0.02]
** Dealing down cards **
Dealt to Hero [ 7c, 2d ]
HeroX raises [$0.06]
Villain folds
Other folds
Hero folds
** Summary **
HeroX collected [ $0.09 ]
)",
         -2},
        {"flopomania antes", LR"(#Game No : 700000002
***** 888poker Flopomania Table Hand History for Game 700000002 *****
$0.05 Ante NL Flopomania - *** 15 07 2013 15:18:32
Table Paris (Real Money)
Seat 1 is the button
Total number of players : 3
Seat 1: Villain ( $5 )
Seat 3: Hero ( $5 )
Seat 5: Other ( $5 )
Villain posts ante (First to Act) [$0.05]
Hero posts ante [$0.05]
Other posts ante [$0.05]
** Dealing down cards **
Dealt to Hero [ Ad, Ac ]
** Dealing flop ** [ 8s, As, 2d ]
Villain bets [$0.10]
Hero raises [$0.40]
Other folds
Villain folds
** Summary **
Hero collected [ $0.29 ]
)",
         14},
    };
    for (const MoneyCase& c : cases) {
        Parsed p = Parse(c.strHand);
        EXPECT_TRUE(p.bCounted) << c.szWhat;
        EXPECT_EQ(p.status, Hand888Status::Counted) << c.szWhat;
        EXPECT_NEAR(p.dMoney, c.dResult, 1e-6) << c.szWhat;
    }
}

TEST(Hand888, CancelledHandsResultInNothing) {
    // The big blind never came; the small blind got its money back.
    Parsed noDeal = Parse(std::wstring(kTable) + LR"(Hero posts small blind [$5]
Villain folds
** Summary **
Hero collected [ $5 ]
)");
    EXPECT_FALSE(noDeal.bCounted);
    EXPECT_EQ(noDeal.status, Hand888Status::Cancelled);
    EXPECT_EQ(noDeal.dMoney, 0);

    Parsed closed = Parse(std::wstring(kTable) + LR"(Hero posts small blind [$0.01]
Villain posts big blind [$0.02]
** Dealing down cards **
Dealt to Hero [ Ad, Ac ]
Hero raises [$1]
Table Closed
)");
    EXPECT_EQ(closed.status, Hand888Status::Cancelled);
    EXPECT_EQ(closed.dMoney, 0);
}

TEST(Hand888, RejectsHandsThatAreNotTheHerosOrNotWhole) {
    const std::wstring played = std::wstring(kTable) + LR"(Villain posts small blind [$0.01]
Hero posts big blind [$0.02]
** Dealing down cards **
Dealt to Hero [ Ad, Ac ]
Other raises [$0.10]
Villain folds
Hero calls [$0.08]
** Dealing flop ** [ 8s, As, 2d ]
Hero bets [$0.20]
Other calls [$0.20]
** Summary **
Hero collected [ $0.63 ]
)";
    Parsed whole = Parse(played);
    ASSERT_TRUE(whole.bCounted);
    EXPECT_NEAR(whole.dMoney, 33, 1e-9);

    // Payouts belong to the summary, stakes before it; lines out of place do
    // not change the result.
    std::wstring shuffled = played;
    shuffled.insert(shuffled.find(L"** Summary **"), L"Hero collected [ $5 ]\n");
    shuffled += L"Hero bets [$5]\nOther posts big blind [$1]\n";
    EXPECT_NEAR(Parse(shuffled).dMoney, 33, 1e-9);

    // Cut off before the summary: the hero's money is not known.
    std::wstring cut = played.substr(0, played.find(L"** Summary **"));
    EXPECT_EQ(Parse(cut).status, Hand888Status::Rejected);
    EXPECT_EQ(Parse(cut).dMoney, 0);
    // Somebody else's hand, and a hand without a nickname.
    EXPECT_EQ(Parse(played, L"Stranger").status, Hand888Status::Absent);
    EXPECT_EQ(Parse(played, L"").status, Hand888Status::Rejected);
    // A seat without a name.
    std::wstring blank = played;
    blank.replace(blank.find(L"Seat 5: Other"), 13, L"Seat 5: ");
    EXPECT_EQ(Parse(blank).status, Hand888Status::Rejected);
    // Play money: the stakes carry no currency.
    std::wstring chips = played;
    chips.replace(chips.find(L"( $2,095.00 )"), 13, L"( 2,095.00 )");
    EXPECT_EQ(Parse(chips).status, Hand888Status::Absent);

    // A hand the hero folded is whole at the fold.
    std::wstring folded = played.substr(0, played.find(L"Hero calls"));
    folded += L"\nHero folds\n";
    Parsed f = Parse(folded);
    EXPECT_TRUE(f.bCounted);
    EXPECT_NEAR(f.dMoney, -2, 1e-9);
}

TEST(Hand888, SurvivesGarbage) {
    std::wstring junk = std::wstring(kTable);
    junk += L"Hero posts big blind [$\n";
    junk += L"Hero calls [$1,23,4]\n";
    junk += L"Hero collected [ ]\n";
    junk += L"] [ [\n";
    junk += std::wstring(1 << 20, L'[') + L"]\n";
    junk += L"Seat 9: " + std::wstring(1 << 20, L'(') + L" )\n";
    junk += std::wstring(L"\x01\x02\xFFFD\x7F\n");
    junk += L"** Summary **\n";
    Parsed p = Parse(junk);
    EXPECT_EQ(p.status, Hand888Status::Cancelled);
    EXPECT_EQ(p.dMoney, 0);
    EXPECT_FALSE(Parse(L"").bCounted);
    EXPECT_FALSE(Parse(L"\n\n\n").bCounted);
}

namespace {

class CRecorder : public IHandListener {
public:
    void HandCounted(const HandRecord& h) override { vecHands.push_back(h); }
    std::vector<HandRecord> vecHands;
};

// A session with the 888 poker room configured for "Hero", rates USD 1, EUR 2.
class Session888 : public ::testing::Test {
protected:
    void SetUp() override {
        twtest::AddRoom(model, L"888 poker", {L"Hero"});
        model.SetRates(L"1.00", L"2.00", L"1.50");
        model.AddHandListener(&recorder);
    }

    int Run(const std::wstring& text, RoomNumber configured = kRoom888) {
        std::vector<std::wstring> lines = Lines(text);
        TableState table;
        table.nRoom = configured;
        const int hands = MakeMoneyData(model, lines, table).nHands;
        EXPECT_EQ(table.nRoom, kRoom888);
        return hands;
    }

    CSessionModel model;
    CRecorder recorder;
};

// One hand, numbered `id`, with its own stakes line; the hero wins `win`
// (the other player's big blind) or loses the small blind.
std::wstring Hand(int id, const std::wstring& stakes, bool heroWins, bool gameNoLine = true,
                  const wchar_t* title = L"***** 888poker Hand History for Game ") {
    std::wstring n = std::to_wstring(id);
    std::wstring s = gameNoLine ? L"#Game No : " + n + L"\n" : L"";
    s += title + n + L" *****\n" + stakes + L" Blinds No Limit Holdem - *** 15 07 2021 15:18:32\n";
    s += L"Table Leeds 6 Max (Real Money)\nSeat 1 is the button\nTotal number of players : 2\n";
    s += L"Seat 1: Villain ( $100 )\nSeat 3: Hero ( $100 )\n";
    s += L"Hero posts small blind [$1]\nVillain posts big blind [$2]\n";
    s += L"** Dealing down cards **\nDealt to Hero [ Ad, Ac ]\n";
    if (heroWins) {
        s += L"Hero raises [$5]\nVillain folds\n** Summary **\nHero collected [ $4 ]\n";
    } else {
        s += L"Hero folds\n** Summary **\nVillain collected [ $3 ]\n";
    }
    return s + L"\n\n";
}

} // namespace

TEST_F(Session888, CountsEachHandWithItsOwnStakes) {
    std::wstring text = L"Villain collected [ $50 ]\nHero collected [ $50 ]\n\n"; // an old tail
    text += L"#Game No : 10\n***** 888poker Hand History for Game 10 *****\n";    // cut off
    text += Hand(11, L"$1/$2", true);
    text += Hand(12, L"\u20AC1/\u20AC2", true, true, L"***** Cassava Hand History for Game ");
    text += Hand(13, L"$0.50/$1", false, false); // no "#Game No :" line
    text += Hand(14, L"$1/$2", false, false);

    EXPECT_EQ(Run(text), 5); // hands passed on, the cut-off one too
    EXPECT_EQ(model.nTotalHands, 4);
    // +2, +2 EUR at rate 2, -1, -1 (dollars).
    EXPECT_NEAR(model.dTotalMoney, 2 + 4 - 1 - 1, 1e-9);
    // In big blinds, each in its table's currency: +1, +1, -1, -0.5.
    EXPECT_NEAR(model.dTotalBB, 1 + 1 - 1 - 0.5, 1e-9);

    ASSERT_EQ(recorder.vecHands.size(), 4u);
    const wchar_t* ids[] = {L"11", L"12", L"13", L"14"};
    const double bbs[] = {2, 2, 1, 2};
    const double results[] = {2, 2, -1, -1};
    for (int i = 0; i < 4; ++i) {
        const HandRecord& h = recorder.vecHands[static_cast<std::size_t>(i)];
        EXPECT_EQ(h.strHandId, ids[i]);
        EXPECT_EQ(h.dBigBlind, bbs[i]);
        EXPECT_NEAR(h.dResult, results[i], 1e-9);
        EXPECT_TRUE(h.bCounted);
    }
    EXPECT_EQ(recorder.vecHands[1].nCurrency, 1);
    EXPECT_NEAR(recorder.vecHands[1].dMoney, 4, 1e-9);
}

TEST_F(Session888, CancelledHandIsReportedButChangesNoTotal) {
    std::wstring text = Hand(21, L"$1/$2", true);
    text += L"#Game No : 22\n***** Cassava Hand History for Game 22 *****\n"
            L"$5/$10 Blinds Fix Limit Holdem - *** 18 02 2012 00:00:12\n"
            L"Seat 6: Hero ( $665 )\nSeat 8: Villain ( $430 )\n"
            L"Hero posts small blind [$5]\nVillain folds\n** Summary **\n"
            L"Hero collected [ $5 ]\n\n";
    Run(text);
    EXPECT_EQ(model.nTotalHands, 1);
    EXPECT_NEAR(model.dTotalMoney, 2, 1e-9);
    EXPECT_NEAR(model.dTotalBB, 1, 1e-9);
    ASSERT_EQ(recorder.vecHands.size(), 2u);
    EXPECT_EQ(recorder.vecHands[1].strHandId, L"22");
    EXPECT_FALSE(recorder.vecHands[1].bCounted);
    EXPECT_EQ(recorder.vecHands[1].dResult, 0);
    EXPECT_EQ(recorder.vecHands[1].dMoney, 0);
}

TEST_F(Session888, TournamentEndsTheBatchAndRejectedHandsAddNothing) {
    std::wstring text = Hand(31, L"$1/$2", true);
    std::wstring other = Hand(32, L"$1/$2", true);
    other.replace(other.find(L"Seat 3: Hero"), 12, L"Seat 3: Bob"); // the hero sat elsewhere
    text += other;
    text += L"#Game No : 33\n***** 888poker Hand History for Game 33 *****\n"
            L"Tournament #1 $1 + $0.10 - Table #1 9 Max (Real Money)\n";
    text += Hand(34, L"$1/$2", true);
    Run(text);
    EXPECT_EQ(model.nTotalHands, 1);
    EXPECT_NEAR(model.dTotalMoney, 2, 1e-9);
    ASSERT_EQ(recorder.vecHands.size(), 1u);
    EXPECT_EQ(recorder.vecHands[0].strHandId, L"31");
}

TEST(Hand888Split, UnfinishedTailStartsAtTheGameNumber) {
    std::vector<std::wstring> lines = Lines(Hand(1, L"$1/$2", true) + Hand(2, L"$1/$2", true));
    std::size_t second = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == L"#Game No : 2")
            second = i;
    EXPECT_EQ(UnfinishedTailStart(lines, kRoom888), second);

    // Without a "#Game No :" line the title starts the hand.
    lines = Lines(Hand(1, L"$1/$2", true, false) + Hand(2, L"$1/$2", true, false));
    std::size_t title = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (StartsWith(lines[i], L"***** 888poker Hand History for Game 2 "))
            title = i;
    EXPECT_EQ(UnfinishedTailStart(lines, kRoom888), title);
}
