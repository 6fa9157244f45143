#include "gen/AnyFormatGen.h"

#include "gen/Hand888Generator.h"
#include "gen/HandGenerator.h"
#include "gen/IPokerSample.h"

#include <cmath>
#include <sstream>

namespace twgen {

const wchar_t* RoomOfFormat(const std::string& format) {
    if (format == "888")
        return L"888 poker";
    if (format == "partypoker")
        return L"PartyPoker";
    if (format == "tigergaming")
        return L"TigerGaming";
    if (format == "ipoker")
        return L"Titan poker";
    return L"PokerStars";
}

bool Generate(const std::string& format, int hands, GeneratedText& out) {
    out = {};
    if (format == "pokerstars") {
        out = GeneratePokerStars(hands);
    } else if (format == "888") {
        tw::bench::Generated888 g = tw::bench::Generate888(hands, "HERO");
        out.text = std::move(g.strText);
        out.heroCents = std::llround(g.dHeroResult * 100.0);
        out.hands = g.nHands;
    } else if (format == "partypoker" || format == "tigergaming") {
        tw::bench::GeneratedHands g =
            tw::bench::GenerateHands(format == "partypoker" ? tw::bench::GenFormat::PartyPoker
                                                            : tw::bench::GenFormat::TigerGaming,
                                     hands, 1, "HERO");
        out.text = std::move(g.strText);
        out.heroCents = g.nHeroNet;
        out.hands = g.nHands;
    } else if (format == "ipoker") {
        std::ostringstream text;
        tw::IPokerSampleOptions o;
        o.nGames = hands;
        tw::IPokerSampleTotals t = tw::WriteIPokerSample(text, o);
        out.text = text.str();
        out.heroCents = t.nHeroNetCents;
        out.hands = t.nGames;
    } else {
        return false;
    }
    return true;
}

} // namespace twgen
