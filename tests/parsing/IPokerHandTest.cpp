#include "app/TarnwickApp.h"
#include "gen/IPokerSample.h"
#include "parsing/HandEngine.h"
#include "parsing/formats/ipoker/IPoker.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace tw;

namespace {

struct Seat {
    std::wstring name, win, bet;
};

std::wstring PlayerLine(const Seat& s) {
    return L"<player seat=\"1\" name=\"" + s.name + L"\" chips=\"$10\" dealer=\"0\" win=\"" +
           s.win + L"\" bet=\"" + s.bet + L"\"/>";
}

// A post of round 0: type 1 a small blind, 2 a big blind.
struct Post {
    std::wstring player, type, sum;
};

// One game as the client writes it, a line per element: the players, then
// round 0 with its posts.
HandLines GameWithPosts(const std::wstring& code, const std::vector<Seat>& seats,
                        const std::vector<Post>& posts) {
    HandLines g = {L" <game gamecode=\"" + code + L"\">", L"  <general>", L"   <players>"};
    for (const Seat& s : seats)
        g.push_back(L"    " + PlayerLine(s));
    for (const wchar_t* l : {L"   </players>", L"  </general>", L"  <round no=\"0\">"})
        g.push_back(l);
    for (std::size_t i = 0; i < posts.size(); ++i)
        g.push_back(L"   <action no=\"" + std::to_wstring(i + 1) + L"\" player=\"" +
                    posts[i].player + L"\" type=\"" + posts[i].type + L"\" sum=\"" + posts[i].sum +
                    L"\" cards=\"\"/>");
    g.push_back(L"  </round>");
    g.push_back(L" </game>");
    return g;
}

// A game whose blinds are the opponent's $0.05 and the hero's `bigBlind`.
HandLines Game(const std::wstring& code, const std::vector<Seat>& seats,
               const std::wstring& bigBlind = L"$0.10") {
    return GameWithPosts(code, seats, {{L"Opp", L"1", L"$0.05"}, {L"Hero", L"2", bigBlind}});
}

struct Parsed {
    bool bOk = false;
    double dResult = 0;
    int nCurrency = -1;
    double dBigBlind = -1;
    std::wstring strCode;
};

Parsed ParseGame(const HandLines& game, bool winHoldsReturn = false) {
    Parsed p;
    p.bOk = ParseHandIPoker(game, L"Hero", p.dResult, p.nCurrency, p.dBigBlind, p.strCode,
                            winHoldsReturn);
    return p;
}

HandLines General(const std::wstring& mode, const std::wstring& gameType, bool clientVersion) {
    HandLines g = {L"<?xml version=\"1.0\" encoding=\"utf-8\"?>", L"<session sessioncode=\"1\">",
                   L" <general>"};
    if (clientVersion)
        g.push_back(L"  <client_version>21.1.1.9</client_version>");
    g.push_back(L"  <mode>" + mode + L"</mode>");
    g.push_back(L"  <gametype>" + gameType + L"</gametype>");
    g.push_back(L" </general>");
    return g;
}

class CRecorder : public IHandListener {
public:
    std::vector<HandRecord> hands;
    void HandCounted(const HandRecord& h) override { hands.push_back(h); }
};

} // namespace

