#include "tests/qt/WindowFixture.h"
#include "ui/FigureLabel.h"
#include "ui/NoticeBox.h"
#include "ui/QtUserMessages.h"
#include "ui/Resources.h"

#include <QAbstractButton>
#include <QFile>
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
    std::vector<int> MarkedFigures() const {
        std::vector<int> marked;
        for (int id : {kCtlTime, kCtlHands, kCtlMoney})
            if (dlg->IsFigureMarked(id))
                marked.push_back(id);
        return marked;
    }
    // The hands alarm at the next hand, with its message.
    void FireHandsAlarm() {
        ChangeAlarms(*app, [](AlarmSettings& a) {
            a.bHandsAlarm = 1;
            a.nHandsLimit = 1;
            a.bHandMessage = 1;
        });
        dlg->StartSession();
        HandTo(0);
    }
};

// The window with real notices beside it, shown where the user put it.
class AlarmNotices : public Alarms {
protected:
    void SetUp() override {
        Alarms::SetUp();
        app->SetUserMessages(&notices);
        OpenAndStart();
        notices.SetNoticeAnchor(dlg.get());
        dlg->show();
        dlg->move(200, 150);
    }
    // Lets the window system's events (activation, deferred deletes) in.
    static void Settle() {
        for (int i = 0; i < 10; ++i) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
    // Shows `table` beside the window and gives it the focus.
    static void ShowTable(QWidget& table) {
        table.setWindowTitle(QStringLiteral("table"));
        table.setGeometry(500, 300, 200, 150);
        table.show();
        table.activateWindow();
        Settle();
    }
    tw::CQtUserMessages notices;
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
        int nFigure; // marked whether or not a message shows
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
         kIdSoundHands, L"Alarm hands", L"Hands limit 1 reached: 1 hand this session", kCtlHands},
        {"hands without its message switch",
         [&] {
             ChangeAlarms(*app, [](AlarmSettings& a) { a.bHandMessage = 0; });
             dlg->StartSession();
             HandTo(0);
         },
         kIdSoundHands, nullptr, nullptr, kCtlHands},
        {"take profit",
         [&] {
             MoneyAlarms(1, -1000);
             HandTo(5);
         },
         kIdSoundMoney, L"Take profit!", L"Take profit 1.00 reached: session 5.00", kCtlMoney},
        {"stop loss",
         [&] {
             MoneyAlarms(1000, -1);
             HandTo(-5);
         },
         kIdSoundMoney, L"Stop loss!", L"Stop loss \u22121.00 reached: session \u22125.00",
         kCtlMoney},
        {"big-blind stop",
         [&] {
             ChangeAlarms(*app, [](AlarmSettings& a) {
                 a.bStopLossBB = 1;
                 a.nAlarmLossBB = -1;
             });
             HandTo(-5, -5);
         },
         kIdSoundMoney, L"Stop loss BBs!",
         L"Big-blind stop loss \u22121 BB reached: session \u22125.0 BB", kCtlMoney},
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
         kIdSoundTime, L"Alarm time", L"Time limit 00:00 reached: 00:00 played", kCtlTime},
        {"time without its message switch",
         [&] {
             ChangeAlarms(*app, [](AlarmSettings& a) { a.bTimeMessage = 0; });
             dlg->StartSession();
             Tick();
         },
         kIdSoundTime, nullptr, nullptr, kCtlTime},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szName);
        sound.played.clear();
        messages.shown.clear();
        now += CTarnwickDlg::kAlarmMarkSeconds; // the last case's mark is over
        dlg->ExpireMarks();
        c.fnFire();
        ASSERT_EQ(SoundIds(), std::vector<int>{c.nSound});
        EXPECT_EQ(sound.played[0].strFile, L"");
        EXPECT_EQ(MarkedFigures(), std::vector<int>{c.nFigure});
        if (!c.szCaption) {
            EXPECT_TRUE(messages.shown.empty());
            continue;
        }
        ASSERT_EQ(Captions(), std::vector<std::wstring>{c.szCaption});
        EXPECT_EQ(messages.shown[0].strText, c.szText);
        EXPECT_EQ(messages.shown[0].nTimeoutMs, 20000);
        // A notice, which nothing waits for, and which leaves the focus alone.
        EXPECT_TRUE(messages.shown[0].bNotice);
        EXPECT_FALSE(messages.shown[0].bTakeFocus);
        EXPECT_TRUE(dlg->Control(c.nFigure)->toolTip().contains(QString::fromWCharArray(c.szText)));
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
    for (int id : {kIdSoundHands, kIdSoundMoney, kIdSoundTime, kIdSoundWarning}) {
        const QUrl url = CQtAlarmSound::SourceFor(L"", id);
        EXPECT_EQ(url, QUrl(QStringLiteral("qrc:/wav/%1.wav").arg(id)));
        // Built into the program: a sound missing from it would play nothing.
        EXPECT_TRUE(QFile::exists(SoundResourcePath(id))) << id;
    }
    // Play returns at once, with or without an audio device.
    CQtAlarmSound player;
    player.Play(L"", kIdSoundHands, 1.0);
    player.Play(L"", kIdSoundWarning, 0.5); // cuts the first off
    EXPECT_EQ(player.Source(), QUrl(QStringLiteral("qrc:/wav/187.wav")));
    EXPECT_EQ(player.Volume(), 0.5);
}

