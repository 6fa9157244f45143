// Reading money amounts out of hand-history text.
#pragma once

#include <string_view>

namespace tw {

// An amount as the PokerStars-family patterns capture it: digits, then one
// optional character standing for the decimal point, then up to two
// decimals ("0.25", "12", "1,50"). Returns 0 when no digit is present.
double AmountFromGroup(std::wstring_view text);

// A currency sign or code: "$"/"USD" 0, "€"/"EUR"/"EURO" 1, "£"/"GBP" 2, else -1.
int CurrencyFromSign(std::wstring_view sign);

} // namespace tw