TEST(IPokerAmount, ReadsAmountsAsRoomsWriteThem) {
    struct Case {
        const wchar_t* text;
        double value;
        int currency;
    } cases[] = {
        {L"$1,728.25", 1728.25, 0},
        {L"15 788,50 $", 15788.50, 0},
        {L"15\u00A0788,50 $", 15788.50, 0},
        {L"0,01 $", 0.01, 0},
        {L"\u20AC51,18", 51.18, 1},
        {L"222,75$", 222.75, 0},
        {L"25 $", 25, 0},
        {L"$ 10", 10, 0},
        {L"$2,095.00", 2095, 0},
        {L"\u00A31.234,56", 1234.56, 2},
        {L"$1,295", 1295, 0},
        {L"\u20AC0,50", 0.5, 1},
        {L"RSD12.5", 12.5, -1},
        {L"N/A", 0, -1},
        {L"$12x5", 0, -1},
        {L"", 0, -1},
    };
    for (const Case& c : cases) {
        int currency = -1;
        EXPECT_DOUBLE_EQ(IPokerAmount(c.text, currency), c.value) << ToUtf8(c.text);
        EXPECT_EQ(currency, c.currency) << ToUtf8(c.text);
    }
    // Hundreds of digits are no amount, not infinity (nor, with as many
    // decimals, not a number).
    for (const std::wstring& absurd :
         {L"$" + std::wstring(400, L'9'), L"$0." + std::wstring(400, L'9')}) {
        int currency = -1;
        EXPECT_EQ(IPokerAmount(absurd, currency), 0);
    }
}

TEST(CheckIPokerGeneral, AcceptsOnlyRealMoneyTables) {
    int bb = -5, currency = 7;
    bool holdsReturn = true;
    EXPECT_EQ(CheckIPokerGeneral(General(L"real", L"Holdem NL \u20AC0.05/\u20AC0.10", true), bb,
                                 currency, &holdsReturn),
              kIPokerCounted);
    EXPECT_EQ(currency, 1);
    EXPECT_EQ(bb, 10);
    EXPECT_FALSE(holdsReturn);

    EXPECT_EQ(CheckIPokerGeneral(General(L"real", L"LH 20/40 x2 Limit $10.00/$20.00", false), bb,
                                 currency, &holdsReturn),
              kIPokerCounted);
    EXPECT_EQ(bb, 2000);
    EXPECT_EQ(currency, 0);
    EXPECT_TRUE(holdsReturn);

    EXPECT_EQ(CheckIPokerGeneral(General(L"play", L"Holdem NL $0.05/$0.10", true), bb, currency),
              kIPokerNotRealMoney);

    HandLines open = General(L"real", L"NL $1/$2", true);
    open.pop_back();
    EXPECT_EQ(CheckIPokerGeneral(open, bb, currency), kIPokerOpenGeneral);
    currency = 3;
    EXPECT_EQ(CheckIPokerGeneral(Game(L"1", {{L"Hero", L"$0", L"$1"}}), bb, currency),
              kIPokerNotRealMoney); // a game's own <general> says nothing of the table
    EXPECT_EQ(CheckIPokerGeneral({L"<session>", L"</session>"}, bb, currency), kIPokerNoGeneral);
    EXPECT_EQ(currency, -1);

    // The section may start on the session's line.
    EXPECT_EQ(CheckIPokerGeneral(
                  {L"<session sessioncode=\"2\"><general>", L"<mode>real</mode>", L"</general>"},
                  bb, currency),
              kIPokerCounted);
}

TEST(CheckIPokerGeneral, ReadsTheStakesWhole) {
    struct Case {
        const wchar_t* gameType;
        int bb;
        int currency;
    } cases[] = {
        {L"Omaha Pot limit $100.00/$200.00 Ante $0.00", 20000, 0},
        {L"NL $1,000/$2,000", 200000, 0},
        {L"PL \u20AC0,50/\u20AC1", 100, 1},
        {L"NL 0,01 \u20AC/0,02 \u20AC", 2, 1},
        {L"Holdem NL \u00A30.05/\u00A30.10", 10, 2},
        {L"Holdem NL RSD1/RSD2", -5, -1}, // no known sign: nothing read
    };
    for (const Case& c : cases) {
        int bb = -5, currency = 9;
        EXPECT_EQ(CheckIPokerGeneral(General(L"real", c.gameType, true), bb, currency),
                  kIPokerCounted);
        EXPECT_EQ(bb, c.bb) << ToUtf8(c.gameType);
        EXPECT_EQ(currency, c.currency) << ToUtf8(c.gameType);
    }
}

