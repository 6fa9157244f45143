// The amount reader on arbitrary text with each room's rules (written money,
// what the PokerStars-family patterns capture, iPoker numbers), and the iPoker
// and PartyPoker amount readers built on it.
//
// Besides crashes and undefined behaviour it stops on an amount that is
// negative or not a finite number, on a money reading that touches its
// outputs when it refuses the text, and on a money or iPoker number reading
// whose value is not the C library's reading of the same digits with a
// decimal point somewhere.
#include "fuzz/FuzzSupport.h"
#include "parsing/Amount.h"
#include "parsing/formats/ipoker/IPoker.h"
#include "parsing/formats/partypoker/PartyPoker.h"

#include <cmath>
#include <cwchar>

using namespace tw;

namespace {

// Some reading of the digits of `text`, in order, with a decimal point before
// the last 0 to 15 of them (an iPoker number may start with its mark: ".20"),
// gives exactly `amount`.
bool IsPlainReadingOfDigits(std::wstring_view text, double amount) {
    std::wstring digits;
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9')
            digits += c;
    }
    for (std::size_t decimals = 0; decimals <= 15 && decimals <= digits.size(); ++decimals) {
        std::wstring plain = digits;
        if (decimals > 0)
            plain.insert(plain.size() - decimals, 1, L'.');
        if (std::wcstod(plain.c_str(), nullptr) == amount)
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = twfuzz::Text(data, size);

    double amount = -7;
    int currency = -7;
    if (ParseMoneyText(text, amount, &currency)) {
        FUZZ_CHECK(std::isfinite(amount) && amount >= 0);
        FUZZ_CHECK(currency >= -1 && currency <= 2);
        FUZZ_CHECK(IsPlainReadingOfDigits(text, amount));
    } else {
        FUZZ_CHECK(amount == -7 && currency == -7);
    }

    double number = -7;
    if (ReadAmount(text, kIPokerNumber, number)) {
        FUZZ_CHECK(std::isfinite(number) && number >= 0);
        FUZZ_CHECK(IsPlainReadingOfDigits(text, number));
    } else {
        FUZZ_CHECK(number == -7);
    }

    const double group = AmountFromGroup(text);
    FUZZ_CHECK(!std::isnan(group) && group >= 0);

    int ipokerCurrency = -1;
    const double ipoker = IPokerAmount(text, ipokerCurrency);
    FUZZ_CHECK(std::isfinite(ipoker));
    FUZZ_CHECK(ipokerCurrency >= -1 && ipokerCurrency <= 2);

    double hundredths = 0;
    if (ParsePartyAmount(text, hundredths))
        FUZZ_CHECK(std::isfinite(hundredths) && hundredths >= 0);
    return 0;
}
