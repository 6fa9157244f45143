// The settings of CTarnwickApp: the settings file "Tarnwick.ini" (debug
// switch, bankroll, alarm messages) and the application profile (every
// option of the settings dialog).
#include "app/TarnwickApp.h"

#include "app/SettingsValues.h"
#include "support/Ini.h"
#include "support/NumberText.h"
#include "support/TextUtil.h"

#include <cstdlib>
#include <cstring>

namespace tw {

namespace {

// Profile sections.
const std::wstring kBaseInfo = L"BaseInfo";
const std::wstring kView = L"View";
const std::wstring kAlarm = L"Alarm";
const std::wstring kAlarm2 = L"Alarm2";
const std::wstring kAlarm3 = L"Alarm3";
const std::wstring kCurrency = L"Currency";
const std::wstring kLimits = L"Limits";

// A whole number of the profile within [low, high]; else `def`.
int IntIn(int value, int low, int high, int def) {
    return value >= low && value <= high ? value : def;
}

} // namespace

// --- Settings file ---

void CTarnwickApp::LoadSettingsFile() {
    CIni ini(SettingsFilePath());
    bDebug = ini.ReadInteger(L"Debug", L"Debug");
    bBankroll = ini.ReadInteger(L"Bankroll", L"Use");
    if (bBankroll) {
        dTotalMoney = ini.ReadDouble(L"Bankroll", L"Total", 0.0);
        alarmState.dPeakMoney = dTotalMoney;
    }
    AlarmSettings a = Alarms();
    a.bHandMessage = ini.ReadInteger(L"AlarmMessage", L"Hand");
    a.bTimeMessage = ini.ReadInteger(L"AlarmMessage", L"Time");
    SetAlarms(a);
}

bool CTarnwickApp::StoreAlarmMessageSwitches() {
    // Written only when changed: the file is the user's to edit, and an OK
    // that changed nothing leaves it as it was.
    CIni ini(SettingsFilePath());
    const AlarmSettings& a = Alarms();
    const struct {
        const wchar_t* szKey;
        int nValue;
    } switches[] = {{L"Hand", a.bHandMessage}, {L"Time", a.bTimeMessage}};
    for (const auto& s : switches) {
        if (ini.ReadInteger(L"AlarmMessage", s.szKey) == s.nValue)
            continue;
        if (const int err = ini.WriteText(L"AlarmMessage", s.szKey, std::to_wstring(s.nValue))) {
            WriteLogLine(Format(L"The alarm message switches could not be stored in <%ls>: %s",
                                ini.Path().c_str(), std::strerror(err)));
            return false;
        }
    }
    return true;
}

bool CTarnwickApp::StoreBankroll() {
    CIni ini(SettingsFilePath());
    int err = ini.WriteTotal(dTotalMoney);
    if (err == 0)
        return true;
    WriteLogLine(Format(L"Bankroll %ls could not be stored in <%ls>: %s",
                        FormatFixed(dTotalMoney, 2).c_str(), ini.Path().c_str(),
                        std::strerror(err)));
    return false;
}

// --- Application profile ---

int CTarnwickApp::GetProfileInt(const std::wstring& section, const std::wstring& key, int def) {
    return pProfile->GetProfileInt(section, key, def);
}

std::wstring CTarnwickApp::GetProfileString(const std::wstring& section, const std::wstring& key,
                                            const std::wstring& def) {
    return pProfile->GetProfileString(section, key, def);
}

bool CTarnwickApp::WriteProfileInt(const std::wstring& section, const std::wstring& key,
                                   int value) {
    return pProfile->WriteProfileInt(section, key, value);
}

bool CTarnwickApp::WriteProfileString(const std::wstring& section, const std::wstring& key,
                                      const std::wstring& value) {
    return pProfile->WriteProfileString(section, key, value);
}

void CTarnwickApp::LoadProfileSettings() {
    ViewSettings v = View();
    AlarmSettings a = Alarms();
    RateSettings r;

    v.bRunOnStart = GetProfileInt(kBaseInfo, L"RunOnStart", 0);
    v.bMinTrayAtStartup = GetProfileInt(kBaseInfo, L"MinTrayAtStartup", 0);
    a.bAutoPause = GetProfileInt(kBaseInfo, L"AutoPause", 0);
    a.nAutoPauseMin = GetProfileInt(kBaseInfo, L"AutoPauseMin", 3);

    v.nColorText = GetProfileInt(kView, L"ColorText", 0xFFFFFF);
    v.nColorText2 = GetProfileInt(kView, L"ColorText2", 0x00C313);
    v.nColorText3 = GetProfileInt(kView, L"ColorText3", 0x00C0FF);
    v.nColorBg = GetProfileInt(kView, L"ColorBg", 0x37323D);
    // An opacity outside the slider's range would leave the window invisible.
    v.nOpacity = GetProfileInt(kView, L"Opacity", 100);
    if (v.nOpacity < 1 || v.nOpacity > 100)
        v.nOpacity = 100;

    // A compound value fills its fields from the left; the fields it lacks
    // keep the values they had.
    ScanColonFields(GetProfileString(kAlarm, L"Param", L"0:700"), {&a.bHandsAlarm, &a.nHandsLimit});
    a.soundHands.Set(GetProfileString(kAlarm, L"Sound", L""));

    a.soundTakeProfit.Set(GetProfileString(kAlarm2, L"Sound", L""));
    a.soundStopLoss.Set(GetProfileString(kAlarm2, L"SoundLoss", L""));
    a.soundStopLossBB.Set(GetProfileString(kAlarm2, L"SoundLossBB", L""));

    ScanColonFields(GetProfileString(kAlarm3, L"Param", L"0:60"), {&a.bTimeAlarm, &a.nTimeLimit});
    a.strAlarmTime = AlarmTimeText(a.nTimeLimit);
    a.soundTime.Set(GetProfileString(kAlarm3, L"Sound", L""));
    a.bMessagesTakeFocus = GetProfileInt(kBaseInfo, L"AlarmMessagesTakeFocus", 0);
    LoadLimitSettings(a);

    r.nDisplayCurrency = GetProfileInt(kCurrency, L"Cur", kCurrencyUSD);
    if (r.nDisplayCurrency < kCurrencyUSD || r.nDisplayCurrency > kCurrencyGBP)
        r.nDisplayCurrency = kCurrencyUSD;
    // A rate that is not a positive number would silently zero or reverse
    // every hand in that currency: such a rate falls back to its default.
    const CurrencyDefaults defaults = DefaultRatesFor(r.nDisplayCurrency);
    const struct {
        const wchar_t* szKey;
        const wchar_t* szProfileDefault;
        const wchar_t* szFallback;
    } rateKeys[3] = {{L"USD_K", L"1.00", defaults.szUSD},
                     {L"EUR_K", L"1.12", defaults.szEUR},
                     {L"GBP_K", L"1.42", defaults.szGBP}};
    for (CurrencyNumber c = 0; c < 3; ++c) {
        std::wstring& rate = r.strRate[c];
        rate = GetProfileString(kCurrency, rateKeys[c].szKey, rateKeys[c].szProfileDefault);
        if (double value = 0.0; !ParseRate(rate, value)) {
            WriteLogLine(Format(L"Currency rate %ls = <%ls> is not a positive number; %ls used",
                                rateKeys[c].szKey, rate.c_str(), rateKeys[c].szFallback));
            rate = rateKeys[c].szFallback;
        }
    }

    // Kept here so that saving the profile writes back the size in effect.
    v.nSize = GetProfileInt(kView, L"Size", 0);

    SetView(v);
    SetAlarms(a);
    LoadMoneyAlarms();
    SetRates(r);
}

void CTarnwickApp::LoadMoneyAlarms() {
    AlarmSettings a = Alarms();
    ScanColonFields(GetProfileString(kAlarm2, L"Param", L"0:1000:-1000"),
                    {&a.bMoneyAlarm, &a.dTakeProfitAmount, &a.dStopLossAmount});
    a.nAlarmLossBB = GetProfileInt(kAlarm2, L"AlarmLossBB", -1000);
    a.bTakeProfit = GetProfileInt(kAlarm2, L"TakeProfit", 0);
    a.bStopLoss = GetProfileInt(kAlarm2, L"StopLoss", 0);
    a.bTrailingTakeProfit = GetProfileInt(kAlarm2, L"TrailingTakeProfit", 0);
    a.bTrailingStopLoss = GetProfileInt(kAlarm2, L"TrailingStopLoss", 0);
    a.bStopLossBB = GetProfileInt(kAlarm2, L"StopLossBB", 0);
    SetAlarms(a);

    ResetMoneyLevels();
    dTotalBB = 0;
}

void CTarnwickApp::LoadLimitSettings(AlarmSettings& a) {
    // A value out of its range would warn at once or never, or set a limit
    // of nothing: it falls back to its default.
    const AlarmSettings d;
    auto flag = [&](const wchar_t* key) { return GetProfileInt(kLimits, key, 0) != 0 ? 1 : 0; };
    a.bLockLimits = flag(L"LockLimits");
    a.bWarnTakeProfit = flag(L"WarnTakeProfit");
    a.bWarnStopLoss = flag(L"WarnStopLoss");
    a.bWarnStopLossBB = flag(L"WarnStopLossBB");
    a.bWarnHands = flag(L"WarnHands");
    a.bWarnTime = flag(L"WarnTime");
    a.nWarnPercent =
        IntIn(GetProfileInt(kLimits, L"WarnPercent", d.nWarnPercent), 1, 99, d.nWarnPercent);
    a.nWarnHands =
        IntIn(GetProfileInt(kLimits, L"WarnHandsBefore", d.nWarnHands), 1, 99999, d.nWarnHands);
    a.nWarnMinutes = IntIn(GetProfileInt(kLimits, L"WarnMinutesBefore", d.nWarnMinutes), 1, 5999,
                           d.nWarnMinutes);
    a.bDayStopLoss = flag(L"DayStopLoss");
    if (!ParseMoneyLimit(GetProfileString(kLimits, L"DayStopLossAmount", L""), MoneyLimit::StopLoss,
                         a.dDayStopLoss))
        a.dDayStopLoss = d.dDayStopLoss;
    a.bDayStopLossBB = flag(L"DayStopLossBB");
    // Big blinds lost, however the sign was written.
    a.nDayStopLossBB =
        -IntIn(std::abs(GetProfileInt(kLimits, L"DayStopLossBBAmount", d.nDayStopLossBB)), 1,
               999999, -d.nDayStopLossBB);
    a.bDayTime = flag(L"DayTime");
    a.nDayMinutes =
        IntIn(GetProfileInt(kLimits, L"DayMinutes", d.nDayMinutes), 1, 5999, d.nDayMinutes);
    a.bBreakReminder = flag(L"BreakReminder");
    a.nBreakMinutes =
        IntIn(GetProfileInt(kLimits, L"BreakMinutes", d.nBreakMinutes), 1, 5999, d.nBreakMinutes);
    a.nBreakPauseMinutes = IntIn(GetProfileInt(kLimits, L"BreakPauseMinutes", d.nBreakPauseMinutes),
                                 1, 5999, d.nBreakPauseMinutes);
}

bool CTarnwickApp::SaveProfileSettings() {
    bool ok = true;
    auto writeInt = [&](const std::wstring& section, const wchar_t* key, int value) {
        ok = WriteProfileInt(section, key, value) && ok;
    };
    auto writeString = [&](const std::wstring& section, const wchar_t* key,
                           const std::wstring& value) {
        ok = WriteProfileString(section, key, value) && ok;
    };
    const ViewSettings& v = View();
    // What the user set: under the lock, also what waits for the next
    // session.
    const AlarmSettings& a = Wanted();
    const RateSettings r = Rates();

    writeInt(kBaseInfo, L"RunOnStart", v.bRunOnStart);
    writeInt(kBaseInfo, L"MinTrayAtStartup", v.bMinTrayAtStartup);
    writeInt(kBaseInfo, L"AutoPause", a.bAutoPause);
    writeInt(kBaseInfo, L"AutoPauseMin", a.nAutoPauseMin);

    writeInt(kView, L"ColorBg", v.nColorBg);
    writeInt(kView, L"ColorText", v.nColorText);
    writeInt(kView, L"ColorText2", v.nColorText2);
    writeInt(kView, L"ColorText3", v.nColorText3);

    writeString(kAlarm, L"Param", Format(L"%d:%d", a.bHandsAlarm, a.nHandsLimit));
    writeString(kAlarm, L"Sound", a.soundHands.strPath);

    writeString(kAlarm2, L"Param",
                Format(L"%d:", a.bMoneyAlarm) + FormatFixed(a.dTakeProfitAmount, 2) + L":" +
                    FormatFixed(a.dStopLossAmount, 2));
    writeString(kAlarm2, L"Sound", a.soundTakeProfit.strPath);
    writeString(kAlarm2, L"SoundLoss", a.soundStopLoss.strPath);
    writeString(kAlarm2, L"SoundLossBB", a.soundStopLossBB.strPath);
    writeInt(kAlarm2, L"TakeProfit", a.bTakeProfit);
    writeInt(kAlarm2, L"AlarmLossBB", a.nAlarmLossBB);
    writeInt(kAlarm2, L"StopLossBB", a.bStopLossBB);
    writeInt(kAlarm2, L"StopLoss", a.bStopLoss);
    writeInt(kAlarm2, L"TrailingTakeProfit", a.bTrailingTakeProfit);
    writeInt(kAlarm2, L"TrailingStopLoss", a.bTrailingStopLoss);

    writeString(kAlarm3, L"Param", Format(L"%d:%d", a.bTimeAlarm, a.nTimeLimit));
    writeString(kAlarm3, L"Sound", a.soundTime.strPath);

    writeInt(kView, L"Size", v.nSize);
    writeInt(kView, L"Opacity", v.nOpacity);

    writeInt(kCurrency, L"Cur", r.nDisplayCurrency);
    writeString(kCurrency, L"USD_K", r.strRate[kCurrencyUSD]);
    writeString(kCurrency, L"EUR_K", r.strRate[kCurrencyEUR]);
    writeString(kCurrency, L"GBP_K", r.strRate[kCurrencyGBP]);

    writeInt(kBaseInfo, L"AlarmMessagesTakeFocus", a.bMessagesTakeFocus);

    writeInt(kLimits, L"LockLimits", a.bLockLimits);
    writeInt(kLimits, L"WarnTakeProfit", a.bWarnTakeProfit);
    writeInt(kLimits, L"WarnStopLoss", a.bWarnStopLoss);
    writeInt(kLimits, L"WarnStopLossBB", a.bWarnStopLossBB);
    writeInt(kLimits, L"WarnHands", a.bWarnHands);
    writeInt(kLimits, L"WarnTime", a.bWarnTime);
    writeInt(kLimits, L"WarnPercent", a.nWarnPercent);
    writeInt(kLimits, L"WarnHandsBefore", a.nWarnHands);
    writeInt(kLimits, L"WarnMinutesBefore", a.nWarnMinutes);
    writeInt(kLimits, L"DayStopLoss", a.bDayStopLoss);
    writeString(kLimits, L"DayStopLossAmount", FormatFixed(a.dDayStopLoss, 2));
    writeInt(kLimits, L"DayStopLossBB", a.bDayStopLossBB);
    writeInt(kLimits, L"DayStopLossBBAmount", a.nDayStopLossBB);
    writeInt(kLimits, L"DayTime", a.bDayTime);
    writeInt(kLimits, L"DayMinutes", a.nDayMinutes);
    writeInt(kLimits, L"BreakReminder", a.bBreakReminder);
    writeInt(kLimits, L"BreakMinutes", a.nBreakMinutes);
    writeInt(kLimits, L"BreakPauseMinutes", a.nBreakPauseMinutes);

    if (!ok)
        WriteLogLine(L"The application profile could not be written completely");
    return ok;
}

} // namespace tw