TEST(ParseHandIPoker, NetsTheHeroAgainstTheLargestOpponentBet) {
    // The unmatched $2.50 came back and is not in "win".
    Parsed p = ParseGame(Game(
        L"77",
        {{L"Opp", L"$0", L"$1.50"}, {L"Hero", L"$3.00", L"$4.00"}, {L"Sitter", L"$0", L"$0"}}));
    ASSERT_TRUE(p.bOk);
    EXPECT_DOUBLE_EQ(p.dResult, 1.50);
    EXPECT_EQ(p.strCode, L"77");
    EXPECT_EQ(p.nCurrency, 0);
    EXPECT_DOUBLE_EQ(p.dBigBlind, 0.10);

    p = ParseGame(Game(L"78", {{L"Hero", L"$0", L"$1.00"}, {L"Opp", L"$2.85", L"$2.00"}}));
    EXPECT_DOUBLE_EQ(p.dResult, -1.00);

    // Thousands separators and signs after the amount are read whole.
    p = ParseGame(Game(L"79",
                       {{L"Hero", L"2 095,00 \u20AC", L"1 000,00 \u20AC"},
                        {L"Opp", L"0 \u20AC", L"1 000,00 \u20AC"}},
                       L"10,00 \u20AC"));
    EXPECT_DOUBLE_EQ(p.dResult, 1095.00);
    EXPECT_EQ(p.nCurrency, 1);
    EXPECT_DOUBLE_EQ(p.dBigBlind, 10.0);
}

TEST(ParseHandIPoker, OlderExportsFoldTheReturnedBetIntoWin) {
    // The same game in both styles: $5 of the hero's $12 came back.
    const HandLines newer =
        Game(L"1", {{L"Hero", L"$13.30", L"$12.00"}, {L"Opp", L"$0", L"$7.00"}});
    const HandLines older =
        Game(L"1", {{L"Hero", L"$18.30", L"$12.00"}, {L"Opp", L"$0", L"$7.00"}});
    EXPECT_NEAR(ParseGame(newer, false).dResult, 6.30, 1e-9);
    EXPECT_NEAR(ParseGame(older, true).dResult, 6.30, 1e-9);
    // A loser's result is the same either way.
    const HandLines lost = Game(L"2", {{L"Hero", L"$0", L"$3.00"}, {L"Opp", L"$5.70", L"$3.00"}});
    EXPECT_DOUBLE_EQ(ParseGame(lost, true).dResult, -3.00);
    EXPECT_DOUBLE_EQ(ParseGame(lost, false).dResult, -3.00);
}