TEST_F(Alarms, TheFigureOfAnAlarmIsMarkedForHalfAMinute) {
    OpenAndStart();
    auto* hands = static_cast<CFigureLabel*>(dlg->Control(kCtlHands));
    // Pixels of the alarm colour drawn on the hands figure.
    auto alarmPixels = [&] {
        const QImage shot = dlg->grab(hands->geometry()).toImage();
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                n += shot.pixelColor(x, y) == CFigureLabel::AlarmColor();
        return n;
    };
    EXPECT_EQ(alarmPixels(), 0);
    FireHandsAlarm();
    ASSERT_TRUE(dlg->IsFigureMarked(kCtlHands));
    EXPECT_TRUE(hands->IsLit());
    EXPECT_GT(alarmPixels(), 20);
    EXPECT_TRUE(hands->toolTip().startsWith(QStringLiteral("Alarm hands")))
        << hands->toolTip().toStdString();

    Tick(20);
    FireHandsAlarm(); // a new alarm: half a minute from now
    Tick(25);
    EXPECT_EQ(MarkedFigures(), std::vector<int>{kCtlHands});
    Tick(5);
    EXPECT_TRUE(MarkedFigures().empty());
    EXPECT_FALSE(hands->IsLit());
    EXPECT_EQ(alarmPixels(), 0);
    EXPECT_TRUE(hands->toolTip().isEmpty());
}

TEST_F(AlarmNotices, NoticesHoldNothingUpAndStandBesideTheWindow) {
    MoneyAlarms(1, -1000);
    ChangeAlarms(*app, [](AlarmSettings& a) {
        a.bHandsAlarm = 1;
        a.nHandsLimit = 1;
        a.bHandMessage = 1;
    });
    HandTo(5); // take profit and hands in one tick
    const std::vector<CNoticeBox*> open = notices.OpenNotices();
    ASSERT_EQ(open.size(), 2u);
    const QRect window = dlg->frameGeometry();
    const QRect screen = dlg->screen()->availableGeometry();
    for (CNoticeBox* notice : open) {
        EXPECT_TRUE(notice->isVisible());
        EXPECT_TRUE(notice->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        EXPECT_NE(notice->OkButton(), nullptr);
        EXPECT_FALSE(notice->frameGeometry().intersects(window));
        EXPECT_TRUE(screen.contains(notice->frameGeometry()));
    }
    EXPECT_FALSE(open[0]->frameGeometry().intersects(open[1]->frameGeometry()));
    EXPECT_EQ(open[0]->windowTitle(), QStringLiteral("Alarm hands"));
    EXPECT_EQ(open[1]->Text(), QStringLiteral("Take profit 1.00 reached: session 5.00"));

    // Hands written while the notices are open show at the next ticks.
    for (int i = 0; i < 33; ++i)
        Hand(0.5);
    Tick();
    EXPECT_EQ(Text(kCtlHands), QStringLiteral("34"));
    EXPECT_EQ(Text(kCtlMoney), QStringLiteral("21.50"));
    EXPECT_EQ(notices.OpenNotices().size(), 2u);

    open[0]->OkButton()->click();
    Settle();
    EXPECT_EQ(notices.OpenNotices(), std::vector<CNoticeBox*>{open[1]});
}

TEST_F(AlarmNotices, NoticesLeaveTheFocusWhereItIsUnlessToldToTakeIt) {
    QWidget table; // the poker table the user types into
    ShowTable(table);
    ASSERT_EQ(QApplication::activeWindow(), &table);

    FireHandsAlarm();
    Settle();
    ASSERT_EQ(notices.OpenNotices().size(), 1u);
    EXPECT_TRUE(notices.OpenNotices()[0]->isVisible());
    EXPECT_EQ(QApplication::activeWindow(), &table);

    ChangeAlarms(*app, [](AlarmSettings& a) { a.bMessagesTakeFocus = 1; });
    FireHandsAlarm();
    Settle();
    ASSERT_EQ(notices.OpenNotices().size(), 2u);
    EXPECT_EQ(QApplication::activeWindow(), notices.OpenNotices()[1]);
}

TEST_F(AlarmNotices, ClosingTheWindowClosesItsNoticesAndStoresWhereItShowed) {
    FireHandsAlarm();
    ASSERT_EQ(notices.OpenNotices().size(), 1u);
    QPointer<CNoticeBox> notice = notices.OpenNotices()[0];
    // While a window manager frames the window, Qt may report it at the
    // frame's origin although it shows where it was: put right, not stored.
    dlg->move(0, 0);
    EXPECT_EQ(dlg->pos(), QPoint(200, 150));
    dlg->close();
    Settle();
    EXPECT_TRUE(notice.isNull());
    EXPECT_TRUE(notices.OpenNotices().empty());
    EXPECT_EQ(profile.GetProfileString(L"View", L"wndPos", L""), L"200:150:340:230");
}

// Hands that never name the hero leave the figures flat: the window says why,
// without taking the focus, and marks the money figure.
TEST_F(Alarms, HandsThatDoNotNameTheHeroAreTold) {
    OpenAndStart();
    app->NotifyHeroNotNamed(L"/hh/stars", L"hero");
    const std::wstring text = L"Hands in /hh/stars do not name hero; the name must match exactly";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].strText, text);
    EXPECT_TRUE(messages.shown[0].bNotice);
    EXPECT_FALSE(messages.shown[0].bTakeFocus);
    EXPECT_TRUE(dlg->IsFigureMarked(kCtlMoney));
    EXPECT_EQ(dlg->Control(kCtlMoney)->toolTip(), QString::fromStdWString(text));
}

