// Reading money amounts out of hand-history text.
#pragma once

#include <cstdint>
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

// How a room writes the numbers of one reading. Every amount is read by
// ReadAmount; the rules say which marks may stand between its digits, which
// of them marks the decimals, and whether a currency sign may stand beside it.
struct AmountRules {
    enum class Marks {
        // The one character after the leading digits marks the decimals,
        // whatever it is, and nothing groups thousands; the text after the
        // decimals is not read: "0.25", "1,50", "7." (what the PokerStars-family
        // patterns capture).
        Capture,
        // Groups of three between single marks: a point, a comma, an
        // apostrophe, or a blank before three digits. The last point or comma
        // marks the decimals unless three digits follow it and it is the
        // grouping mark ("1,234" and "1.234" are 1234 unless the number starts
        // "0": "0.125"). Misplaced groups are refused.
        Thousands,
        // Digits with points, commas, blanks and apostrophes anywhere between
        // them, nothing else: of both a point and a comma the last one marks
        // the decimals; a lone one does unless it groups thousands (one to
        // three digits before it, the first not 0, and three after); more than
        // one of the same kind group thousands.
        Loose,
    };
    Marks marks = Marks::Thousands;
    // A currency sign or code may stand before and/or after the number, with
    // blanks around it: "$5", "$ 10", "25 $", "5 USD".
    bool bCurrency = false;
};

// Reads one amount by `rules`. `amount` gets the value in currency units: the
// same double as the C library's reading of the plain decimal (exact for the
// up to 15 digits read); `currency` (when given) the currency number of the
// sign or code, -1 when none is written. Returns false, leaving both
// untouched, for text that is not one amount by the rules (no leading digit,
// misplaced groups, letters, two different currencies); an amount of
// kAbsurdAmount or more, or of more than 15 digits, is refused and noted.
bool ReadAmount(std::wstring_view text, const AmountRules& rules, double& amount,
                int* currency = nullptr);

// The readings of the rooms:
// - written money, as poker clients in various locales write it, with
//   thousands grouped by a comma, a point, a blank, a non-breaking or narrow
//   space or an apostrophe: "$1,728.25", "$ 3.243", "15 788,50 $", "€51,18";
inline constexpr AmountRules kWrittenMoney{AmountRules::Marks::Thousands, true};
// - what the PokerStars-family patterns capture (parsing/Regex.h TW_AMT);
inline constexpr AmountRules kCapturedAmount{AmountRules::Marks::Capture, false};
// - a number alone as iPoker writes its amounts and stakes in any locale:
//   "1,728.25", "15 788,50", "1.234,5", "2,095".
inline constexpr AmountRules kIPokerNumber{AmountRules::Marks::Loose, false};

// A captured amount (kCapturedAmount); 0 when the text holds none, and for an
// absurd amount (noted).
double AmountFromGroup(std::wstring_view text);

// An amount in hundredths of its currency unit (cents): `amount` times 100,
// unrounded. The hand parsers sum a hand's stakes and winnings in hundredths;
// this is the only conversion into them.
inline double Hundredths(double amount) {
    return amount * 100.0;
}

// A hand's result as the readers report it: the hundredths a parser summed,
// rounded to whole hundredths (the sums carry the binary rest of amounts such
// as 0.07). A sum that is not finite, or beyond any stake, is noted as
// absurd and gives 0.
std::int64_t RoundedHundredths(double hundredths);

// A currency sign or code: "$"/"USD" 0, "€"/"EUR"/"EURO" 1, "£"/"GBP" 2, else -1.
int CurrencyFromSign(std::wstring_view sign);

// Written money (kWrittenMoney), nothing else around it but blanks.
inline bool ParseMoneyText(std::wstring_view text, double& amount, int* currency = nullptr) {
    return ReadAmount(text, kWrittenMoney, amount, currency);
}

// ParseMoneyText's amount in hundredths; false (leaving `hundredths`) where
// ParseMoneyText is.
bool MoneyTextHundredths(std::wstring_view text, double& hundredths);

} // namespace tw