TEST(ParseHandIPoker, ADeadSmallBlindNeitherMatchesNorComesBack) {
    // Blinds $0.10/$0.20; no rake. Opp1 posts the small blind and completes
    // to $0.20, Opp2 posts the big blind. A player who missed the small blind
    // posts it dead with the big blind: $0.30, of which $0.20 is live.
    //
    // Opponent's dead blind: the newcomer posts $0.30 and checks, the hero
    // raises to $1.00 and nobody calls. The largest live opponent bet is 0.20,
    // so 0.80 of the hero's 1.00 comes back; the pot of 0.20 + 0.20 + 0.30 +
    // 1.00 = 1.70 less 0.80 pays the hero 0.90 (newer exports) and the hero
    // risked 0.20: +0.70, the opponents' 0.70. (Matching the newcomer's whole
    // 0.30 gives 0.60.)
    //
    // The hero's dead blind: a limper calls 0.20 instead, the hero posts $0.30
    // and raises to $1.00 live, $1.10 in all. 0.80 comes back; the pot of
    // 0.20 + 0.20 + 0.20 + 1.10 = 1.70 less 0.80 pays 0.90 and the hero risked
    // 1.10 - 0.80 = 0.30: +0.60, the opponents' 0.60. (Matching 0.20 of the
    // 1.10 gives 0.70.) Older exports pay the whole 1.70 and the result is
    // 1.70 less the whole bet.
    //
    // Called: Opp1 folds the small blind, Opp2 raises to $0.60, the hero
    // posts $0.30, calls to $0.60 live ($0.70 in all) and loses: -0.70, none
    // of the dead 0.10 came back. (Matching 0.60 of the 0.70 gives -0.60.)
    const std::vector<Seat> opponentDead = {
        {L"Opp1", L"$0", L"$0.20"}, {L"Opp2", L"$0", L"$0.20"}, {L"Newcomer", L"$0", L"$0.30"}};
    const std::vector<Seat> heroDead = {
        {L"Opp1", L"$0", L"$0.20"}, {L"Opp2", L"$0", L"$0.20"}, {L"Limper", L"$0", L"$0.20"}};
    auto with = [](std::vector<Seat> seats, const Seat& hero) {
        seats.push_back(hero);
        return seats;
    };
    const std::vector<Post> blinds = {{L"Opp1", L"1", L"$0.10"}, {L"Opp2", L"2", L"$0.20"}};
    auto plus = [&](std::vector<Post> more) {
        more.insert(more.begin(), blinds.begin(), blinds.end());
        return more;
    };
    struct Case {
        const char* what;
        HandLines game;
        bool winHoldsReturn;
        double result;
    } cases[] = {
        {"opponent's dead blind",
         GameWithPosts(L"1", with(opponentDead, {L"Hero", L"$0.90", L"$1.00"}),
                       plus({{L"Newcomer", L"2", L"$0.30"}})),
         false, 0.70},
        {"opponent's dead blind posted before the big blind",
         GameWithPosts(L"2", with(opponentDead, {L"Hero", L"$0.90", L"$1.00"}),
                       {{L"Newcomer", L"2", L"$0.30"}, blinds[0], blinds[1]}),
         false, 0.70},
        {"opponent's dead blind, older export",
         GameWithPosts(L"3", with(opponentDead, {L"Hero", L"$1.70", L"$1.00"}),
                       plus({{L"Newcomer", L"2", L"$0.30"}})),
         true, 0.70},
        {"hero's dead blind",
         GameWithPosts(L"4", with(heroDead, {L"Hero", L"$0.90", L"$1.10"}),
                       plus({{L"Hero", L"2", L"$0.30"}})),
         false, 0.60},
        {"hero's dead blind as a post of its own",
         GameWithPosts(L"5", with(heroDead, {L"Hero", L"$0.90", L"$1.10"}),
                       plus({{L"Hero", L"1", L"$0.10"}, {L"Hero", L"2", L"$0.20"}})),
         false, 0.60},
        {"hero's dead blind, older export",
         GameWithPosts(L"6", with(heroDead, {L"Hero", L"$1.70", L"$1.10"}),
                       plus({{L"Hero", L"2", L"$0.30"}})),
         true, 0.60},
        {"hero's dead blind, raise called",
         GameWithPosts(L"7",
                       {{L"Opp1", L"$0", L"$0.10"},
                        {L"Opp2", L"$1.40", L"$0.60"},
                        {L"Hero", L"$0", L"$0.70"}},
                       plus({{L"Hero", L"2", L"$0.30"}})),
         false, -0.70},
    };
    for (const Case& c : cases) {
        const Parsed p = ParseGame(c.game, c.winHoldsReturn);
        ASSERT_TRUE(p.bOk) << c.what;
        EXPECT_NEAR(p.dResult, c.result, 1e-9) << c.what;
        EXPECT_DOUBLE_EQ(p.dBigBlind, 0.20) << c.what; // never the post of both
    }
}

