#include "app/DataDir.h"
#include "app/TarnwickApp.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <set>
#include <tuple>

using namespace tw;
using twtest::ChangeAlarms;
using twtest::ChangeView;
using twtest::ReadBytes;
using twtest::TempDir;
using twtest::WriteBytes;

namespace {

CTarnwickApp::Options At(const TempDir& dir) {
    CTarnwickApp::Options o;
    o.strExecDir = FromUtf8(dir.path().string());
    return o;
}

// An application started the way the program starts: construction, then
// the profile and the rooms file.
std::unique_ptr<CTarnwickApp> Start(const TempDir& dir, IProfileStore* profile) {
    auto app = std::make_unique<CTarnwickApp>(At(dir));
    app->SetProfileStore(profile);
    app->InitInstance();
    return app;
}

// Every key of the application profile except the window position, which
// the window itself writes.
const std::set<std::pair<std::wstring, std::wstring>> kProfileKeys = {
    {L"BaseInfo", L"RunOnStart"},
    {L"BaseInfo", L"MinTrayAtStartup"},
    {L"BaseInfo", L"AutoPause"},
    {L"BaseInfo", L"AutoPauseMin"},
    {L"BaseInfo", L"AlarmMessagesTakeFocus"},
    {L"View", L"ColorText"},
    {L"View", L"ColorText2"},
    {L"View", L"ColorText3"},
    {L"View", L"ColorBg"},
    {L"View", L"Opacity"},
    {L"View", L"Size"},
    {L"Alarm", L"Param"},
    {L"Alarm", L"Sound"},
    {L"Alarm2", L"Param"},
    {L"Alarm2", L"TakeProfit"},
    {L"Alarm2", L"StopLoss"},
    {L"Alarm2", L"StopLossBB"},
    {L"Alarm2", L"AlarmLossBB"},
    {L"Alarm2", L"TrailingTakeProfit"},
    {L"Alarm2", L"TrailingStopLoss"},
    {L"Alarm2", L"Sound"},
    {L"Alarm2", L"SoundLoss"},
    {L"Alarm2", L"SoundLossBB"},
    {L"Alarm3", L"Param"},
    {L"Alarm3", L"Sound"},
    {L"Limits", L"LockLimits"},
    {L"Limits", L"WarnTakeProfit"},
    {L"Limits", L"WarnStopLoss"},
    {L"Limits", L"WarnStopLossBB"},
    {L"Limits", L"WarnHands"},
    {L"Limits", L"WarnTime"},
    {L"Limits", L"WarnPercent"},
    {L"Limits", L"WarnHandsBefore"},
    {L"Limits", L"WarnMinutesBefore"},
    {L"Limits", L"DayStopLoss"},
    {L"Limits", L"DayStopLossAmount"},
    {L"Limits", L"DayStopLossBB"},
    {L"Limits", L"DayStopLossBBAmount"},
    {L"Limits", L"DayTime"},
    {L"Limits", L"DayMinutes"},
    {L"Limits", L"BreakReminder"},
    {L"Limits", L"BreakMinutes"},
    {L"Limits", L"BreakPauseMinutes"},
    {L"Currency", L"Cur"},
    {L"Currency", L"USD_K"},
    {L"Currency", L"EUR_K"},
    {L"Currency", L"GBP_K"},
};

} // namespace

