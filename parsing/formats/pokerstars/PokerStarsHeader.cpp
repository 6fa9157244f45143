#include "parsing/Amount.h"
#include "parsing/Regex.h"
#include "parsing/formats/pokerstars/PokerStars.h"

#include <algorithm>

namespace tw {

namespace {

struct HeaderPattern {
    WRegex re;
    bool bSearch;  // searched in the line instead of matching all of it
    int nBigBlind; // group of the big blind
    int nCurrency; // group of the currency code or sign
};

#define TW_TIME L"(\\d{4})/(\\d{2})/(\\d{2}) (\\d+):(\\d+):(\\d+) (\\w+)"

const std::vector<HeaderPattern>& Patterns() {
    static const std::vector<HeaderPattern> patterns = [] {
        std::vector<HeaderPattern> p;
        // 1. ring game, currency code, bracketed second time
        p.push_back({MakeRegex(L".* Hand #\\d+: (.*) Limit \\(" TW_SIGN TW_AMT_NC L"/" TW_SIGN
                                   TW_AMT L" " TW_CODE L"\\) - " TW_TIME L" \\[" TW_TIME L"\\]"),
                     false, 2, 3});
        // 2. ring game, currency code, one time
        p.push_back({MakeRegex(L".* Hand #\\d+: (.*) Limit \\(" TW_SIGN TW_AMT_NC L"/" TW_SIGN
                                   TW_AMT L" " TW_CODE L"\\) - " TW_TIME),
                     false, 2, 3});
        // 3. stakes without signs, bracketed second time
        p.push_back(
            {MakeRegex(
                 L".* Hand #\\d+: (.*) "
                 L"\\(" TW_AMT L"/" TW_AMT L" " TW_CODE L"\\) - " TW_TIME L" \\[" TW_TIME L"\\]"),
             false, 3, 4});
        // 4. Zoom, bracketed second time
        p.push_back(
            {MakeRegex(L".* Zoom Hand #\\d+: (.*) Limit \\((" TW_SIGN L")" TW_AMT_NC L"/" TW_SIGN
                           TW_AMT L"\\) - " TW_TIME L" \\[" TW_TIME L"\\]"),
             false, 3, 2});
        // 5. Zoom, one time
        p.push_back(
            {MakeRegex(L".* Zoom Hand #\\d+: (.*) Limit \\((" TW_SIGN L")" TW_AMT_NC L"/" TW_SIGN
                           TW_AMT L"\\) - " TW_TIME),
             false, 3, 2});
        // 6. 6+ Hold'em, bracketed second time
        p.push_back(
            {MakeRegex(L".* Hand #\\d+:\\s+6\\+ Hold'em No Limit \\(Button Blind "
                       L"." TW_AMT L" - Ante "
                       L"." TW_AMT L"\\s+" TW_CODE L"\\) - " TW_TIME L" \\[" TW_TIME L"\\]"),
             true, 1, 3});
        // 7. 6+ Hold'em, one time
        p.push_back({MakeRegex(L".* Hand #\\d+:\\s+6\\+ Hold'em No Limit \\(Button Blind "
                               L"(" TW_SIGN L")" TW_AMT L" - Ante "
                               L"(" TW_SIGN L")" TW_AMT L"\\s"
                               L"+" TW_CODE L"\\)\\s+-"
                               L" " TW_TIME L".*"),
                     true, 2, 5});
        // 8. mixed games: "(Hold'em No Limit, $0.10/$0.25 USD)"
        p.push_back({MakeRegex(L".* Hand #\\d+: (.*)\\([^()]*, " TW_SIGN TW_AMT_NC L"/" TW_SIGN
                                   TW_AMT L" " TW_CODE L"\\) - " TW_TIME L".*"),
                     false, 2, 3});
        return p;
    }();
    return patterns;
}

} // namespace

void ParseHeaderPokerStars(const std::wstring& header, double& bigBlind, int& currency) {
    bigBlind = 0;
    currency = 0;
    // Real 6+ Hold'em headers carry non-breaking spaces: they count as blanks.
    std::wstring line = header;
    std::replace(line.begin(), line.end(), L'\u00A0', L' ');
    std::wstring_view v(line);
    WMatch m;
    for (const HeaderPattern& p : Patterns()) {
        bool ok = p.bSearch ? SearchIn(v, m, p.re) : MatchWhole(v, m, p.re);
        if (!ok)
            continue;
        bigBlind = AmountFromGroup(Group(m, p.nBigBlind));
        int c = CurrencyFromSign(Group(m, p.nCurrency));
        currency = c < 0 ? 0 : c;
        return;
    }
}

} // namespace tw
