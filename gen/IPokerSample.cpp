#include "gen/IPokerSample.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace tw {

namespace {

constexpr int kSmallBlind = 25; // cents
constexpr int kBigBlind = 50;

class CSampleWriter {
public:
    CSampleWriter(std::ostream& out, const IPokerSampleOptions& o)
        : out_(out), o_(o), rng_(o.nSeed) {}

    IPokerSampleTotals Write();

private:
    std::ostream& out_;
    const IPokerSampleOptions& o_;
    std::mt19937 rng_;
    IPokerSampleTotals totals_;

    void Put(const std::string& s) {
        out_ << s;
        totals_.nBytes += static_cast<std::int64_t>(s.size());
    }
    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    // An amount in cents as the export writes it.
    std::string Money(std::int64_t cents) const;
    void WriteGame(std::int64_t code);
};

std::string CSampleWriter::Money(std::int64_t cents) const {
    const std::int64_t whole = cents / 100;
    const int frac = static_cast<int>(cents % 100);
    std::string digits = std::to_string(whole);
    // Thousands groups.
    std::string grouped;
    const char sep = o_.bEuroAmounts ? ' ' : ',';
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += sep;
        grouped += digits[i];
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", frac);
    if (o_.bEuroAmounts)
        return frac == 0 ? grouped + " \xE2\x82\xAC" : grouped + "," + buf + " \xE2\x82\xAC";
    return frac == 0 ? "$" + grouped : "$" + grouped + "." + buf;
}

IPokerSampleTotals CSampleWriter::Write() {
    Put("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<session sessioncode=\"" +
        std::to_string(o_.nSeed) + "\">\n <general>\n");
    if (o_.bClientVersion)
        Put("  <client_version>21.1.1.9</client_version>\n");
    Put("  <mode>real</mode>\n  <gametype>Holdem NL " + Money(kSmallBlind) + "/" +
        Money(kBigBlind) + "</gametype>\n  <tablename>Sample " + std::to_string(o_.nSeed) +
        "</tablename>\n  <currency>" + (o_.bEuroAmounts ? "EUR" : "USD") +
        "</currency>\n  <nickname>" + o_.strHero + "</nickname>\n </general>\n");
    // Game codes differ between seeds, as games of different documents do.
    for (int g = 0; g < o_.nGames; ++g)
        WriteGame(4000000000LL + (static_cast<std::int64_t>(o_.nSeed) - 1) * 1000000LL + g);
    Put("</session>\n");
    totals_.nGames = o_.nGames;
    return totals_;
}

void CSampleWriter::WriteGame(std::int64_t code) {
    const int seats = Uniform(2, 6);
    std::vector<std::string> names(seats);
    for (int i = 0; i < seats; ++i)
        names[i] = i == 0 ? o_.strHero : "Player" + std::to_string(i);
    const bool heroSitsOut = Uniform(0, 19) == 0;
    const int first = heroSitsOut ? 1 : 0;
    const int active = seats - first;
    if (active < 2) {
        // Nobody to play against: the hero sits and watches.
        Put(" <game gamecode=\"" + std::to_string(code) + "\">\n  <general>\n   <players>\n");
        Put("    <player seat=\"1\" name=\"" + names[0] + "\" chips=\"" + Money(5000) +
            "\" dealer=\"1\" win=\"" + Money(0) + "\" bet=\"" + Money(0) + "\"/>\n");
        Put("    <player seat=\"2\" name=\"" + names[1] + "\" chips=\"" + Money(5000) +
            "\" dealer=\"0\" win=\"" + Money(0) + "\" bet=\"" + Money(0) + "\"/>\n");
        Put("   </players>\n  </general>\n </game>\n");
        return;
    }

    // Contributions: the blinds, then the players who stay put in `matched`;
    // the winner may bet `uncalled` more that nobody calls.
    std::vector<std::int64_t> bet(seats, 0);
    const int sb = first, bb = first + 1;
    bet[sb] = kSmallBlind;
    bet[bb] = kBigBlind;
    const std::int64_t matched = kBigBlind * Uniform(1, 40);
    std::vector<int> stayers;
    for (int i = first; i < seats; ++i) {
        if (Uniform(0, 2) != 0 || i == bb || stayers.empty())
            stayers.push_back(i);
    }
    for (int i : stayers)
        bet[i] = matched;
    const int winner = stayers[static_cast<std::size_t>(Uniform(0, int(stayers.size()) - 1))];
    const bool showdown = stayers.size() > 1 && Uniform(0, 1) == 0;
    std::int64_t uncalled = 0;
    if (!showdown) {
        // Everybody else folds to the winner's last bet.
        uncalled = kBigBlind * Uniform(1, 20);
        for (int i : stayers) {
            if (i != winner)
                bet[i] = std::min<std::int64_t>(bet[i], matched / 2 + kSmallBlind);
        }
    }
    std::int64_t pot = 0, largestOther = 0;
    for (int i = 0; i < seats; ++i) {
        pot += bet[i];
        if (i != winner)
            largestOther = std::max(largestOther, bet[i]);
    }
    // The winner's matched part is what the others could match.
    pot -= bet[winner];
    const std::int64_t winnerMatched = std::min(bet[winner], largestOther);
    pot += winnerMatched;
    uncalled += bet[winner] - winnerMatched;
    bet[winner] = winnerMatched + uncalled;
    const std::int64_t rake = std::min<std::int64_t>(pot / 20, 300);
    std::vector<std::int64_t> win(seats, 0);
    win[winner] = pot - rake + (o_.bClientVersion ? 0 : uncalled);

    if (!heroSitsOut) {
        const std::int64_t heroNet = (winner == 0 ? pot - rake : 0) -
                                     (winner == 0 ? winnerMatched : std::min(bet[0], largestOther));
        totals_.nHeroNetCents += heroNet;
    }

    Put(" <game gamecode=\"" + std::to_string(code) +
        "\">\n  <general>\n   <startdate>2021-05-18 " + std::to_string(10 + Uniform(0, 9)) + ":" +
        std::to_string(10 + Uniform(0, 49)) + ":00</startdate>\n   <players>\n");
    for (int i = 0; i < seats; ++i) {
        Put("    <player seat=\"" + std::to_string(i + 1) + "\" name=\"" + names[i] +
            "\" chips=\"" + Money(5000 + 25 * Uniform(0, 400)) + "\" dealer=\"" +
            (i == seats - 1 ? "1" : "0") + "\" win=\"" + Money(win[i]) + "\" bet=\"" +
            Money(bet[i]) + "\"/>\n");
    }
    Put("   </players>\n  </general>\n  <round no=\"0\">\n");
    int no = 1;
    Put("   <action no=\"" + std::to_string(no++) + "\" player=\"" + names[sb] +
        "\" type=\"1\" sum=\"" + Money(kSmallBlind) + "\"/>\n");
    Put("   <action no=\"" + std::to_string(no++) + "\" player=\"" + names[bb] +
        "\" type=\"2\" sum=\"" + Money(kBigBlind) + "\"/>\n  </round>\n  <round no=\"1\">\n");
    for (int i = first; i < seats; ++i) {
        Put("   <cards type=\"Pocket\" player=\"" + names[i] + "\">" + (i == 0 ? "SA HK" : "X X") +
            "</cards>\n");
        const bool stays = std::find(stayers.begin(), stayers.end(), i) != stayers.end();
        const std::int64_t more = bet[i] - (i == sb ? kSmallBlind : i == bb ? kBigBlind : 0);
        Put("   <action no=\"" + std::to_string(no++) + "\" player=\"" + names[i] + "\" type=\"" +
            (stays ? (more > 0 ? "3" : "4") : "0") + "\" sum=\"" + Money(stays ? more : 0) +
            "\"/>\n");
    }
    Put("  </round>\n");
    if (stayers.size() > 1) {
        Put("  <round no=\"2\">\n   <cards type=\"Flop\" player=\"\">D2 H8 S10</cards>\n");
        for (int i : stayers) {
            Put("   <action no=\"" + std::to_string(no++) + "\" player=\"" + names[i] +
                "\" type=\"4\" sum=\"" + Money(0) + "\"/>\n");
        }
        Put("  </round>\n");
    }
    Put(" </game>\n");
}

} // namespace

IPokerSampleTotals WriteIPokerSample(std::ostream& out, const IPokerSampleOptions& options) {
    CSampleWriter writer(out, options);
    return writer.Write();
}

} // namespace tw
