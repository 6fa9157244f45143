// The settings of CTarnwickApp: the settings file "Tarnwick.ini" (debug
// switch, bankroll, alarm messages) and the application profile (every
// option of the settings dialog).
#include "app/TarnwickApp.h"

#include "app/SettingsValues.h"
#include "support/Ini.h"
#include "support/NumberText.h"
#include "support/TextUtil.h"

#include <cstring>
#include <filesystem>

namespace tw {

namespace {

// Profile sections.
const std::wstring kBaseInfo = L"BaseInfo";
const std::wstring kView = L"View";
const std::wstring kAlarm = L"Alarm";
const std::wstring kAlarm2 = L"Alarm2";
const std::wstring kAlarm3 = L"Alarm3";
const std::wstring kCurrency = L"Currency";

} // namespace

void CAlarmSound::Set(const std::wstring& path) {
    strPath = path;
    std::error_code ec;
    bFileExists =
        !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(ToUtf8(path)), ec);
}

// --- Settings file ---

void CTarnwickApp::LoadSettingsFile() {
    CIni ini(SettingsFilePath());
    bDebug = ini.ReadInteger(L"Debug", L"Debug");
    bBankroll = ini.ReadInteger(L"Bankroll", L"Use");
    if (bBankroll) {
        dTotalMoney = ini.ReadDouble(L"Bankroll", L"Total", 0.0);
        dPeakMoney = dTotalMoney;
    }
    bHandMessage = ini.ReadInteger(L"AlarmMessage", L"Hand");
    bTimeMessage = ini.ReadInteger(L"AlarmMessage", L"Time");
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
    bRunOnStart = GetProfileInt(kBaseInfo, L"RunOnStart", 0);
    bMinTrayAtStartup = GetProfileInt(kBaseInfo, L"MinTrayAtStartup", 0);
    bAutoPause = GetProfileInt(kBaseInfo, L"AutoPause", 0);
    nAutoPauseMin = GetProfileInt(kBaseInfo, L"AutoPauseMin", 3);

    nColorText = GetProfileInt(kView, L"ColorText", 0xFFFFFF);
    nColorText2 = GetProfileInt(kView, L"ColorText2", 0x00C313);
    nColorText3 = GetProfileInt(kView, L"ColorText3", 0x00C0FF);
    nColorBg = GetProfileInt(kView, L"ColorBg", 0x37323D);
    // An opacity outside the slider's range would leave the window invisible.
    nOpacity = GetProfileInt(kView, L"Opacity", 100);
    if (nOpacity < 1 || nOpacity > 100)
        nOpacity = 100;

    ScanColonFields(GetProfileString(kAlarm, L"Param", L"0:700"), {&bHandsAlarm, &nHandsLimit});
    soundHands.Set(GetProfileString(kAlarm, L"Sound", L""));

    LoadMoneyAlarms();
    soundTakeProfit.Set(GetProfileString(kAlarm2, L"Sound", L""));
    soundStopLoss.Set(GetProfileString(kAlarm2, L"SoundLoss", L""));
    soundStopLossBB.Set(GetProfileString(kAlarm2, L"SoundLossBB", L""));

    ScanColonFields(GetProfileString(kAlarm3, L"Param", L"0:60"), {&bTimeAlarm, &nTimeLimit});
    strAlarmTime = AlarmTimeText(nTimeLimit);
    soundTime.Set(GetProfileString(kAlarm3, L"Sound", L""));

    RateSettings r;
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
    SetRates(r);

    // The window lays itself out by this; it is kept here so that saving the
    // profile writes back the size in effect.
    nSize = GetProfileInt(kView, L"Size", 0);
}

void CTarnwickApp::LoadMoneyAlarms() {
    ScanColonFields(GetProfileString(kAlarm2, L"Param", L"0:1000:-1000"),
                    {&bMoneyAlarm, &dTakeProfitAmount, &dStopLossAmount});
    nAlarmLossBB = GetProfileInt(kAlarm2, L"AlarmLossBB", -1000);
    bTakeProfit = GetProfileInt(kAlarm2, L"TakeProfit", 0);
    bStopLoss = GetProfileInt(kAlarm2, L"StopLoss", 0);
    bTrailingTakeProfit = GetProfileInt(kAlarm2, L"TrailingTakeProfit", 0);
    bTrailingStopLoss = GetProfileInt(kAlarm2, L"TrailingStopLoss", 0);
    bStopLossBB = GetProfileInt(kAlarm2, L"StopLossBB", 0);

    ResetMoneyLevels();
    dTotalBB = 0;
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

    writeInt(kBaseInfo, L"RunOnStart", bRunOnStart);
    writeInt(kBaseInfo, L"MinTrayAtStartup", bMinTrayAtStartup);
    writeInt(kBaseInfo, L"AutoPause", bAutoPause);
    writeInt(kBaseInfo, L"AutoPauseMin", nAutoPauseMin);

    writeInt(kView, L"ColorBg", nColorBg);
    writeInt(kView, L"ColorText", nColorText);
    writeInt(kView, L"ColorText2", nColorText2);
    writeInt(kView, L"ColorText3", nColorText3);

    writeString(kAlarm, L"Param", Format(L"%d:%d", bHandsAlarm, nHandsLimit));
    writeString(kAlarm, L"Sound", soundHands.strPath);

    writeString(kAlarm2, L"Param",
                Format(L"%d:", bMoneyAlarm) + FormatFixed(dTakeProfitAmount, 2) + L":" +
                    FormatFixed(dStopLossAmount, 2));
    writeString(kAlarm2, L"Sound", soundTakeProfit.strPath);
    writeString(kAlarm2, L"SoundLoss", soundStopLoss.strPath);
    writeString(kAlarm2, L"SoundLossBB", soundStopLossBB.strPath);
    writeInt(kAlarm2, L"TakeProfit", bTakeProfit);
    writeInt(kAlarm2, L"AlarmLossBB", nAlarmLossBB);
    writeInt(kAlarm2, L"StopLossBB", bStopLossBB);
    writeInt(kAlarm2, L"StopLoss", bStopLoss);
    writeInt(kAlarm2, L"TrailingTakeProfit", bTrailingTakeProfit);
    writeInt(kAlarm2, L"TrailingStopLoss", bTrailingStopLoss);

    writeString(kAlarm3, L"Param", Format(L"%d:%d", bTimeAlarm, nTimeLimit));
    writeString(kAlarm3, L"Sound", soundTime.strPath);

    writeInt(kView, L"Size", nSize);
    writeInt(kView, L"Opacity", nOpacity);

    const RateSettings rates = Rates();
    writeInt(kCurrency, L"Cur", rates.nDisplayCurrency);
    writeString(kCurrency, L"USD_K", rates.strRate[kCurrencyUSD]);
    writeString(kCurrency, L"EUR_K", rates.strRate[kCurrencyEUR]);
    writeString(kCurrency, L"GBP_K", rates.strRate[kCurrencyGBP]);

    if (!ok)
        WriteLogLine(L"The application profile could not be written completely");
    return ok;
}

} // namespace tw
