#include "parsing/formats/pokerstars/PokerStars.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

struct Header {
    double bb = -1;
    int cur = -1;
};

Header Parse(const std::wstring& line) {
    Header h;
    ParseHeaderPokerStars(line, h.bb, h.cur);
    return h;
}

} // namespace

TEST(PokerStarsHeader, RingGamesWithACurrencyCode) {
    auto two = Parse(L"PokerStars Hand #257180854570: Hold'em No Limit ($0.01/$0.02 USD) - "
                     L"2025/08/02 11:24:53 CET [2025/08/02 5:24:53 ET]");
    EXPECT_DOUBLE_EQ(two.bb, 0.02);
    EXPECT_EQ(two.cur, 0);
    auto one = Parse(L"PokerStars Hand #112824228684:  Omaha Pot Limit ($2/$4 USD) - 2014/03/05 "
                     L"16:34:05 ET");
    EXPECT_DOUBLE_EQ(one.bb, 4);
    auto euro = Parse(L"PokerStars Hand #90721705235:  Hold'em No Limit (\u20AC1/\u20AC2 EURO) - "
                      L"2012/12/14 7:59:19 CUST [2012/12/13 19:59:19 ET]");
    EXPECT_DOUBLE_EQ(euro.bb, 2);
    EXPECT_EQ(euro.cur, 1);
    auto gbp = Parse(L"PokerStars Hand #1: Hold'em Pot Limit (\u00A30.50/\u00A31 GBP) - 2020/01/01 "
                     L"1:02:03 ET");
    EXPECT_EQ(gbp.cur, 2);
    EXPECT_DOUBLE_EQ(gbp.bb, 1);
}

TEST(PokerStarsHeader, ZoomHeadersTakeTheCurrencyFromTheSign) {
    auto eur =
        Parse(L"PokerStars Zoom Hand #92033097906:  Hold'em No Limit (\u20AC0.02/\u20AC0.05) - "
              L"2013/01/08 22:28:42 CET [2013/01/08 16:28:42 ET]");
    EXPECT_DOUBLE_EQ(eur.bb, 0.05);
    EXPECT_EQ(eur.cur, 1);
    auto usd = Parse(L"PokerStars Zoom Hand #92033097906:  Hold'em No Limit ($0.02/$0.05) - "
                     L"2013/01/08 22:28:42 CET");
    EXPECT_DOUBLE_EQ(usd.bb, 0.05);
    EXPECT_EQ(usd.cur, 0);
}

TEST(PokerStarsHeader, SixPlusHoldemTakesTheButtonBlindEvenWithNonBreakingSpaces) {
    auto h = Parse(L"PokerStars Hand #195853866630: 6+ Hold'em No Limit (Button Blind $5 - Ante $5 "
                   L"USD) - 2019/01/17 10:11:07 CET [2019/01/17 4:11:07 ET]");
    EXPECT_DOUBLE_EQ(h.bb, 5);
    EXPECT_EQ(h.cur, 0);
    auto nb =
        Parse(L"PokerStars Hand #202058540722:  6+ Hold'em No Limit (Button Blind\u00A0$0.50 - "
              L"Ante\u00A0$0.25  USD) - 2019/07/07 0:30:30 JST [2019/07/06 11:30:30 ET]");
    EXPECT_DOUBLE_EQ(nb.bb, 0.5);
    auto oneTime = Parse(L"PokerStars Hand #1:  6+ Hold'em No Limit (Button Blind $1 - Ante $0.50 "
                         L"USD) - 2019/07/07 0:30:30 ET");
    EXPECT_DOUBLE_EQ(oneTime.bb, 1);
}

TEST(PokerStarsHeader, MixedGameHeaderGivesItsStakes) {
    auto h =
        Parse(L"PokerStars Hand #78916422016:  Mixed NLH/PLO (Hold'em No Limit, $0.10/$0.25 USD) - "
              L"2012/04/15 21:33:56 EET [2012/04/15 14:33:56 ET]");
    EXPECT_DOUBLE_EQ(h.bb, 0.25);
    EXPECT_EQ(h.cur, 0);
}

TEST(PokerStarsHeader, UnknownShapesLeaveZero) {
    for (const wchar_t* line :
         {L"PokerStars Hand #74151663721:  Hold'em No Limit (100/200) - 2012/01/19 22:07:55 ET",
          L"PokerStars Home Game Hand #1: {Club} Hold'em No Limit (10/20) - 2012/01/19 22:07:55 ET",
          L"", L"garbage \u0001\u0002"}) {
        auto h = Parse(line);
        EXPECT_EQ(h.bb, 0) << line;
        EXPECT_EQ(h.cur, 0) << line;
    }
}
