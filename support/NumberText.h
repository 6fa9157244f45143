// Numbers in settings text, read and written the same way whatever the
// process locale is: a point as decimal separator, always.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace tw {

// Reads an integer at `pos` the way "%d" does: leading white space, an
// optional sign, then digits. Values beyond the int range are clamped. On
// success `pos` moves past the number; false (and `pos` unchanged) when no
// digit follows.
bool ScanInt(std::wstring_view s, std::size_t& pos, int& value);

// Reads a decimal number at `pos` the way "%lf" does: leading white space, an
// optional sign, digits with an optional point and fraction, an optional
// exponent. Infinities, NaN and numbers out of the double range are refused.
bool ScanDouble(std::wstring_view s, std::size_t& pos, double& value);

// The leading integer of `s`, 0 when it does not start with one.
int LeadingInt(std::wstring_view s);
// The leading decimal number of `s`, 0.0 when it does not start with one.
double LeadingDouble(std::wstring_view s);

// Fills `fields` from the left the way sscanf does with "%d:%d" or
// "%d:%lf:%lf": each field after the first must follow a ':' directly, and
// scanning stops at the first field that does not match, so the fields after
// it keep their values. Returns the number of fields filled.
using ScanField = std::variant<int*, double*>;
int ScanColonFields(std::wstring_view text, std::initializer_list<ScanField> fields);

// `value` with exactly `decimals` digits after a point ("%.*f").
std::wstring FormatFixed(double value, int decimals);

} // namespace tw
