// Reading money amounts out of hand-history text.
#pragma once

#include <string_view>

namespace tw {

// An amount of this many currency units or more is no real stake: a file
// that holds one is damaged or forged, and the hand holding it must not
// reach the totals (one such amount would swamp every later hand).
inline constexpr double kAbsurdAmount = 1e9;

// The amount readers note an absurd amount (or one with absurdly many
// digits) for the hand being read on this thread. The hand dispatch clears
// the note before each hand and leaves a hand with a note uncounted.
void NoteAbsurdAmount();
// True when an absurd amount was noted since the last call; clears the note.
bool TakeAbsurdAmountNote();
// `value` when it is a real stake (finite, below kAbsurdAmount in size);
// otherwise notes it and gives 0.
double CheckedAmount(double value);

// Characters of written amounts: a digit; a point or a comma, which marks
// decimals or groups thousands; a currency sign ("$", "€", "£").
inline bool IsAmountDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}
inline bool IsDecimalMark(wchar_t c) {
    return c == L'.' || c == L',';
}
inline bool IsCurrencySign(wchar_t c) {
    return c == L'$' || c == L'\u20AC' || c == L'\u00A3';
}

// An amount as the PokerStars-family patterns capture it: digits, then one
// optional character standing for the decimal point, then up to two
// decimals ("0.25", "12", "1,50"). Returns 0 when no digit is present, and
// for an absurd amount (noted).
double AmountFromGroup(std::wstring_view text);

// An amount in hundredths of its currency unit (cents): `amount` times 100,
// unrounded. The hand parsers keep a hand's stakes and winnings in hundredths;
// this is the only conversion into them.
inline double Hundredths(double amount) {
    return amount * 100.0;
}

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
// currencies, misplaced groups, letters, no digits); an absurd amount or one
// with absurdly many digits is noted too.
bool ParseMoneyText(std::wstring_view text, double& amount, int* currency = nullptr);

// Reads a number alone (no sign, nothing around it), as the iPoker amounts
// and stakes write it in any locale: digits with thousands separators and at
// most one decimal mark: "1,728.25", "15 788,50", "1.234,5", "2,095" (a lone
// mark followed by exactly three digits groups thousands). False when anything
// else is in the text, and for more than 15 digits (noted as absurd).
bool ReadGroupedNumber(std::wstring_view digits, double& value);

// ParseMoneyText's amount in hundredths; false (leaving `hundredths`) where
// ParseMoneyText is.
bool MoneyTextHundredths(std::wstring_view text, double& hundredths);

} // namespace tw
