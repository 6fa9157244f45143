#include "tests/qt/WindowFixture.h"
#include "ui/Resources.h"

#include <functional>

using namespace tw;
using twtest::ChangeAlarms;

namespace {

class Alarms : public twtest::WindowTest {
protected:
    // Money alarms on, with the given amounts, as the profile holds them.
    void MoneyAlarms(double takeProfit, double stopLoss) {
        profile.WriteProfileString(L"Alarm2", L"Param",
                                   Format(L"1:%.2f:%.2f", takeProfit, stopLoss));
        profile.WriteProfileInt(L"Alarm2", L"TakeProfit", 1);
        profile.WriteProfileInt(L"Alarm2", L"StopLoss", 1);
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

TEST_F(Alarms, EachAlarmPlaysItsSoundAndShowsItsMessage) {
    // A missing file: the built-in sound.
    ChangeAlarms(*app, [](AlarmSettings& a) { a.soundHands.Set(L"/no/such/file.wav"); });
    OpenAndStart();
    const struct {
        const char* szName;
        std::function<void()> fnFire; // arms the alarm and runs the tick that fires it
        int nSound;
        const wchar_t* szCaption; // null: no message
        const wchar_t* szText;
    } cases[] = {
        {"hands",
         [&] {
             ChangeAlarms(*app, [](AlarmSettings& a) {
                 a.bHandsAlarm = 1;
                 a.nHandsLimit = 1;
                 a.bHandMessage = 1;
             });
             HandTo(0);
         },
         kIdSoundHands, L"Alarm hands", L"You have reached the maximum hands!"},
        {"hands without its message switch",
         [&] {
             ChangeAlarms(*app, [](AlarmSettings& a) { a.bHandMessage = 0; });
             dlg->StartSession();
             HandTo(0);
         },
         kIdSoundHands, nullptr, nullptr},
        {"take profit",
         [&] {
             MoneyAlarms(1, -1000);
             HandTo(5);
         },
         kIdSoundMoney, L"Take profit!", L"You have reached the maximum profit!"},
        {"stop loss",
         [&] {
             MoneyAlarms(1000, -1);
             HandTo(-5);
         },
         kIdSoundMoney, L"Stop loss!", L"You have reached the maximum loss!"},
        {"big-blind stop",
         [&] {
             ChangeAlarms(*app, [](AlarmSettings& a) {
                 a.bStopLossBB = 1;
                 a.nAlarmLossBB = -1;
             });
             HandTo(-5, -5);
         },
         kIdSoundMoney, L"Stop loss BBs!", L"You have reached the maximum loss in BBs!"},
        {"time",
         [&] {
             ChangeAlarms(*app, [](AlarmSettings& a) {
                 a.bTimeAlarm = 1;
                 a.nTimeLimit = 0;
                 a.strAlarmTime = L"00:00";
                 a.bTimeMessage = 1;
             });
             dlg->StartSession();
             Tick();
         },
         kIdSoundTime, L"Alarm time", L"You have run out of time!"},
        {"time without its message switch",
         [&] {
             ChangeAlarms(*app, [](AlarmSettings& a) { a.bTimeMessage = 0; });
             dlg->StartSession();
             Tick();
         },
         kIdSoundTime, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szName);
        sound.played.clear();
        messages.shown.clear();
        c.fnFire();
        ASSERT_EQ(SoundIds(), std::vector<int>{c.nSound});
        EXPECT_EQ(sound.played[0].strFile, L"");
        if (!c.szCaption) {
            EXPECT_TRUE(messages.shown.empty());
            continue;
        }
        ASSERT_EQ(Captions(), std::vector<std::wstring>{c.szCaption});
        EXPECT_EQ(messages.shown[0].strText, c.szText);
        EXPECT_EQ(messages.shown[0].nTimeoutMs, 20000);
    }
}

TEST_F(Alarms, ChosenSoundFilesArePlayed) {
    twtest::WriteBytes(dir.file("till.wav"), "RIFF");
    twtest::WriteBytes(dir.file("bell.wav"), "RIFF");
    ChangeAlarms(*app, [&](AlarmSettings& a) {
        a.soundTakeProfit.Set(FromUtf8(dir.file("till.wav")));
        a.soundTime.Set(FromUtf8(dir.file("bell.wav")));
        a.bTimeAlarm = 1;
        a.nTimeLimit = 0;
        a.strAlarmTime = L"00:00";
    });
    OpenAndStart();
    MoneyAlarms(1, -1000);
    HandTo(5);
    ASSERT_EQ(sound.played.size(), 2u);
    EXPECT_EQ(sound.played[0].strFile, FromUtf8(dir.file("till.wav")));
    EXPECT_EQ(sound.played[0].nId, kIdSoundMoney);
    EXPECT_EQ(sound.played[1].strFile, FromUtf8(dir.file("bell.wav")));
    EXPECT_EQ(sound.played[1].nId, kIdSoundTime);
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