TEST(Settings, WithNoFilesAndAnEmptyProfileEveryDefaultHolds) {
    TempDir dir;
    CMemoryProfile profile;
    auto app = Start(dir, &profile);

    const ViewSettings& view = app->View();
    const AlarmSettings& alarms = app->Alarms();
    const AlarmState& state = app->alarmState;
    EXPECT_EQ(app->bDebug, 0);
    EXPECT_EQ(app->bBankroll, 0);
    EXPECT_EQ(alarms.bHandMessage, 0);
    EXPECT_EQ(alarms.bTimeMessage, 0);
    EXPECT_EQ(app->dTotalMoney, 0.0);

    EXPECT_EQ(view.bRunOnStart, 0);
    EXPECT_EQ(view.bMinTrayAtStartup, 0);
    EXPECT_EQ(alarms.bAutoPause, 0);
    EXPECT_EQ(alarms.nAutoPauseMin, 3);
    EXPECT_EQ(view.nColorText, 0xFFFFFF);
    EXPECT_EQ(view.nColorText2, 0x00C313);
    EXPECT_EQ(view.nColorText3, 0x00C0FF);
    EXPECT_EQ(view.nColorBg, 0x37323D);
    EXPECT_EQ(view.nOpacity, 100);
    EXPECT_EQ(view.nSize, 0);

    EXPECT_EQ(alarms.bHandsAlarm, 0);
    EXPECT_EQ(alarms.nHandsLimit, 700);
    EXPECT_EQ(alarms.bMoneyAlarm, 0);
    EXPECT_EQ(alarms.dTakeProfitAmount, 1000.0);
    EXPECT_EQ(alarms.dStopLossAmount, -1000.0);
    EXPECT_EQ(state.dTakeProfitLevel, 1000.0);
    EXPECT_EQ(state.dStopLossLevel, -1000.0);
    EXPECT_EQ(alarms.nAlarmLossBB, -1000);
    EXPECT_EQ(alarms.nWarnPercent, 80);
    EXPECT_EQ(alarms.nDayStopLossBB, -300);
    EXPECT_EQ(state.dBBStopInitial, -1000.0);
    EXPECT_EQ(state.dBBStopLevel, -1000.0);
    EXPECT_EQ(alarms.bTakeProfit + alarms.bStopLoss + alarms.bStopLossBB +
                  alarms.bTrailingTakeProfit + alarms.bTrailingStopLoss,
              0);
    EXPECT_EQ(alarms.bTimeAlarm, 0);
    EXPECT_EQ(alarms.nTimeLimit, 60);
    EXPECT_EQ(alarms.strAlarmTime, L"01:00");
    for (const CAlarmSound* s : {&alarms.soundHands, &alarms.soundTakeProfit, &alarms.soundStopLoss,
                                 &alarms.soundStopLossBB, &alarms.soundTime})
        EXPECT_EQ(s->File(), L"");

    EXPECT_EQ(app->DisplayCurrency(), kCurrencyUSD);
    EXPECT_EQ(app->Rates(), RateSettings{});
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyUSD), 1.00);
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyEUR), 1.12);
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyGBP), 1.42);
    EXPECT_TRUE(app->Rooms().empty());

    // Reading never writes: the profile is still empty, and no settings
    // file was made.
    EXPECT_TRUE(profile.mapValues.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Tarnwick.ini"));
}

TEST(Settings, CompoundParamsFillFromTheLeftAndKeepTheRest) {
    TempDir dir;
    CMemoryProfile profile;
    profile.WriteProfileString(L"Alarm2", L"Param", L"1:250.5");
    profile.WriteProfileString(L"Alarm", L"Param", L"1");
    profile.WriteProfileString(L"Alarm3", L"Param", L"1:90");
    auto app = Start(dir, &profile);
    const AlarmSettings& alarms = app->Alarms();
    AlarmState& state = app->alarmState;
    EXPECT_EQ(alarms.bMoneyAlarm, 1);
    EXPECT_DOUBLE_EQ(alarms.dTakeProfitAmount, 250.5);
    EXPECT_DOUBLE_EQ(state.dTakeProfitLevel, 250.5);
    EXPECT_DOUBLE_EQ(alarms.dStopLossAmount, 0.0); // the value before the first load
    EXPECT_EQ(alarms.bHandsAlarm, 1);
    EXPECT_EQ(alarms.nHandsLimit, 700);
    EXPECT_EQ(alarms.bTimeAlarm, 1);
    EXPECT_EQ(alarms.nTimeLimit, 90);
    EXPECT_EQ(alarms.strAlarmTime, L"01:30");

    // Reading the money alarms again (as a session stop does) restores the
    // switches and levels and empties the peaks and the big-blind total.
    app->dTotalMoney = 40;
    state.dPeakMoney = 120;
    app->dTotalBB = 12.5;
    state.dPeakBB = 12.5;
    state.dTakeProfitLevel = 370.5;
    profile.WriteProfileInt(L"Alarm2", L"TakeProfit", 1);
    profile.WriteProfileInt(L"Alarm2", L"AlarmLossBB", -30);
    app->LoadMoneyAlarms();
    EXPECT_EQ(alarms.bTakeProfit, 1);
    EXPECT_DOUBLE_EQ(state.dTakeProfitLevel, 250.5);
    EXPECT_DOUBLE_EQ(state.dBBStopInitial, -30);
    EXPECT_DOUBLE_EQ(state.dBBStopLevel, -30);
    EXPECT_EQ(state.dPeakMoney, 0.0);
    EXPECT_EQ(app->dTotalBB, 0.0);
    EXPECT_EQ(state.dPeakBB, 0.0);
    EXPECT_DOUBLE_EQ(app->dTotalMoney, 40); // the money total carries on
}

