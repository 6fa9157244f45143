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

std::wstring BigBlindsText(double bigBlinds) {
    return SignedAmountText(bigBlinds, 1) + L" BB";
}

} // namespace

AlarmFigures FiguresFor(const CSession& session, SessionAlarm alarm) {
    AlarmFigures f;
    f.dLevel = session.Level(alarm);
    f.nHands = session.ShownHands();
    const bool day = IsDayLimit(alarm);
    f.dMoney = day ? session.DayMoney() : session.Money();
    f.dBigBlinds = day ? session.DayBigBlinds() : session.BigBlinds();
    f.nSeconds = day ? session.DaySeconds() : session.Seconds();
    return f;
}

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
    case SessionAlarm::kDayStopLoss:
        return {L"Day stop loss!",
                L"Day stop loss " + SignedAmountText(f.dLevel) + L" reached: today " + session};
    case SessionAlarm::kDayBBStopLoss:
        return {L"Day stop loss BBs!", L"Day big-blind stop loss " + SignedAmountText(f.dLevel, 0) +
                                           L" BB reached: today " + BigBlindsText(f.dBigBlinds)};
    case SessionAlarm::kDayTime:
        return {L"Day time limit", L"Day time limit " + AlarmTimeText(static_cast<int>(f.dLevel)) +
                                       L" reached: " + ClockText(f.nSeconds) + L" played today"};
    }
    return {};
}

AlarmMessage WarningMessageFor(SessionAlarm alarm, const AlarmFigures& f) {
    const std::wstring session = L"Session " + SignedAmountText(f.dMoney);
    switch (alarm) {
    case SessionAlarm::kHands:
        return {L"Hands limit near",
                Format(L"%d of %d hands played", f.nHands, static_cast<int>(f.dLevel))};
    case SessionAlarm::kTakeProfit:
        return {L"Take profit near", session + L", take profit at " + SignedAmountText(f.dLevel)};
    case SessionAlarm::kStopLoss:
        return {L"Stop loss near", session + L", stop loss at " + SignedAmountText(f.dLevel)};
    case SessionAlarm::kBBStopLoss:
        return {L"Big-blind stop near", L"Session " + BigBlindsText(f.dBigBlinds) +
                                            L", big-blind stop at " +
                                            SignedAmountText(f.dLevel, 0) + L" BB"};
    case SessionAlarm::kTime:
        return {L"Time limit near",
                ClockText(f.nSeconds) + L" played of " + AlarmTimeText(static_cast<int>(f.dLevel))};
    default:
        return AlarmMessageFor(alarm, f);
    }
}

AlarmMessage BreakMessage(const AlarmFigures& f) {
    return {L"Time for a break",
            Format(L"Time for a break: %ls played, %d %ls, session ", ClockText(f.nSeconds).c_str(),
                   f.nHands, f.nHands == 1 ? L"hand" : L"hands") +
                SignedAmountText(f.dMoney)};
}

std::wstring DayLimitQuestion(const std::vector<SessionAlarm>& reached, const DayResult& day,
                              const AlarmSettings& a) {
    std::wstring text = Format(L"Today's %d %ls came to ", day.nSessions,
                               day.nSessions == 1 ? L"session" : L"sessions") +
                        SignedAmountText(day.dMoney) + L" (" + BigBlindsText(day.dBigBlinds) +
                        L") in " + ClockText(day.nSeconds) + L" played.\n";
    for (SessionAlarm alarm : reached) {
        switch (alarm) {
        case SessionAlarm::kDayStopLoss:
            text += L"The day stop loss " + SignedAmountText(a.dDayStopLoss) + L" is reached.\n";
            break;
        case SessionAlarm::kDayBBStopLoss:
            text += L"The day big-blind stop loss " + SignedAmountText(a.nDayStopLossBB, 0) +
                    L" BB is reached.\n";
            break;
        case SessionAlarm::kDayTime:
            text += L"The day time limit " + AlarmTimeText(a.nDayMinutes) + L" is reached.\n";
            break;
        default:
            break;
        }
    }
    return text + L"Start a session anyway?";
}

} // namespace tw