TEST(ParseHandIPoker, SatOutMissingOrSilentHeroCountsZero) {
    Parsed p = ParseGame(Game(L"5", {{L"Hero", L"\u00A30", L"\u00A30"}, {L"Opp", L"$1", L"$1"}}));
    EXPECT_TRUE(p.bOk);
    EXPECT_EQ(p.dResult, 0);
    EXPECT_EQ(p.nCurrency, 2); // the hero's own sign; later players are not read

    p = ParseGame(Game(L"6", {{L"Opp", L"$1.90", L"$1"}, {L"Other", L"$0", L"$1"}}));
    EXPECT_TRUE(p.bOk);
    EXPECT_EQ(p.dResult, 0);

    // Without round 0 the big blind stays as it was.
    HandLines g = Game(L"7", {{L"Hero", L"$1", L"$0.50"}, {L"Opp", L"$0", L"$0.50"}});
    g.erase(g.begin() + 7, g.begin() + 11);
    p = ParseGame(g);
    EXPECT_TRUE(p.bOk);
    EXPECT_EQ(p.dBigBlind, -1);
}

TEST(ParseHandIPoker, RejectsGamesItCannotRead) {
    // No players at all: a game cut off early or written empty.
    EXPECT_FALSE(ParseGame({L"<game gamecode=\"1\">", L"<round no=\"0\">", L"</round>"}).bOk);
    EXPECT_FALSE(
        ParseGame({L"<game gamecode=\"1\">", L"<general><players></players></general>", L"</game>"})
            .bOk);
    // Cut inside the players.
    HandLines cut = Game(L"2", {{L"Hero", L"$1", L"$1"}, {L"Opp", L"$0", L"$1"}});
    cut.resize(4);
    cut[3].resize(cut[3].size() / 2);
    EXPECT_FALSE(ParseGame(cut).bOk);
    // Mismatched tags, no game line, garbage.
    EXPECT_FALSE(ParseGame({L"<game gamecode=\"3\">", L"<general></round>", L"</game>"}).bOk);
    EXPECT_FALSE(ParseGame({L"<session>", L"<general>", L"</general>"}).bOk);
    EXPECT_FALSE(ParseGame({L"<game gamecode=\"9\">", std::wstring(L"\x01<\xFFFD\0\x7F>\\", 7),
                            L"<players><player name=\"Hero\" win=\"$1\""})
                     .bOk);
}

TEST(ParseHandIPoker, AGameCutAfterItsPlayersStillCounts) {
    HandLines g = Game(L"8", {{L"Hero", L"$2.40", L"$1.30"}, {L"Opp", L"$0", L"$1.30"}});
    g.resize(g.size() - 3); // no end of round 0, no end of the game
    Parsed p = ParseGame(g);
    ASSERT_TRUE(p.bOk);
    EXPECT_NEAR(p.dResult, 1.10, 1e-9);
}

class IPokerSplitting : public ::testing::Test {
protected:
    CTarnwickApp app{Options()};
    CRecorder recorder;

    static CTarnwickApp::Options Options() {
        CTarnwickApp::Options o;
        o.bOpenLog = false;
        return o;
    }
    void SetUp() override {
        twtest::AddRoom(app, L"William Hill poker", {L"Hero"});
        app.SetRates(L"1.00", L"1.12", L"1.42");
        app.AddHandListener(&recorder);
    }
    int Split(HandLines lines, int currency = 0) {
        TableState table;
        table.nRoom = kRoomWilliamHill;
        table.nCurrency = currency;
        return MakeMoneyData(app, lines, table).nHands;
    }
    std::vector<std::wstring> Ids() const {
        std::vector<std::wstring> ids;
        for (const HandRecord& h : recorder.hands)
            ids.push_back(h.strHandId);
        return ids;
    }
};

TEST_F(IPokerSplitting, CountsEveryGameOnceWhereverTheBatchEnds) {
    HandLines lines = General(L"real", L"NL $0.05/$0.10", true);
    for (const wchar_t* code : {L"1", L"2", L"3"}) {
        HandLines g = Game(code, {{L"Hero", L"$1.00", L"$0.50"}, {L"Opp", L"$0", L"$0.50"}});
        lines.insert(lines.end(), g.begin(), g.end());
    }
    // A batch that ends with "</game>" counts its last game.
    EXPECT_EQ(Split(lines), 3);
    EXPECT_EQ(Ids(), (std::vector<std::wstring>{L"1", L"2", L"3"}));
    // One that ends with "</session>" counts every game once (in a session
    // of its own: a session never counts a game twice).
    recorder.hands.clear();
    app.BeginSession();
    lines.push_back(L"</session>");
    EXPECT_EQ(Split(lines), 3);
    EXPECT_EQ(recorder.hands.size(), 3u);
    EXPECT_EQ(app.nTotalHands, 6);
    EXPECT_NEAR(app.dTotalMoney, 3.00, 1e-9);
}

