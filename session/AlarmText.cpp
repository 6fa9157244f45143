#include "session/AlarmText.h"

#include "session/AlarmSettings.h"
#include "support/TextUtil.h"

#include <cmath>

namespace tw {

std::wstring SignedAmountText(double value, int decimals) {
    std::wstring text = Format(L"%.*f", decimals, std::fabs(value));
    // "-0.00" is no loss: only a value that shows a digit other than zero
    // gets a sign.
    if (value < 0 && text.find_first_of(L"123456789") != std::wstring::npos)
        text.insert(0, L"\u2212");
    return text;
}

namespace {

std::wstring ClockText(std::int64_t seconds) {
    const std::int64_t minutes = seconds / 60;
    return Format(L"%02lld:%02lld", static_cast<long long>(minutes / 60),
                  static_cast<long long>(minutes % 60));
}

} // namespace

AlarmMessage AlarmMessageFor(SessionAlarm alarm, const AlarmFigures& f) {
    const std::wstring session = SignedAmountText(f.dMoney);
    switch (alarm) {
    case SessionAlarm::kHands:
        return {L"Alarm hands",
                Format(L"Hands limit %d reached: %d %ls this session", static_cast<int>(f.dLevel),
                       f.nHands, f.nHands == 1 ? L"hand" : L"hands")};
    case SessionAlarm::kTakeProfit:
        return {L"Take profit!",
                L"Take profit " + SignedAmountText(f.dLevel) + L" reached: session " + session};
    case SessionAlarm::kStopLoss:
        return {L"Stop loss!",
                L"Stop loss " + SignedAmountText(f.dLevel) + L" reached: session " + session};
    case SessionAlarm::kBBStopLoss:
        return {L"Stop loss BBs!", L"Big-blind stop loss " + SignedAmountText(f.dLevel, 0) +
                                       L" BB reached: session " +
                                       SignedAmountText(f.dBigBlinds, 1) + L" BB"};
    case SessionAlarm::kTime:
        return {L"Alarm time", L"Time limit " + AlarmTimeText(static_cast<int>(f.dLevel)) +
                                   L" reached: " + ClockText(f.nSeconds) + L" played"};
    }
    return {};
}

} // namespace tw
