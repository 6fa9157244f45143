#include "tests/qt/WindowFixture.h"
#include "ui/FigureLabel.h"

#include <QEnterEvent>
#include <QFontMetricsF>
#include <QTimerEvent>

using namespace tw;

namespace {

class SessionClock : public twtest::WindowTest {
protected:
    CxSkinButton* Pause() const { return dlg->Button(kCtlPause); }
    int MoneyPixelSize() const { return dlg->Control(kCtlMoney)->font().pixelSize(); }
};

} // namespace

TEST_F(SessionClock, TheStoredTimerIdDrivesTheTick) {
    OpenAndStart();
    ASSERT_NE(dlg->ClockTimerId(), 0);
    now += 125;
    QTimerEvent other(dlg->ClockTimerId() + 1000);
    QApplication::sendEvent(dlg.get(), &other);
    EXPECT_EQ(Text(kCtlTime), QStringLiteral("00:00"));
    QTimerEvent clock(dlg->ClockTimerId());
    QApplication::sendEvent(dlg.get(), &clock);
    EXPECT_EQ(Text(kCtlTime), QStringLiteral("00:02"));

    dlg->StopSession();
    EXPECT_EQ(dlg->ClockTimerId(), 0);
}

TEST_F(SessionClock, PauseShowsThePausedClock) {
    twtest::ChangeAlarms(*app, [](AlarmSettings& a) {
        a.bAutoPause = 1;
        a.nAutoPauseMin = 3;
    });
    OpenAndStart();
    Tick(60);
    // Unpaused it is amber, hovered too; paused, blue: a paused clock is
    // told at a glance, not by a shade.
    auto blue = [this] {
        const QImage face = Pause()->grab().toImage();
        long red = 0, bluePart = 0;
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x) {
                red += face.pixelColor(x, y).red();
                bluePart += face.pixelColor(x, y).blue();
            }
        return bluePart > red;
    };
    EXPECT_FALSE(blue());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(Pause(), &enter);
    ASSERT_TRUE(Pause()->IsHovering());
    EXPECT_FALSE(blue());
    Pause()->click(); // the button's own click: pressed look, then the pause
    EXPECT_TRUE(dlg->Session().IsPaused());
    EXPECT_TRUE(Pause()->isChecked());
    EXPECT_TRUE(blue());
    Tick(3600);
    EXPECT_EQ(Text(kCtlTime), QStringLiteral("00:01"));
    Pause()->click();
    EXPECT_FALSE(dlg->Session().IsPaused());
    EXPECT_FALSE(Pause()->isChecked());

    // The automatic pause presses it, the next hand releases it.
    Tick(185);
    EXPECT_TRUE(Pause()->isChecked());
    Hand(-2.0);
    Tick(5);
    EXPECT_FALSE(Pause()->isChecked());
}

TEST_F(SessionClock, MoneyFormatsAndFontSteps) {
    OpenAndStart();
    const int smallFont = MoneyPixelSize();
    struct Case {
        double dTotal;
        const char* szText;
        int nHeight;
    } cases[] = {
        {-999.99, "-999.99", 28},    {-1000.0, "-1000.00", 24}, {12345.67, "12345.67", 22},
        {123456.78, "123456.8", 20}, {-0.001, "0.00", 28}, // no "-0.00" for a total a hair below
                                                           // zero
    };
    int lastPixels = smallFont + 1;
    for (const Case& c : cases) {
        Hand(c.dTotal - app->dTotalMoney);
        Tick();
        EXPECT_EQ(Text(kCtlMoney), QString::fromLatin1(c.szText)) << c.dTotal;
        EXPECT_EQ(dlg->nMoneyFontHeight, c.nHeight) << c.dTotal;
        if (c.nHeight != 28) {
            EXPECT_LT(MoneyPixelSize(), lastPixels) << c.dTotal;
            lastPixels = MoneyPixelSize();
        }
    }
    EXPECT_EQ(MoneyPixelSize(), smallFont); // back at height 28

    // The money text is refreshed only on ticks that see a new hand.
    app->dTotalMoney = 5.0;
    Tick();
    EXPECT_EQ(Text(kCtlMoney), QStringLiteral("0.00"));

    // A larger window has larger steps.
    twtest::ChangeView(*app, [](ViewSettings& v) { v.nSize = 1; });
    dlg->ApplySize(1);
    Hand(-1005.0);
    Tick();
    EXPECT_EQ(dlg->nMoneyFontHeight, 32);
}

