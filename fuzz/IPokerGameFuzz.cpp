// The XML reader and the iPoker game parser on arbitrary text: the bytes are
// one document read by the XML reader, the lines of a file's first batch for
// the <general> check, and the lines of one game for the game parser (hero
// "HERO", both export styles).
//
// Besides crashes, leaks and undefined behaviour it stops when the reader's
// end position leaves the text, or a game's result or big blind is not a
// finite number.
#include "fuzz/FuzzSupport.h"
#include "parsing/XmlDocument.h"
#include "parsing/formats/ipoker/IPoker.h"

#include <cmath>

using namespace tw;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = twfuzz::Text(data, size);

    CXmlNode node;
    XmlParseSettings settings;
    const wchar_t* end = Parse(node, text, settings);
    FUZZ_CHECK(!end || (end >= text.data() && end <= text.data() + text.size()));

    const std::vector<std::wstring> lines = twfuzz::Lines(text);
    int bigBlindHundredths = 0, fileCurrency = -1;
    bool winHoldsReturn = false;
    const int check = CheckIPokerGeneral(lines, bigBlindHundredths, fileCurrency, &winHoldsReturn);
    FUZZ_CHECK(check == kIPokerCounted || check == kIPokerNoGeneral ||
               check == kIPokerOpenGeneral || check == kIPokerNotRealMoney);
    FUZZ_CHECK(bigBlindHundredths >= 0 && fileCurrency >= -1 && fileCurrency <= 2);

    for (bool holds : {false, true}) {
        double result = 0, bigBlind = 0;
        int currency = -1;
        std::wstring code;
        if (ParseHandIPoker(lines, L"HERO", result, currency, bigBlind, code, holds)) {
            FUZZ_CHECK(std::isfinite(result) && std::isfinite(bigBlind));
            FUZZ_CHECK(currency >= -1 && currency <= 2);
        }
    }
    return 0;
}