// A warning is a nudge, not an alarm: the soft built-in sound, a notice that
// never takes the focus (even where alarm messages do), the figure marked in
// amber. The break reminder is only its notice.
TEST_F(Alarms, WarningsAndTheBreakReminderAreQuiet) {
    OpenAndStart();
    const struct {
        const char* szName;
        std::function<void(AlarmSettings&)> fnSet;
        std::function<void()> fnPlay; // after the start, up to the warning's tick
        const wchar_t* szCaption;
        const wchar_t* szText;
        int nFigure; // 0: none marked, no sound
    } cases[] = {
        {"hands",
         [](AlarmSettings& a) {
             a.bHandsAlarm = a.bWarnHands = 1;
             a.nHandsLimit = 10;
             a.nWarnHands = 3;
         },
         [&] {
             for (int i = 0; i < 7; ++i)
                 Hand();
             Tick();
         },
         L"Hands limit near", L"7 of 10 hands played", kCtlHands},
        {"take profit",
         [](AlarmSettings& a) {
             a.bMoneyAlarm = a.bTakeProfit = a.bWarnTakeProfit = 1;
             a.dTakeProfitAmount = 10;
         },
         [&] { HandTo(8.5); }, L"Take profit near", L"Session 8.50, take profit at 10.00",
         kCtlMoney},
        {"stop loss",
         [](AlarmSettings& a) {
             a.bMoneyAlarm = a.bStopLoss = a.bWarnStopLoss = 1;
             a.dStopLossAmount = -10;
         },
         [&] { HandTo(-8.2); }, L"Stop loss near", L"Session \u22128.20, stop loss at \u221210.00",
         kCtlMoney},
        {"big-blind stop",
         [](AlarmSettings& a) {
             a.bMoneyAlarm = a.bStopLossBB = a.bWarnStopLossBB = 1;
             a.nAlarmLossBB = -100;
         },
         [&] { HandTo(-5, -85); }, L"Big-blind stop near",
         L"Session \u221285.0 BB, big-blind stop at \u2212100 BB", kCtlMoney},
        {"time",
         [](AlarmSettings& a) {
             a.bTimeAlarm = a.bWarnTime = 1;
             a.nTimeLimit = 60;
             a.strAlarmTime = L"01:00";
         },
         [&] { Tick(50 * 60); }, L"Time limit near", L"00:50 played of 01:00", kCtlTime},
        {"break",
         [](AlarmSettings& a) {
             a.bBreakReminder = 1;
             a.nBreakMinutes = 60;
         },
         [&] {
             Hand(2);
             Tick(60 * 60);
         },
         L"Time for a break", L"Time for a break: 01:00 played, 1 hand, session 2.00", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szName);
        AlarmSettings alarms;
        alarms.bMessagesTakeFocus = 1;
        c.fnSet(alarms);
        app->SetAlarms(alarms);
        dlg->StartSession();
        sound.played.clear();
        messages.shown.clear();
        now += CTarnwickDlg::kAlarmMarkSeconds; // the last case's mark is over
        dlg->ExpireMarks();
        c.fnPlay();

        ASSERT_EQ(Captions(), std::vector<std::wstring>{c.szCaption});
        EXPECT_EQ(messages.shown[0].strText, c.szText);
        EXPECT_TRUE(messages.shown[0].bNotice);
        EXPECT_FALSE(messages.shown[0].bTakeFocus);
        EXPECT_EQ(messages.shown[0].nTimeoutMs, 20000);
        if (!c.nFigure) {
            EXPECT_TRUE(sound.played.empty());
            EXPECT_TRUE(MarkedFigures().empty());
            continue;
        }
        ASSERT_EQ(SoundIds(), std::vector<int>{kIdSoundWarning});
        EXPECT_LT(sound.played[0].dVolume, 1.0);
        EXPECT_EQ(MarkedFigures(), std::vector<int>{c.nFigure});
        EXPECT_TRUE(dlg->IsFigureWarningMarked(c.nFigure));
        EXPECT_TRUE(dlg->Control(c.nFigure)->toolTip().contains(QString::fromWCharArray(c.szText)));
        // Lit in amber, not in the alarm colour.
        auto* figure = static_cast<CFigureLabel*>(dlg->Control(c.nFigure));
        const QImage shot = dlg->grab(figure->geometry()).toImage();
        int amber = 0, red = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                amber += shot.pixelColor(x, y) == CFigureLabel::WarningColor();
                red += shot.pixelColor(x, y) == CFigureLabel::AlarmColor();
            }
        EXPECT_GT(amber, 20);
        EXPECT_EQ(red, 0);
    }

    // An alarm's mark says more than a warning's: a warning leaves it.
    FireHandsAlarm();
    dlg->ActOnWarning(SessionAlarm::kHands);
    EXPECT_TRUE(dlg->IsFigureMarked(kCtlHands));
    EXPECT_FALSE(dlg->IsFigureWarningMarked(kCtlHands));
    EXPECT_TRUE(dlg->Control(kCtlHands)->toolTip().startsWith(QStringLiteral("Alarm hands")));
}