TEST(Settings, MalformedProfileValuesGiveUsableSettings) {
    TempDir dir;
    CMemoryProfile profile;
    profile.WriteProfileString(L"Currency", L"Cur", L"9");
    profile.WriteProfileString(L"Currency", L"USD_K", L"abc");
    profile.WriteProfileString(L"Currency", L"EUR_K", L"-1.12");
    profile.WriteProfileString(L"Currency", L"GBP_K", L" 1.50 ");
    profile.WriteProfileString(L"View", L"Opacity", L"0");
    profile.WriteProfileString(L"View", L"ColorBg", L"blue");
    profile.WriteProfileString(L"View", L"ColorText", L"0x102030");
    profile.WriteProfileString(L"BaseInfo", L"AutoPauseMin", L"");
    profile.WriteProfileString(L"Alarm", L"Param", L"\x01\x02garbage");
    profile.WriteProfileString(L"Alarm2", L"Param", L"nan:inf:1e999");
    profile.WriteProfileString(L"Alarm2", L"AlarmLossBB", L"-50.5");
    profile.WriteProfileString(L"Limits", L"WarnPercent", L"150");
    profile.WriteProfileString(L"Limits", L"DayStopLossAmount", L"lots");
    profile.WriteProfileString(L"Limits", L"DayMinutes", L"-5");
    profile.WriteProfileString(L"Limits", L"DayStopLossBBAmount", L"250");
    auto app = Start(dir, &profile);

    EXPECT_EQ(app->DisplayCurrency(), kCurrencyUSD);
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyUSD), 1.00);
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyEUR), 1.12);
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyGBP), 1.50);
    EXPECT_EQ(app->View().nOpacity, 100);
    EXPECT_EQ(app->View().nColorBg, 0x37323D);
    EXPECT_EQ(app->View().nColorText, 0x102030);
    const AlarmSettings& alarms = app->Alarms();
    EXPECT_EQ(alarms.nAutoPauseMin, 3);
    EXPECT_EQ(alarms.bHandsAlarm, 0);
    EXPECT_EQ(alarms.nHandsLimit, 700);
    EXPECT_EQ(alarms.bMoneyAlarm, 0);
    EXPECT_DOUBLE_EQ(alarms.dTakeProfitAmount, 50.0);
    EXPECT_EQ(alarms.nAlarmLossBB, -1000);
    EXPECT_EQ(alarms.nWarnPercent, 80);
    EXPECT_EQ(alarms.dDayStopLoss, -100.0);
    EXPECT_EQ(alarms.nDayMinutes, 240);
    EXPECT_EQ(alarms.nDayStopLossBB, -250); // a loss however it is written

    // A display currency of euros takes the euro table for a broken rate.
    profile.WriteProfileInt(L"Currency", L"Cur", kCurrencyEUR);
    profile.WriteProfileString(L"Currency", L"EUR_K", L"");
    app->LoadProfileSettings();
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyEUR), 1.00);
    EXPECT_DOUBLE_EQ(app->RateOf(kCurrencyUSD), 0.89);

    std::string log = ReadBytes((dir.path() / "Tarnwick.log").string());
    EXPECT_NE(log.find("Currency rate USD_K = <abc> is not a positive number; 1.00 used"),
              std::string::npos)
        << log;
}

