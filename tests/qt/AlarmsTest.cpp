#include "tests/qt/WindowFixture.h"
#include "ui/Resources.h"

using namespace tw;

namespace {

class Alarms : public twtest::WindowTest {
protected:
    // Money alarms on, with the given amounts and switches, as the profile
    // holds them.
    void MoneyAlarms(double takeProfit, double stopLoss, bool trailingTakeProfit = false,
                     bool trailingStopLoss = false) {
        profile.WriteProfileString(L"Alarm2", L"Param",
                                   Format(L"1:%.2f:%.2f", takeProfit, stopLoss));
        profile.WriteProfileInt(L"Alarm2", L"TakeProfit", 1);
        profile.WriteProfileInt(L"Alarm2", L"StopLoss", 1);
        profile.WriteProfileInt(L"Alarm2", L"TrailingTakeProfit", trailingTakeProfit);
        profile.WriteProfileInt(L"Alarm2", L"TrailingStopLoss", trailingStopLoss);
        app->LoadMoneyAlarms();
    }
    // Totals after a hand, then the tick that sees it.
    void HandTo(double money, double bigBlinds = 0.0) {
        Hand(money - app->dTotalMoney, bigBlinds - app->dTotalBB);
        Tick();
    }
    std::vector<int> SoundIds() const {
        std::vector<int> ids;
        for (const auto& p : sound.played)
            ids.push_back(p.nId);
        return ids;
    }
};

} // namespace

