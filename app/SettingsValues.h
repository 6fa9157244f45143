// The values typed into the settings, checked and converted the same way
// wherever they are typed (the settings dialog, the command-line tool).
#pragma once

#include <string>
#include <string_view>

namespace tw {

// The longest time limit "hh:mm" can hold, in minutes: 99:59.
constexpr int kMaxTimeLimit = 99 * 60 + 59;

// A time limit typed as "hh:mm"; blanks, input-mask placeholders ('_') and
// the colon are ignored, and exactly four digits must remain. Minutes beyond
// 59 carry into the hours ("00:90" is 90 minutes). True with the minutes and
// the text as written ("00:90"); false for anything else or a limit beyond
// kMaxTimeLimit.
bool ParseTimeLimit(std::wstring_view typed, int& minutes, std::wstring& text);

// A currency rate as typed: a positive decimal number with a point, blanks
// around it ignored. "1,12", "0" and numbers too large to hold are refused:
// such a rate would turn every hand in its currency into nothing, its
// opposite or infinity.
bool ParseRate(std::wstring_view typed, double& rate);

// The largest money limit that can be typed.
constexpr double kMaxMoneyLimit = 999999.99;

enum class MoneyLimit { TakeProfit, StopLoss };

// A take profit or stop loss as typed: digits with up to two decimals after
// a point or a comma ("5", "5.00", "7,5"), blanks around them ignored. A
// stop loss is a loss however it is written: "5.00", "-5.00" and "−5.00"
// all give -5.00; a take profit may not be negative. Zero, more than two
// decimals ("1,000" is no thousand), grouping, anything else and amounts
// beyond kMaxMoneyLimit are refused (false).
bool ParseMoneyLimit(std::wstring_view typed, MoneyLimit kind, double& amount);

} // namespace tw