// The day limits count the day's earlier sessions: each sounds and says so
// when this session takes the day past it.
TEST_F(Alarms, DayLimitsFireWithTheDaysFigures) {
    OpenAndStart();
    const struct {
        const char* szName;
        std::function<void(AlarmSettings&)> fnSet;
        DayResult day;
        std::function<void()> fnPlay;
        int nSound;
        const wchar_t* szCaption;
        const wchar_t* szText;
        int nFigure;
    } cases[] = {
        {"money",
         [](AlarmSettings& a) {
             a.bDayStopLoss = 1;
             a.dDayStopLoss = -100;
         },
         {1, -90.0, 0.0, 0},
         [&] { HandTo(-15); },
         kIdSoundMoney,
         L"Day stop loss!",
         L"Day stop loss \u2212100.00 reached: today \u2212105.00",
         kCtlMoney},
        {"big blinds",
         [](AlarmSettings& a) {
             a.bDayStopLossBB = 1;
             a.nDayStopLossBB = -100;
         },
         {1, 0.0, -90.0, 0},
         [&] { HandTo(-5, -15); },
         kIdSoundMoney,
         L"Day stop loss BBs!",
         L"Day big-blind stop loss \u2212100 BB reached: today \u2212105.0 BB",
         kCtlMoney},
        {"time",
         [](AlarmSettings& a) {
             a.bDayTime = 1;
             a.nDayMinutes = 60;
         },
         {1, 0.0, 0.0, 50 * 60},
         [&] { Tick(10 * 60); },
         kIdSoundTime,
         L"Day time limit",
         L"Day time limit 01:00 reached: 01:00 played today",
         kCtlTime},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szName);
        AlarmSettings alarms;
        c.fnSet(alarms);
        app->SetAlarms(alarms);
        dlg->fnDayBefore = [&](std::int64_t) { return c.day; };
        dlg->StartSession();
        ASSERT_TRUE(dlg->Session().IsRunning());
        sound.played.clear();
        messages.shown.clear();
        now += CTarnwickDlg::kAlarmMarkSeconds;
        dlg->ExpireMarks();
        c.fnPlay();
        ASSERT_EQ(SoundIds(), std::vector<int>{c.nSound});
        ASSERT_EQ(Captions(), std::vector<std::wstring>{c.szCaption});
        EXPECT_EQ(messages.shown[0].strText, c.szText);
        EXPECT_FALSE(messages.shown[0].bTakeFocus);
        EXPECT_EQ(MarkedFigures(), std::vector<int>{c.nFigure});
        EXPECT_FALSE(dlg->IsFigureWarningMarked(c.nFigure));
    }
}

