// Reading money amounts out of hand-history text.
#pragma once

#include <string_view>

namespace tw {

// An amount as the PokerStars-family patterns capture it: digits, then one
// optional character standing for the decimal point, then up to two
// decimals ("0.25", "12", "1,50"). Returns 0 when no digit is present, and
// for more than 15 digits.
double AmountFromGroup(std::wstring_view text);

// A currency sign or code: "$"/"USD" 0, "€"/"EUR"/"EURO" 1, "£"/"GBP" 2, else -1.
int CurrencyFromSign(std::wstring_view sign);

// Reads one money amount written the way poker clients in various locales
// write it, and nothing else around it but blanks:
//   - a currency sign or code before and/or after the number, touching it or
//     apart from it: "$5", "$ 10", "25 $", "222,75$", "€51,18", "5 USD";
//   - a decimal point or a decimal comma: "0.01", "0,01";
//   - thousands grouped by a comma, a point, a blank, a non-breaking or narrow
//     space or an apostrophe: "$1,728.25", "$ 3.243", "15 788,50 $".
// A single point or comma followed by exactly three digits groups thousands
// ("1,234" and "1.234" are 1234) unless the number starts "0" ("0.125").
// `amount` gets the value in currency units, the same double as the C
// library's conversion of the plain decimal; `currency` (when given) the
// currency number of the sign or code, -1 when none is written. Returns false,
// leaving both untouched, for anything that is not one amount (two different
// currencies, misplaced groups, letters, no digits, absurdly many digits).
bool ParseMoneyText(std::wstring_view text, double& amount, int* currency = nullptr);

} // namespace tw