TEST_F(IPokerSplitting, GamesJoinedOnOneLineOrNeverEndedAreKept) {
    HandLines a = Game(L"10", {{L"Hero", L"$1.00", L"$0.50"}, {L"Opp", L"$0", L"$0.50"}});
    HandLines b = Game(L"11", {{L"Hero", L"$0", L"$0.20"}, {L"Opp", L"$0.40", L"$0.20"}});
    HandLines c = Game(L"12", {{L"Hero", L"$0", L"$0.35"}, {L"Opp", L"$0.70", L"$0.35"}});
    HandLines lines(a.begin(), a.end() - 1);
    lines.push_back(L"\t</game><game gamecode=\"11\">"); // the end of 10, the start of 11
    lines.insert(lines.end(), b.begin() + 1, b.end() - 1);
    // 11 never ends; 12 starts.
    lines.insert(lines.end(), c.begin(), c.end());
    lines.push_back(L"</game></session>");
    EXPECT_EQ(Split(lines), 3);
    EXPECT_EQ(Ids(), (std::vector<std::wstring>{L"10", L"11", L"12"}));
    EXPECT_NEAR(app.dTotalMoney, 0.50 - 0.20 - 0.35, 1e-9);
}

TEST_F(IPokerSplitting, DispatchConvertsWholeUnitsAndSkipsUnreadableGames) {
    Split(Game(L"20",
               {{L"Hero", L"\u20AC4.00", L"\u20AC1.50"}, {L"Opp", L"\u20AC0", L"\u20AC1.50"}},
               L"\u20AC0.50"));
    ASSERT_EQ(recorder.hands.size(), 1u);
    const HandRecord& h = recorder.hands[0];
    EXPECT_EQ(h.nRoom, kRoomWilliamHill);
    EXPECT_EQ(h.strHandId, L"20");
    EXPECT_EQ(h.nCurrency, 1);
    EXPECT_DOUBLE_EQ(h.dBigBlind, 0.50);
    EXPECT_DOUBLE_EQ(h.dResult, 2.50);
    EXPECT_NEAR(h.dMoney, 2.80, 1e-9);
    EXPECT_NEAR(app.dTotalMoney, 2.80, 1e-9);
    EXPECT_NEAR(app.dTotalBB, 5.00, 1e-9); // 2.50 over 0.50, in euros
    EXPECT_EQ(app.nTotalHands, 1);

    // A game without players changes nothing; neither does a currency
    // without a rate, beyond counting the hand.
    EXPECT_EQ(Split({L"<game gamecode=\"21\">", L"</game>"}), 0);
    EXPECT_EQ(app.nTotalHands, 1);
    // Nor does a game without a code, which a rewritten document would count
    // again with every read.
    EXPECT_EQ(Split(Game(L"", {{L"Hero", L"$1.00", L"$0.50"}, {L"Opp", L"$0", L"$0.50"}})), 0);
    EXPECT_EQ(app.nTotalHands, 1);
    Split(Game(L"22", {{L"Hero", L"RSD40", L"RSD10"}, {L"Opp", L"RSD0", L"RSD10"}}), -1);
    EXPECT_EQ(app.nTotalHands, 2);
    EXPECT_NEAR(app.dTotalMoney, 2.80, 1e-9);
}