TEST_F(Alarms, HandsAlarmFiresOnceAndIsArmedAgainByAStart) {
    app->bHandsAlarm = 1;
    app->nHandsLimit = 700;
    app->bHandMessage = 1;
    app->soundHands.Set(L"/no/such/file.wav"); // a missing file: the built-in sound
    OpenAndStart();
    app->nTotalHands = 699;
    Tick();
    EXPECT_TRUE(sound.played.empty());
    app->nTotalHands = 703;
    Tick();
    ASSERT_EQ(sound.played.size(), 1u);
    EXPECT_EQ(sound.played[0].nId, kIdSoundHands);
    EXPECT_EQ(sound.played[0].strFile, L"");
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Alarm hands"});
    EXPECT_EQ(messages.shown[0].strText, L"You have reached the maximum hands!");
    EXPECT_EQ(messages.shown[0].nTimeoutMs, 20000);
    Hand();
    Tick();
    EXPECT_EQ(sound.played.size(), 1u);

    // Without the message switch only the sound plays.
    app->bHandMessage = 0;
    dlg->StartSession();
    app->nTotalHands = 700;
    Tick();
    EXPECT_EQ(SoundIds(), (std::vector<int>{kIdSoundHands, kIdSoundHands}));
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(Alarms, TakeProfitFiresAtTheLevelAndClearsItsSwitch) {
    OpenAndStart();
    MoneyAlarms(100, -1000);
    HandTo(99.50);
    EXPECT_TRUE(messages.shown.empty());
    HandTo(100.00);
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Take profit!"});
    EXPECT_EQ(messages.shown[0].strText, L"You have reached the maximum profit!");
    EXPECT_EQ(SoundIds(), std::vector<int>{kIdSoundMoney});
    EXPECT_EQ(app->bTakeProfit, 0);
    HandTo(150.00);
    EXPECT_EQ(messages.shown.size(), 1u);

    // A stop re-reads the switches from the profile: armed again.
    dlg->StopSession();
    EXPECT_EQ(app->bTakeProfit, 1);
}

TEST_F(Alarms, MoneyAlarmsNeedTheMoneySwitchAndANewHand) {
    OpenAndStart();
    MoneyAlarms(100, -50);
    app->bMoneyAlarm = 0;
    HandTo(120);
    EXPECT_TRUE(messages.shown.empty());
    app->bMoneyAlarm = 1;
    Tick(); // no new hand: no check
    EXPECT_TRUE(messages.shown.empty());
    HandTo(121);
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Take profit!"});
}

TEST_F(Alarms, TrailingStopLossFollowsThePeak) {
    OpenAndStart();
    MoneyAlarms(1000, -50, false, true);
    HandTo(120);
    EXPECT_DOUBLE_EQ(app->dPeakMoney, 120);
    EXPECT_DOUBLE_EQ(app->dStopLossLevel, 70);
    HandTo(90);
    EXPECT_DOUBLE_EQ(app->dStopLossLevel, 70); // a level never moves back
    EXPECT_TRUE(messages.shown.empty());
    HandTo(70.00);
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Stop loss!"});
    EXPECT_EQ(messages.shown[0].strText, L"You have reached the maximum loss!");
    EXPECT_EQ(SoundIds(), std::vector<int>{kIdSoundMoney});
}

TEST_F(Alarms, TrailingTakeProfitStaysAboveARisingTotal) {
    OpenAndStart();
    MoneyAlarms(25, -1000, true, false);
    for (double total : {20.0, 40.0, 80.0, 160.0})
        HandTo(total);
    EXPECT_DOUBLE_EQ(app->dTakeProfitLevel, 185);
    // Every total that reaches the level is a new peak, which moves it on.
    for (double total : {150.0, 185.0, 300.0})
        HandTo(total);
    EXPECT_DOUBLE_EQ(app->dTakeProfitLevel, 325);
    EXPECT_TRUE(messages.shown.empty());

    // Without trailing the same totals fire it once.
    MoneyAlarms(25, -1000);
    HandTo(20);
    HandTo(30);
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Take profit!"});
}

TEST_F(Alarms, BigBlindStopTrailsThePeakInBigBlinds) {
    OpenAndStart();
    MoneyAlarms(1000, -1000, false, true);
    profile.WriteProfileInt(L"Alarm2", L"AlarmLossBB", -30);
    profile.WriteProfileInt(L"Alarm2", L"StopLossBB", 1);
    app->LoadMoneyAlarms();
    HandTo(0, 12.5);
    EXPECT_DOUBLE_EQ(app->dBBStopLevel, -17.5);
    HandTo(0, -17.0);
    EXPECT_TRUE(messages.shown.empty());
    HandTo(0, -17.5);
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Stop loss BBs!"});
    EXPECT_EQ(messages.shown[0].strText, L"You have reached the maximum loss in BBs!");
    EXPECT_EQ(SoundIds(), std::vector<int>{kIdSoundMoney});
    EXPECT_EQ(app->bStopLossBB, 0);
    HandTo(0, -40);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(Alarms, TakeProfitWinsATickWhereBothLevelsAreReached) {
    OpenAndStart();
    MoneyAlarms(10, 20); // take profit at or below the stop loss
    HandTo(15);
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Take profit!"});
    Tick(); // no new hand
    EXPECT_EQ(messages.shown.size(), 1u);
    HandTo(15);
    ASSERT_EQ(Captions(), (std::vector<std::wstring>{L"Take profit!", L"Stop loss!"}));
}

TEST_F(Alarms, ChosenSoundFilesArePlayed) {
    twtest::WriteBytes(dir.file("till.wav"), "RIFF");
    twtest::WriteBytes(dir.file("bell.wav"), "RIFF");
    app->soundTakeProfit.Set(FromUtf8(dir.file("till.wav")));
    app->soundTime.Set(FromUtf8(dir.file("bell.wav")));
    app->bTimeAlarm = 1;
    app->nTimeLimit = 0;
    app->strAlarmTime = L"00:00";
    OpenAndStart();
    MoneyAlarms(1, -1000);
    HandTo(5);
    ASSERT_EQ(sound.played.size(), 2u);
    EXPECT_EQ(sound.played[0].strFile, FromUtf8(dir.file("till.wav")));
    EXPECT_EQ(sound.played[0].nId, kIdSoundMoney);
    EXPECT_EQ(sound.played[1].strFile, FromUtf8(dir.file("bell.wav")));
    EXPECT_EQ(sound.played[1].nId, kIdSoundTime);
}

TEST_F(Alarms, TimeAlarmFiresDuringItsMinuteOncePerSession) {
    app->bTimeAlarm = 1;
    app->nTimeLimit = 90;
    app->strAlarmTime = CTarnwickApp::AlarmTimeText(90);
    app->bTimeMessage = 1;
    OpenAndStart();
    Tick(89 * 60 + 55);
    EXPECT_TRUE(sound.played.empty());
    Tick(5);
    EXPECT_EQ(Text(kCtlTime), QStringLiteral("01:30"));
    EXPECT_EQ(SoundIds(), std::vector<int>{kIdSoundTime});
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Alarm time"});
    EXPECT_EQ(messages.shown[0].strText, L"You have run out of time!");
    Tick(5);
    Tick(3600);
    EXPECT_EQ(sound.played.size(), 1u);

    // A new session arms it again; without the message switch only the sound.
    app->bTimeMessage = 0;
    dlg->StartSession();
    Tick(90 * 60);
    EXPECT_EQ(sound.played.size(), 2u);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(Alarms, TimeAlarmIsNotLostWhenItsMinuteIsSkipped) {
    app->bTimeAlarm = 1;
    app->nTimeLimit = 90;
    app->strAlarmTime = CTarnwickApp::AlarmTimeText(90);
    OpenAndStart();
    Tick(89 * 60 + 30); // 01:29
    EXPECT_TRUE(sound.played.empty());
    Tick(2 * 60); // the machine slept through 01:30
    EXPECT_EQ(SoundIds(), std::vector<int>{kIdSoundTime});
}

TEST_F(Alarms, ALimitWrittenWithMinutesBeyondFiftyNineFiresAtItsMinute) {
    // "00:90" as the settings dialog keeps it: the clock shows 01:30 then.
    app->bTimeAlarm = 1;
    app->nTimeLimit = 90;
    app->strAlarmTime = L"00:90";
    OpenAndStart();
    Tick(89 * 60 + 55);
    EXPECT_TRUE(sound.played.empty());
    Tick(5);
    EXPECT_EQ(SoundIds(), std::vector<int>{kIdSoundTime});
}

TEST_F(Alarms, InBankrollModeTheLevelsMeetTheWholeTotal) {
    app->bBankroll = 1;
    app->dTotalMoney = 1000;
    OpenAndStart();
    MoneyAlarms(100, -1000);
    Tick();
    EXPECT_TRUE(messages.shown.empty());
    HandTo(999);
    ASSERT_EQ(Captions(), std::vector<std::wstring>{L"Take profit!"});
}

TEST(AlarmSound, PlaysTheChosenFileOrTheBuiltInSoundOfTheId) {
    EXPECT_EQ(CQtAlarmSound::SourceFor(L"/snd/bell.wav", kIdSoundTime),
              QUrl::fromLocalFile(QStringLiteral("/snd/bell.wav")));
    for (int id : {kIdSoundHands, kIdSoundMoney, kIdSoundTime}) {
        const QUrl url = CQtAlarmSound::SourceFor(L"", id);
        EXPECT_EQ(url, QUrl(QStringLiteral("qrc:/wav/%1.wav").arg(id)));
    }
    // Play returns at once, with or without an audio device.
    CQtAlarmSound player;
    player.Play(L"", kIdSoundHands);
    player.Play(L"", kIdSoundMoney); // cuts the first off
    EXPECT_EQ(player.Source(), QUrl(QStringLiteral("qrc:/wav/157.wav")));
}
