#include "parsing/Amount.h"

#include <cmath>
#include <cstdint>

namespace tw {

namespace {

thread_local bool tAbsurdAmount = false;

// More digits than any amount has; hundreds of them would read as infinity.
constexpr int kMaxAmountDigits = 15;

} // namespace

void NoteAbsurdAmount() {
    tAbsurdAmount = true;
}

bool TakeAbsurdAmountNote() {
    const bool seen = tAbsurdAmount;
    tAbsurdAmount = false;
    return seen;
}

double CheckedAmount(double value) {
    if (value > -kAbsurdAmount && value < kAbsurdAmount)
        return value; // also false for NaN
    NoteAbsurdAmount();
    return 0.0;
}

int CurrencyFromSign(std::wstring_view s) {
    if (s == L"$" || s == L"USD")
        return 0;
    if (s == L"\u20AC" || s == L"EUR" || s == L"EURO")
        return 1;
    if (s == L"\u00A3" || s == L"GBP")
        return 2;
    return -1;
}

namespace {

// Blanks that may stand between a sign and its number, or group thousands.
bool IsMoneyBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\u00A0' || c == L'\u202F' || c == L'\u2009';
}

// Characters that group thousands (besides the blanks) or mark decimals.
bool IsMark(wchar_t c) {
    return IsDecimalMark(c) || c == L'\'' || c == L'\u2019';
}

// Characters that only ever group thousands in a number read whole.
bool IsGroupOnly(wchar_t c) {
    return c == L' ' || c == L'\u00A0' || c == L'\u202F' || c == L'\u2009' || c == L'\'';
}

bool IsUpperLetter(wchar_t c) {
    return c >= L'A' && c <= L'Z';
}

// Reads one currency marker (a sign or a code) at `i`; moves `i` past it.
bool ReadMarker(std::wstring_view t, std::size_t& i, int& currency) {
    if (i >= t.size())
        return false;
    std::size_t e = i;
    if (IsCurrencySign(t[i])) {
        e = i + 1;
    } else {
        while (e < t.size() && IsUpperLetter(t[e]))
            ++e;
    }
    if (e == i)
        return false;
    int c = CurrencyFromSign(t.substr(i, e - i));
    if (c < 0)
        return false;
    currency = c;
    i = e;
    return true;
}

void SkipBlanks(std::wstring_view t, std::size_t& i) {
    while (i < t.size() && IsMoneyBlank(t[i]))
        ++i;
}

// Records one marker, refusing a second one of another currency.
bool Merge(int& currency, int found) {
    if (currency >= 0 && currency != found)
        return false;
    currency = found;
    return true;
}

// The end of the digits from `b` on.
std::size_t DigitsEnd(std::wstring_view t, std::size_t b) {
    while (b < t.size() && IsAmountDigit(t[b]))
        ++b;
    return b;
}

// Where a number stands in the text and which of its marks, if any, marks
// the decimals.
struct NumberSpan {
    std::size_t nBegin = 0, nEnd = 0;
    std::size_t nDecimalAt = std::wstring_view::npos;
};

// Marks::Capture: digits at `i`, then any one character and the digits after it.
bool ScanCapture(std::wstring_view t, std::size_t i, NumberSpan& n) {
    if (i >= t.size() || !IsAmountDigit(t[i]))
        return false;
    n.nBegin = i;
    n.nEnd = DigitsEnd(t, i);
    if (n.nEnd < t.size()) {
        n.nDecimalAt = n.nEnd;
        n.nEnd = DigitsEnd(t, n.nEnd + 1);
    }
    return true;
}

// Marks::Thousands: digit groups at `i` and the single marks between them.
bool ScanThousands(std::wstring_view t, std::size_t i, NumberSpan& n) {
    if (i >= t.size() || !IsAmountDigit(t[i]))
        return false;
    struct Group {
        std::size_t nBegin, nEnd;
    };
    Group groups[8];
    wchar_t seps[8];
    int nGroups = 0;
    n.nBegin = i;
    std::size_t e = DigitsEnd(t, i);
    groups[nGroups++] = {i, e};
    i = e;
    while (i + 1 < t.size() && (IsMark(t[i]) || IsMoneyBlank(t[i])) && IsAmountDigit(t[i + 1])) {
        std::size_t ge = DigitsEnd(t, i + 1);
        // A blank only groups thousands; "5 12" is not one number.
        if (IsMoneyBlank(t[i]) && ge - (i + 1) != 3)
            break;
        if (nGroups == 8)
            return false;
        seps[nGroups - 1] = t[i];
        groups[nGroups++] = {i + 1, ge};
        i = ge;
    }
    n.nEnd = i;

    // The last separator is a decimal mark when it is a point or a comma not
    // followed by a group of three, or when it differs from the grouping
    // before it, or when the number starts with a lone 0.
    const int nSeps = nGroups - 1;
    bool hasDecimals = false;
    if (nSeps > 0) {
        const wchar_t last = seps[nSeps - 1];
        const Group& lg = groups[nGroups - 1];
        if (IsDecimalMark(last)) {
            const bool three = lg.nEnd - lg.nBegin == 3;
            const bool leadingZero =
                groups[0].nEnd - groups[0].nBegin == 1 && t[groups[0].nBegin] == L'0';
            hasDecimals =
                !three || (nSeps > 1 && seps[nSeps - 2] != last) || (nSeps == 1 && leadingZero);
        }
    }
    if (hasDecimals)
        n.nDecimalAt = groups[nGroups - 1].nBegin - 1;
    const int nThousandSeps = hasDecimals ? nSeps - 1 : nSeps;
    if (nThousandSeps > 0) {
        const std::size_t lead = groups[0].nEnd - groups[0].nBegin;
        if (lead > 3 || (lead > 1 && t[groups[0].nBegin] == L'0'))
            return false;
        for (int g = 1; g <= nThousandSeps; ++g) {
            if (seps[g - 1] != seps[0] || groups[g].nEnd - groups[g].nBegin != 3)
                return false;
        }
        if (hasDecimals && seps[nSeps - 1] == seps[0])
            return false;
    }
    return true;
}

// Marks::Loose: the text from `from` on is the number.
bool ScanLoose(std::wstring_view t, std::size_t from, NumberSpan& n) {
    std::size_t dots = 0, commas = 0, lastMark = std::wstring_view::npos;
    int digits = 0;
    for (std::size_t i = from; i < t.size(); ++i) {
        const wchar_t c = t[i];
        if (IsAmountDigit(c)) {
            if (++digits > kMaxAmountDigits) {
                NoteAbsurdAmount();
                return false;
            }
        } else if (IsDecimalMark(c)) {
            (c == L'.' ? dots : commas) += 1;
            lastMark = i;
        } else if (!IsGroupOnly(c)) {
            return false;
        }
    }
    if (!digits)
        return false;
    n.nBegin = from;
    n.nEnd = t.size();
    if (dots > 0 && commas > 0) {
        n.nDecimalAt = lastMark;
    } else if (dots + commas == 1) {
        std::size_t before = 0, after = 0;
        for (std::size_t i = from; i < t.size(); ++i) {
            if (IsAmountDigit(t[i]))
                (i < lastMark ? before : after) += 1;
        }
        std::size_t first = from;
        while (!IsAmountDigit(t[first]))
            ++first;
        const bool thousands = after == 3 && before >= 1 && before <= 3 && t[first] != L'0';
        if (!thousands)
            n.nDecimalAt = lastMark;
    }
    return true;
}

// The value of the digits of `n`: every digit as one integer, scaled by the
// decimals. Exact up to 15 digits, so it equals the C library's reading of the
// plain text; more digits are noted as absurd.
bool ValueOf(std::wstring_view t, const NumberSpan& n, double& value) {
    std::uint64_t mantissa = 0;
    int nDigits = 0, nDecimals = 0;
    for (std::size_t k = n.nBegin; k < n.nEnd; ++k) {
        if (!IsAmountDigit(t[k]))
            continue;
        if (++nDigits > kMaxAmountDigits) {
            NoteAbsurdAmount();
            return false;
        }
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(t[k] - L'0');
        if (k > n.nDecimalAt)
            ++nDecimals;
    }
    static constexpr double kPowersOfTen[kMaxAmountDigits + 1] = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    value = static_cast<double>(mantissa) / kPowersOfTen[nDecimals];
    return true;
}

} // namespace