TEST(Settings, SavingWritesEveryProfileKeyAndLoadsBackTheSame) {
    TempDir dir;
    CMemoryProfile profile;
    auto app = Start(dir, &profile);
    ChangeView(*app, [](ViewSettings& v) {
        v.bRunOnStart = 1;
        v.nColorBg = 0x010203;
        v.nOpacity = 55;
        v.nSize = 2;
    });
    ChangeAlarms(*app, [](AlarmSettings& a) {
        a.bAutoPause = 1;
        a.nAutoPauseMin = 7;
        a.bHandsAlarm = 1;
        a.nHandsLimit = 800;
        a.bMoneyAlarm = 1;
        a.dTakeProfitAmount = 100.456;
        a.dStopLossAmount = -50;
        a.bTakeProfit = 1;
        a.bTrailingStopLoss = 1;
        a.nAlarmLossBB = -30;
        a.bStopLossBB = 1;
        a.bTimeAlarm = 1;
        a.nTimeLimit = 125;
        a.soundTime.Set(L"/no/such/time.wav");
        a.bLockLimits = a.bWarnStopLoss = a.bWarnTime = 1;
        a.nWarnPercent = 75;
        a.nWarnHands = 20;
        a.nWarnMinutes = 15;
        a.bDayStopLoss = a.bDayTime = a.bBreakReminder = 1;
        a.dDayStopLoss = -250.5;
        a.nDayStopLossBB = -400;
        a.nDayMinutes = 300;
        a.nBreakMinutes = 45;
        a.nBreakPauseMinutes = 10;
    });
    app->SetRates(RateSettings{kCurrencyGBP, {L"0.70", L"0.79", L"1.00"}});
    ASSERT_TRUE(app->SaveProfileSettings());

    std::set<std::pair<std::wstring, std::wstring>> written;
    for (const auto& [key, value] : profile.mapValues)
        written.insert(key);
    EXPECT_EQ(written, kProfileKeys);
    EXPECT_EQ(profile.GetProfileString(L"Alarm2", L"Param", L""), L"1:100.46:-50.00");
    EXPECT_EQ(profile.GetProfileString(L"Alarm", L"Param", L""), L"1:800");
    EXPECT_EQ(profile.GetProfileString(L"Alarm3", L"Param", L""), L"1:125");
    EXPECT_EQ(profile.GetProfileString(L"Alarm3", L"Sound", L""), L"/no/such/time.wav");

    TempDir dir2;
    auto again = Start(dir2, &profile);
    EXPECT_EQ(again->View(), app->View());
    const AlarmSettings& alarms = again->Alarms();
    EXPECT_EQ(alarms.nAutoPauseMin, 7);
    EXPECT_EQ(alarms.nHandsLimit, 800);
    EXPECT_DOUBLE_EQ(alarms.dTakeProfitAmount, 100.46);
    EXPECT_DOUBLE_EQ(alarms.dStopLossAmount, -50);
    EXPECT_EQ(alarms.bTakeProfit, 1);
    EXPECT_EQ(alarms.bTrailingStopLoss, 1);
    EXPECT_EQ(alarms.bStopLossBB, 1);
    EXPECT_DOUBLE_EQ(again->alarmState.dBBStopLevel, -30);
    EXPECT_EQ(alarms.strAlarmTime, L"02:05");
    EXPECT_EQ(alarms.soundTime.strPath, L"/no/such/time.wav");
    // The limits' section.
    EXPECT_EQ(alarms.bLockLimits + alarms.bWarnStopLoss + alarms.bWarnTime + alarms.bDayStopLoss +
                  alarms.bDayTime + alarms.bBreakReminder,
              6);
    EXPECT_EQ(alarms.bWarnTakeProfit + alarms.bWarnHands + alarms.bDayStopLossBB, 0);
    EXPECT_EQ(std::make_tuple(alarms.nWarnPercent, alarms.nWarnHands, alarms.nWarnMinutes,
                              alarms.dDayStopLoss, alarms.nDayStopLossBB, alarms.nDayMinutes,
                              alarms.nBreakMinutes, alarms.nBreakPauseMinutes),
              std::make_tuple(75, 20, 15, -250.5, -400, 300, 45, 10));
    EXPECT_EQ(again->Rates(), app->Rates());
    EXPECT_EQ(again->DisplayCurrency(), kCurrencyGBP);
    EXPECT_DOUBLE_EQ(again->RateOf(kCurrencyEUR), 0.79);
}

TEST(Settings, AMissingSoundFilePlaysTheBuiltInSoundButKeepsItsPath) {
    TempDir dir;
    const std::string wav = dir.file("hands.wav");
    WriteBytes(wav, "RIFF");
    const std::wstring missing = FromUtf8(dir.file("gone.wav"));
    CMemoryProfile profile;
    profile.WriteProfileString(L"Alarm", L"Sound", FromUtf8(wav));
    profile.WriteProfileString(L"Alarm2", L"SoundLoss", missing);
    profile.WriteProfileString(L"Alarm3", L"Sound", FromUtf8(dir.path().string()));
    auto app = Start(dir, &profile);
    const AlarmSettings& alarms = app->Alarms();
    EXPECT_EQ(alarms.soundHands.File(), FromUtf8(wav));
    EXPECT_EQ(alarms.soundStopLoss.File(), L"");
    EXPECT_EQ(alarms.soundStopLoss.strPath, missing);
    EXPECT_EQ(alarms.soundTime.File(), L""); // a folder is no sound
    EXPECT_EQ(profile.GetProfileString(L"Alarm2", L"SoundLoss", L""), missing);
}