TEST(IPokerHandId, TheGameCodeNamesTheHandAndUnfinishedGamesWait) {
    HandLines g = Game(L"3595391256", {{L"Hero", L"$1", L"$1"}});
    EXPECT_EQ(HandIdOf(g, kRoomBetfair), L"3595391256");
    EXPECT_EQ(IPokerGameCode(L"<game gamecode='1'>"), L"");

    HandLines lines = General(L"real", L"NL $1/$2", true);
    lines.insert(lines.end(), g.begin(), g.end());
    const std::size_t afterGame = lines.size();
    lines.push_back(L"</session>");
    EXPECT_EQ(UnfinishedTailStart(lines, kRoomTitan), afterGame);
    lines.push_back(L"<game gamecode=\"2\">");
    lines.push_back(L"<general>");
    EXPECT_EQ(UnfinishedTailStart(lines, kRoomTitan), afterGame + 1);
    lines.push_back(L"</game><game gamecode=\"3\">");
    EXPECT_EQ(UnfinishedTailStart(lines, kRoomTitan), lines.size() - 1);
    EXPECT_EQ(UnfinishedTailStart(General(L"real", L"NL $1/$2", true), kRoomTitan), 0u);
}

class IPokerReplay : public ::testing::Test {
protected:
    std::string strDir;
    void SetUp() override {
        char dir[] = "/tmp/tarnwick-ipoker-test-XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        strDir = dir;
    }
    void TearDown() override {
        for (const std::string& f : files)
            std::remove(f.c_str());
        ::rmdir(strDir.c_str());
    }
    std::vector<std::string> files;

    std::wstring Write(const std::string& name, const std::string& text) {
        const std::string path = strDir + "/" + name;
        std::ofstream(path, std::ios::binary) << text;
        files.push_back(path);
        return FromUtf8(path);
    }
    std::wstring WriteSample(const std::string& name, const IPokerSampleOptions& o,
                             IPokerSampleTotals& totals) {
        std::ostringstream out;
        totals = WriteIPokerSample(out, o);
        return Write(name, out.str());
    }
};

TEST_F(IPokerReplay, CountsEveryGameAcrossReadsInBothExportStyles) {
    CTarnwickApp::Options opt;
    opt.bOpenLog = false;
    CTarnwickApp app(opt);
    twtest::AddRoom(app, L"Titan poker", {L"HERO"});
    app.SetRates(L"1.00", L"1.00", L"1.00");
    app.nReplayChunkBytes = 1500; // reads end inside games all the time

    IPokerSampleOptions newer;
    newer.nGames = 400;
    newer.nSeed = 3;
    IPokerSampleOptions older = newer;
    older.nSeed = 4;
    older.bClientVersion = false;
    older.bEuroAmounts = true;
    IPokerSampleTotals t1, t2;
    const std::wstring f1 = WriteSample("newer.xml", newer, t1);
    const std::wstring f2 = WriteSample("older.xml", older, t2);

    ASSERT_EQ(app.ReplayHistoryFile(f1, L"Titan poker"), 0);
    EXPECT_EQ(app.nTotalHands, 400);
    EXPECT_NEAR(app.dTotalMoney, t1.nHeroNetCents / 100.0, 0.005);
    ASSERT_EQ(app.ReplayHistoryFile(f2, L"Titan poker"), 0);
    EXPECT_EQ(app.nTotalHands, 800);
    EXPECT_NEAR(app.dTotalMoney, (t1.nHeroNetCents + t2.nHeroNetCents) / 100.0, 0.005);
}