TEST_F(SessionClock, TheMoneyFigureIsNeverCutOff) {
    OpenAndStart();
    Hand(-99999.99);
    Tick();
    auto* money = static_cast<CFigureLabel*>(dlg->Control(kCtlMoney));
    EXPECT_EQ(money->text(), QStringLiteral("-99999.99"));
    EXPECT_LE(QFontMetricsF(money->PaintFont()).horizontalAdvance(money->text()),
              money->contentsRect().width());
}

TEST_F(SessionClock, StartAndStopResetTheFiguresAndRunTheWatches) {
    profile.WriteProfileString(L"Alarm2", L"Param", L"1:100:-50");
    profile.WriteProfileInt(L"Alarm2", L"TakeProfit", 1);
    AddRoom();
    Open();
    EXPECT_FALSE(dlg->Button(kCtlStart)->isHidden());
    EXPECT_TRUE(dlg->Button(kCtlStart)->isEnabled());
    app->nTotalHands = 37;
    app->dTotalMoney = 12.5;
    calls.clear();

    dlg->Button(kCtlStart)->click();
    EXPECT_EQ(calls, std::vector<std::string>{"start watches"});
    EXPECT_TRUE(dlg->Button(kCtlStart)->isHidden());
    EXPECT_FALSE(dlg->Button(kCtlStop)->isHidden());
    EXPECT_FALSE(dlg->Button(kCtlPause)->isHidden());
    EXPECT_EQ(Text(kCtlTime), QStringLiteral("00:00"));
    EXPECT_EQ(Text(kCtlHands), QStringLiteral("0"));
    EXPECT_EQ(Text(kCtlMoney), QStringLiteral("0.00"));

    // The figure is this session's result, not the 12.50 left from before.
    Hand(2.0, 4.0);
    Hand(1.0, 2.0);
    Tick(65);
    EXPECT_EQ(Text(kCtlHands), QStringLiteral("2"));
    EXPECT_EQ(Text(kCtlMoney), QStringLiteral("3.00"));
    dlg->TogglePause();
    Pause()->setChecked(true);

    calls.clear();
    dlg->Button(kCtlStop)->click();
    EXPECT_EQ(calls, std::vector<std::string>{"stop watches"});
    EXPECT_EQ(Text(kCtlTime), QStringLiteral("0:00"));
    EXPECT_EQ(Text(kCtlHands), QStringLiteral("0"));
    EXPECT_EQ(Text(kCtlMoney), QStringLiteral("3.00"));
    // The money alarms are read again; the big blinds and peaks start over.
    EXPECT_EQ(app->dTotalBB, 0.0);
    EXPECT_EQ(app->alarmState.dPeakMoney, 0.0);
    EXPECT_EQ(app->alarmState.dTakeProfitLevel, 100.0);
    EXPECT_EQ(app->Alarms().bTakeProfit, 1);
    EXPECT_FALSE(dlg->Button(kCtlStart)->isHidden());
    EXPECT_TRUE(dlg->Button(kCtlStop)->isHidden());

    // Stopped while paused, the next session does not start with Pause pressed.
    dlg->StartSession();
    EXPECT_FALSE(Pause()->isChecked());

    // Closing the window during a session stops the watches.
    calls.clear();
    dlg->close();
    EXPECT_EQ(calls, std::vector<std::string>{"stop watches"});
}

TEST_F(SessionClock, BankrollModeStartsFromTheTotal) {
    app->bBankroll = 1;
    app->dTotalMoney = 1234.5;
    OpenAndStart();
    EXPECT_EQ(Text(kCtlMoney), QStringLiteral("1234.50"));
}

// The Info dialog's rates of the running session: its own result (not the
// bankroll) over its hands and its playing time until now, pauses left out.
TEST_F(SessionClock, RatesOfTheRunningSessionCountItsResultOverItsPlayingTime) {
    app->bBankroll = 1;
    app->dTotalMoney = 1000;
    AddRoom();
    Open();
    EXPECT_FALSE(dlg->SessionRates());
    dlg->StartSession();
    Tick(1800);
    Hand(6.0, 12.0);
    Hand(-1.5, -3.0);
    Hand(1.5, 3.0);
    dlg->TogglePause();
    now += 3600;
    dlg->TogglePause();
    now += 1800; // no tick since: the rates are as of now
    const std::optional<Rates> rates = dlg->SessionRates();
    ASSERT_TRUE(rates);
    EXPECT_DOUBLE_EQ(rates->dBBPer100, 400.0);
    EXPECT_DOUBLE_EQ(rates->dHandsPerHour, 3.0);
    EXPECT_DOUBLE_EQ(rates->dMoneyPerHour, 6.0);
    dlg->StopSession();
    EXPECT_FALSE(dlg->SessionRates());
}