bool ReadAmount(std::wstring_view t, const AmountRules& rules, double& amount, int* currencyOut) {
    std::size_t i = 0;
    int currency = -1, found = -1;
    if (rules.bCurrency) {
        SkipBlanks(t, i);
        if (ReadMarker(t, i, found)) {
            currency = found;
            SkipBlanks(t, i);
        }
    }
    NumberSpan n;
    bool scanned = false;
    switch (rules.marks) {
    case AmountRules::Marks::Capture:
        scanned = ScanCapture(t, i, n);
        break;
    case AmountRules::Marks::Thousands:
        scanned = ScanThousands(t, i, n);
        break;
    case AmountRules::Marks::Loose:
        scanned = ScanLoose(t, i, n);
        break;
    }
    double value = 0;
    if (!scanned || !ValueOf(t, n, value))
        return false;

    // What follows a number read whole: blanks, then at most a sign and a
    // code ("25 $", "$5 USD").
    i = n.nEnd;
    if (rules.bCurrency) {
        SkipBlanks(t, i);
        for (int markers = 0; i < t.size(); ++markers) {
            if (markers == 2 || !ReadMarker(t, i, found) || !Merge(currency, found))
                return false;
            SkipBlanks(t, i);
        }
    } else if (rules.marks == AmountRules::Marks::Thousands && i < t.size()) {
        return false;
    }

    if (CheckedAmount(value) != value)
        return false;
    amount = value;
    if (currencyOut)
        *currencyOut = currency;
    return true;
}

double AmountFromGroup(std::wstring_view text) {
    double amount = 0;
    return ReadAmount(text, kCapturedAmount, amount) ? amount : 0.0;
}

std::int64_t RoundedHundredths(double hundredths) {
    // Far below the range of the integer, far above any real result.
    constexpr double kLimit = 1e15;
    if (!(hundredths > -kLimit && hundredths < kLimit)) {
        NoteAbsurdAmount();
        return 0;
    }
    return std::llround(hundredths);
}

bool MoneyTextHundredths(std::wstring_view text, double& hundredths) {
    double amount = 0;
    if (!ParseMoneyText(text, amount))
        return false;
    hundredths = Hundredths(amount);
    return true;
}

} // namespace tw