TEST(Settings, TheSettingsFileGivesDebugAlarmMessagesAndTheBankroll) {
    TempDir dir;
    const std::string ini = dir.file("Tarnwick.ini");
    WriteBytes(ini, "[Debug]\nDebug=7\n[AlarmMessage]\nHand=1\nTime=x1\n"
                    "[Bankroll]\nUse=1\nTotal=1000\n; kept\n");
    {
        CMemoryProfile profile;
        auto app = Start(dir, &profile);
        EXPECT_EQ(app->bDebug, 7);
        EXPECT_EQ(app->Alarms().bHandMessage, 1);
        EXPECT_EQ(app->Alarms().bTimeMessage, 0);
        EXPECT_DOUBLE_EQ(app->dTotalMoney, 1000);
        app->dTotalMoney += 35.5; // the run's result
    }
    EXPECT_EQ(ReadBytes(ini), "[Debug]\nDebug=7\n[AlarmMessage]\nHand=1\nTime=x1\n"
                              "[Bankroll]\nUse=1\nTotal=1035.500000\n; kept\n");
    std::string log = ReadBytes(dir.file("Tarnwick.log"));
    EXPECT_NE(log.find("AlarmMessage: Hand=1  Time=0 Debug = 7\n\n"), std::string::npos) << log;

    // Without bankroll mode the file is never touched.
    const std::string off = "[Bankroll]\nUse=0\nTotal=1000\n";
    WriteBytes(ini, off);
    {
        CTarnwickApp app(At(dir));
        EXPECT_EQ(app.dTotalMoney, 0.0);
        app.dTotalMoney = 12;
    }
    EXPECT_EQ(ReadBytes(ini), off);
}

TEST(Settings, MalformedSettingsFilesNeverStopStartUp) {
    TempDir dir;
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        std::string junk(1 + rng() % 3000, '\0');
        for (char& c : junk)
            c = static_cast<char>(rng());
        if (round % 2)
            junk = "[Bankroll]\nUse=1\nTotal=" + junk;
        WriteBytes(dir.file("Tarnwick.ini"), junk);
        WriteBytes(dir.file("Settings.xml"), junk);
        CMemoryProfile profile;
        auto app = Start(dir, &profile);
        EXPECT_TRUE(std::isfinite(app->dTotalMoney));
        EXPECT_TRUE(app->Rooms().empty());
    }
}

TEST(DataDir, TheExecutablesFolderWhenWritableAndNotInstalledElseTheApplicationDataFolder) {
    TempDir dir;
    const std::wstring exec = FromUtf8(dir.path().string());
    const std::wstring fallback = FromUtf8(dir.file("appdata/Quillfen/tarnwick"));
    EXPECT_EQ(ChooseDataDir(exec, fallback), exec);
    EXPECT_FALSE(std::filesystem::exists(dir.file("appdata")));

    // A folder that cannot take files (here: below a plain file).
    WriteBytes(dir.file("plain"), "x");
    const std::wstring unwritable = FromUtf8(dir.file("plain/bin"));
    EXPECT_EQ(ChooseDataDir(unwritable, fallback), fallback);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("appdata/Quillfen/tarnwick")));
    EXPECT_EQ(ChooseDataDir(unwritable, FromUtf8(dir.file("plain/data"))), unwritable);

    // An installed program (its desktop entry in ../share/applications) keeps
    // its files in the user's folder even where it could write beside itself;
    // a bin folder without the entry is a copy of its own.
    std::filesystem::create_directories(dir.file("usr/bin"));
    std::filesystem::create_directories(dir.file("usr/share/applications"));
    const std::wstring bin = FromUtf8(dir.file("usr/bin"));
    EXPECT_EQ(ChooseDataDir(bin, fallback), bin);
    WriteBytes(dir.file("usr/share/applications/org.quillfen.Tarnwick.desktop"), "");
    EXPECT_EQ(ChooseDataDir(bin, fallback), fallback);
    EXPECT_EQ(ChooseDataDir(FromUtf8(dir.file("usr/share")), fallback),
              FromUtf8(dir.file("usr/share")));

    // The run header names the folder in use.
    CTarnwickApp::Options o;
    o.strExecDir = unwritable;
    o.strDataDir = fallback;
    {
        CTarnwickApp app(o);
        app.InitInstance();
    }
    std::string log = ReadBytes(dir.file("appdata/Quillfen/tarnwick/Tarnwick.log"));
    EXPECT_NE(log.find("Files in: " + dir.file("appdata/Quillfen/tarnwick") + "\n"),
              std::string::npos)
        << log;
}