// A day limit the day's earlier sessions have reached already: Start asks.
// No starts nothing; Yes starts a session in which that limit stays quiet.
TEST_F(Alarms, StartingPastADayLimitAsksFirst) {
    AddRoom();
    Open();
    const DayResult day{2, -120.0, -240.0, 3 * 3600};
    dlg->fnDayBefore = [&](std::int64_t) { return day; };
    const wchar_t* dayText = L"Today's 2 sessions came to \u2212120.00 (\u2212240.0 BB) in 03:00";
    const struct {
        const char* szName;
        std::function<void(AlarmSettings&)> fnSet;
        const wchar_t* szLimit; // what the question says of the limit
        std::function<void()> fnPlay;
    } cases[] = {
        {"money",
         [](AlarmSettings& a) {
             a.bDayStopLoss = 1;
             a.dDayStopLoss = -100;
         },
         L"The day stop loss \u2212100.00 is reached.", [&] { HandTo(-5); }},
        {"big blinds",
         [](AlarmSettings& a) {
             a.bDayStopLossBB = 1;
             a.nDayStopLossBB = -200;
         },
         L"The day big-blind stop loss \u2212200 BB is reached.", [&] { HandTo(-5, -10); }},
        {"time",
         [](AlarmSettings& a) {
             a.bDayTime = 1;
             a.nDayMinutes = 120;
         },
         L"The day time limit 02:00 is reached.", [&] { Tick(60); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.szName);
        dlg->StopSession();
        AlarmSettings alarms;
        c.fnSet(alarms);
        app->SetAlarms(alarms);
        messages.shown.clear();
        calls.clear();

        messages.answers = {kIdNo};
        dlg->StartSession();
        EXPECT_FALSE(dlg->Session().IsRunning());
        EXPECT_TRUE(calls.empty()); // no watch started
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].nStyle, kMbTimedQuestionStyle);
        const std::wstring& question = messages.shown[0].strText;
        EXPECT_NE(question.find(dayText), std::wstring::npos) << ToUtf8(question);
        EXPECT_NE(question.find(c.szLimit), std::wstring::npos) << ToUtf8(question);

        messages.answers = {kIdYes};
        dlg->StartSession();
        ASSERT_TRUE(dlg->Session().IsRunning());
        EXPECT_EQ(dlg->Session().DayBefore().dMoney, day.dMoney);
        sound.played.clear();
        messages.shown.clear();
        c.fnPlay();
        EXPECT_TRUE(sound.played.empty());
        EXPECT_TRUE(messages.shown.empty());
    }
}

TEST_F(AlarmNotices, WarningsNeverTakeTheFocus) {
    QWidget table; // the poker table the user types into
    ShowTable(table);
    ASSERT_EQ(QApplication::activeWindow(), &table);

    // Alarm messages would take it; a warning never does.
    ChangeAlarms(*app, [](AlarmSettings& a) {
        a.bMessagesTakeFocus = 1;
        a.bHandsAlarm = a.bWarnHands = 1;
        a.nHandsLimit = 10;
        a.nWarnHands = 9;
    });
    dlg->StartSession();
    HandTo(0);
    Settle();
    ASSERT_EQ(notices.OpenNotices().size(), 1u);
    EXPECT_TRUE(notices.OpenNotices()[0]->isVisible());
    EXPECT_EQ(notices.OpenNotices()[0]->windowTitle(), QStringLiteral("Hands limit near"));
    EXPECT_EQ(QApplication::activeWindow(), &table);
}