TEST_F(IPokerReplay, PlayMoneyAndHeadlessFilesCountNothing) {
    CTarnwickApp::Options opt;
    opt.bOpenLog = false;
    CTarnwickApp app(opt);
    twtest::AddRoom(app, L"Betfair poker", {L"Hero"});
    app.SetRates(L"1.00", L"1.12", L"1.42");

    std::string game;
    for (const std::wstring& l :
         Game(L"1", {{L"Hero", L"$2.00", L"$1.00"}, {L"Opp", L"$0", L"$1.00"}}))
        game += ToUtf8(l) + "\n";
    std::string play, headless = game + "</session>\n";
    for (const std::wstring& l : General(L"play", L"NL 1/2", true))
        play += ToUtf8(l) + "\n";
    play += game + "</session>\n";
    std::string real = "<?xml version=\"1.0\"?>\n<session>\n<general>\n<mode>real</mode>\n"
                       "</general>\n" +
                       game + "</session>\n";

    ASSERT_EQ(app.ReplayHistoryFile(Write("play.xml", play), L"Betfair poker"), 0);
    ASSERT_EQ(app.ReplayHistoryFile(Write("headless.xml", headless), L"Betfair poker"), 0);
    EXPECT_EQ(app.nTotalHands, 0);
    ASSERT_EQ(app.ReplayHistoryFile(Write("real.xml", real), L"Betfair poker"), 0);
    EXPECT_EQ(app.nTotalHands, 1);
    EXPECT_NEAR(app.dTotalMoney, 1.00, 1e-9);

    // Binary junk neither counts nor stops the replay.
    std::string junk(20000, '\0');
    std::mt19937 rng(5);
    for (char& c : junk)
        c = static_cast<char>(rng());
    EXPECT_EQ(app.ReplayHistoryFile(Write("junk.xml", real.substr(0, 80) + junk), L"Betfair poker"),
              0);
    EXPECT_EQ(app.nTotalHands, 1);
}

TEST_F(IPokerReplay, EveryReadSizeGivesTheGamesOfOneWholeRead) {
    // What a replay counted: each game's code, result and money, then the totals.
    using Outcome = std::vector<std::tuple<std::wstring, double, double>>;
    auto replay = [](const std::wstring& file, std::size_t readBytes) {
        CTarnwickApp::Options opt;
        opt.bOpenLog = false;
        opt.bLoadSettingsFile = false;
        CTarnwickApp app(opt);
        twtest::AddRoom(app, L"Titan poker", {L"HERO"});
        CRecorder recorder;
        app.AddHandListener(&recorder);
        app.SetRates(L"1.00", L"1.00", L"1.00");
        app.nReplayChunkBytes = readBytes;
        EXPECT_EQ(app.ReplayHistoryFile(file, L"Titan poker"), 0);
        app.RemoveHandListener(&recorder);
        Outcome out;
        for (const HandRecord& h : recorder.hands)
            out.emplace_back(h.strHandId, h.dResult, h.dMoney);
        out.emplace_back(L"total " + std::to_wstring(app.nTotalHands), app.dTotalMoney,
                         app.dTotalBB);
        return out;
    };

    IPokerSampleOptions newer;
    newer.nGames = 3;
    newer.nSeed = 12;
    IPokerSampleOptions older = newer;
    older.nSeed = 13;
    older.bClientVersion = false;
    older.bEuroAmounts = true;
    for (const IPokerSampleOptions& o : {newer, older}) {
        IPokerSampleTotals totals;
        const std::wstring file =
            WriteSample("sample" + std::to_string(o.nSeed) + ".xml", o, totals);
        const Outcome whole = replay(file, 0);
        ASSERT_EQ(whole.size(), 4u);
        EXPECT_NEAR(std::get<1>(whole.back()), totals.nHeroNetCents / 100.0, 1e-9);

        // Read sizes whose ends fall inside <general>, lines, games and amounts.
        std::vector<std::size_t> sizes;
        for (std::size_t n = 16; n <= 600; ++n)
            sizes.push_back(n);
        for (std::size_t n : {777u, 1024u, 1500u, 4096u, 65536u})
            sizes.push_back(n);
        std::vector<std::size_t> differing;
        for (std::size_t n : sizes) {
            if (replay(file, n) != whole)
                differing.push_back(n);
        }
        EXPECT_TRUE(differing.empty())
            << differing.size() << " read sizes differ from one whole read, the first "
            << differing.front() << " bytes (seed " << o.nSeed << ")";
    }
}
