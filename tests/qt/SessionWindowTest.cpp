#include "tests/qt/WindowFixture.h"
#include "ui/AboutDlg.h"
#include "ui/FigureLabel.h"
#include "ui/Resources.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>

using namespace tw;
using twtest::ChangeAlarms;
using twtest::ChangeView;
using twtest::SendMouseAt;

namespace {

class SessionWindow : public twtest::WindowTest {
protected:
    QRect PrimaryScreen() const { return QGuiApplication::primaryScreen()->geometry(); }

    std::vector<QString> ActionTexts(QMenu& menu) const {
        std::vector<QString> texts;
        for (QAction* a : menu.actions())
            texts.push_back(a->isSeparator() ? QStringLiteral("-") : a->text());
        return texts;
    }
    QAction* Command(QMenu& menu, int id) const {
        for (QAction* a : menu.actions())
            if (a->data().toInt() == id)
                return a;
        return nullptr;
    }
};

} // namespace

TEST_F(SessionWindow, OpensAtItsStoredPositionBroughtOnScreen) {
    profile.WriteProfileString(L"View", L"wndPos", L"-30:10:110:90");
    Open();
    EXPECT_EQ(dlg->pos(), QPoint(0, 10));
    EXPECT_EQ(dlg->size(), QSize(140, 80));
    dlg.reset();

    // A position on a screen that is no longer there.
    const QRect screen = PrimaryScreen();
    profile.WriteProfileString(L"View", L"wndPos",
                               Format(L"%d:%d:0:0", screen.right() + 2000, screen.bottom() + 50));
    Open();
    EXPECT_TRUE(screen.contains(dlg->frameGeometry())) << dlg->frameGeometry().x();

    // Missing numbers count as 0.
    dlg.reset();
    profile.WriteProfileString(L"View", L"wndPos", L"25");
    Open();
    EXPECT_EQ(dlg->pos(), QPoint(25, 0));
}

TEST_F(SessionWindow, ClosingStoresThePosition) {
    profile.WriteProfileString(L"View", L"wndPos", L"40:30:0:0");
    Open();
    dlg->show();
    dlg->move(52, 61);
    // Where a hidden window is said to be is not where it showed.
    dlg->hide();
    dlg->move(0, 0);
    dlg->close();
    EXPECT_EQ(profile.GetProfileString(L"View", L"wndPos", L""), L"52:61:192:141");
}

TEST_F(SessionWindow, LargeAtStartUpOpensAtTheStoredCorner) {
    ChangeView(*app, [](ViewSettings& v) { v.nSize = 2; });
    profile.WriteProfileString(L"View", L"wndPos", L"100:90:401:258");
    Open();
    const QRect templ = dlg->rcTemplate;
    EXPECT_EQ(dlg->geometry(), QRect(100, 90, templ.width() + 160, templ.height() + 80));
    EXPECT_EQ(dlg->nAppliedSize, 2);
    EXPECT_EQ(dlg->Button(kCtlStart)->size(), LoadBitmapResource(170).size());
    const int bottom = dlg->geometry().bottom();
    const int centre = dlg->geometry().center().x();

    // Back to Small after a drag: bottom edge and horizontal centre of the
    // Large window, not of where it was dragged.
    dlg->move(10, 10);
    ChangeView(*app, [](ViewSettings& v) { v.nSize = 0; });
    dlg->ApplySize(0);
    EXPECT_EQ(dlg->size(), templ.size());
    EXPECT_EQ(dlg->geometry().bottom(), bottom);
    EXPECT_NEAR(dlg->geometry().center().x(), centre, 1);
    EXPECT_EQ(dlg->Button(kCtlStart)->size(), LoadBitmapResource(136).size());

    dlg->ApplySize(7); // not a size: nothing changes
    EXPECT_EQ(dlg->nAppliedSize, 0);
}

TEST_F(SessionWindow, ScalesWithTheScreenDpi) {
    dpiX = 144;
    dpiY = 120;
    Open();
    EXPECT_EQ(dlg->size(), QSize(210, 100));
    EXPECT_TRUE(dlg->rgnWindow.contains(QPoint(105, 50)));
    EXPECT_FALSE(dlg->rgnWindow.contains(QPoint(1, 1))); // the corners are rounded off
    EXPECT_FALSE(dlg->rgnWindow.contains(QPoint(209, 99)));
}

TEST_F(SessionWindow, OpacityPercentBecomesAlpha) {
    ChangeView(*app, [](ViewSettings& v) { v.nOpacity = 100; });
    Open();
    EXPECT_EQ(dlg->nAlpha, 254);
    ChangeView(*app, [](ViewSettings& v) { v.nOpacity = 50; });
    dlg->ApplySettings();
    EXPECT_EQ(dlg->nAlpha, 127);
    EXPECT_NEAR(dlg->windowOpacity(), 127 / 255.0, 0.01);
}

TEST_F(SessionWindow, StartNeedsAnActiveRoomOrStartsAtOnce) {
    CxSkinButton* start = nullptr;
    auto startable = [&] {
        start = dlg->Button(kCtlStart);
        return start->isEnabled();
    };
    ChangeView(*app, [](ViewSettings& v) { v.bRunOnStart = 1; });
    Open();
    EXPECT_FALSE(startable());
    EXPECT_EQ(start->toolTip(),
              QStringLiteral("No room yet: add one in Settings (right-click the window)"));
    // A room left unticked in the settings counts nothing either.
    twtest::AddRoom(*app, L"PokerStars", {L"hero", L"/hh", 1.0, false});
    dlg.reset();
    Open();
    EXPECT_FALSE(startable());
    EXPECT_FALSE(dlg->Session().IsRunning());
    EXPECT_EQ(start->toolTip(),
              QStringLiteral("No active room: tick one in Settings (right-click the window)"));
    ChangeView(*app, [](ViewSettings& v) { v.bRunOnStart = 0; });
    AddRoom(L"888 poker");
    dlg->ApplySettings(); // an active room was added in the settings
    EXPECT_TRUE(startable());
    EXPECT_EQ(start->toolTip(), QStringLiteral("Start timer"));
    ASSERT_TRUE(app->RemoveRoom(L"888 poker"));
    dlg->StartSession();
    dlg->StopSession(); // with no active room left
    EXPECT_FALSE(startable());

    AddRoom(L"888 poker");
    dlg.reset();
    ChangeView(*app, [](ViewSettings& v) { v.bRunOnStart = 1; });
    calls.clear();
    Open();
    EXPECT_TRUE(dlg->Session().IsRunning());
    EXPECT_EQ(calls, std::vector<std::string>{"start watches"});
}

TEST_F(SessionWindow, TheFirstStartOpensTheSettings) {
    for (bool first : {false, true}) {
        SCOPED_TRACE(first);
        Open();
        dlg->SetFirstStart(first);
        int opened = 0;
        dlg->fnOpenSettings = [&] {
            ++opened;
            dlg->close();
            return false;
        };
        if (!first)
            QTimer::singleShot(0, dlg.get(), [this] { dlg->close(); });
        dlg->DoModal();
        EXPECT_EQ(opened, first ? 1 : 0);
        dlg.reset();
    }
}

TEST_F(SessionWindow, IndicatorsShowTheAlarmsThatAreOn) {
    ChangeAlarms(*app, [](AlarmSettings& a) { a.bHandsAlarm = a.bTimeAlarm = 1; });
    Open();
    EXPECT_FALSE(dlg->Control(kCtlHandsIcon)->isHidden());
    EXPECT_TRUE(dlg->Control(kCtlMoneyIcon)->isHidden());
    EXPECT_FALSE(dlg->Control(kCtlTimeIcon)->isHidden());
    ChangeAlarms(*app, [](AlarmSettings& a) {
        a.bMoneyAlarm = 1;
        a.bTimeAlarm = 0;
    });
    dlg->ApplySettings();
    EXPECT_FALSE(dlg->Control(kCtlMoneyIcon)->isHidden());
    EXPECT_TRUE(dlg->Control(kCtlTimeIcon)->isHidden());
}

TEST_F(SessionWindow, WithoutANotificationAreaTheWindowStaysReachable) {
    ChangeView(*app, [](ViewSettings& v) { v.bMinTrayAtStartup = 1; });
    Open();
    EXPECT_FALSE(dlg->HasTrayIcon());
    EXPECT_TRUE(dlg->bVisible);
    dlg->show();
    EXPECT_TRUE(dlg->isVisible());
    auto menu = dlg->MakeWindowMenu();
    EXPECT_FALSE(Command(*menu, kCmdMinimizeToTray)->isEnabled());
    dlg->MinimizeToTray();
    EXPECT_TRUE(dlg->isVisible());
}

TEST_F(SessionWindow, HiddenInTheTrayItShowsOnlyThroughTheTray) {
    trayAvailable = true;
    ChangeView(*app, [](ViewSettings& v) { v.bMinTrayAtStartup = 1; });
    Open();
    ASSERT_TRUE(dlg->HasTrayIcon());
    EXPECT_FALSE(dlg->bVisible);
    dlg->show(); // as the program shows its window after start-up
    EXPECT_FALSE(dlg->isVisible());

    dlg->ToggleFromTray();
    EXPECT_TRUE(dlg->isVisible());
    dlg->move(33, 44);
    dlg->ToggleFromTray();
    EXPECT_FALSE(dlg->isVisible());
    dlg->ToggleFromTray();
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->pos(), QPoint(33, 44));

    auto menu = dlg->MakeWindowMenu();
    Command(*menu, kCmdMinimizeToTray)->trigger();
    EXPECT_FALSE(dlg->isVisible());
    auto tray = dlg->MakeTrayMenu();
    EXPECT_EQ(ActionTexts(*tray),
              (std::vector<QString>{"Sessions...", "Default position", "Exit"}));
    EXPECT_FALSE(Command(*tray, kCmdSessions)->isEnabled()); // not wired
    Command(*tray, kCmdDefaultPosition)->trigger();
    EXPECT_TRUE(dlg->isVisible());
    const QRect s = PrimaryScreen();
    EXPECT_EQ(dlg->pos(), QPoint((s.width() - dlg->width()) / 2, (s.height() - dlg->height()) / 2));

    // The tray's exit closes the window: position stored, tray icon gone.
    Command(*tray, kCmdExit)->trigger();
    EXPECT_FALSE(dlg->HasTrayIcon());
    EXPECT_FALSE(profile.GetProfileString(L"View", L"wndPos", L"").empty());
}

TEST_F(SessionWindow, WindowMenuCommands) {
    trayAvailable = true;
    Open();
    auto menu = dlg->MakeWindowMenu();
    EXPECT_EQ(ActionTexts(*menu),
              (std::vector<QString>{"Settings", "Info", "Sessions...", "Minimize to tray",
                                    "About...", "-", "Exit\tAlt+F4"}));
    EXPECT_FALSE(Command(*menu, kCmdSettings)->isEnabled()); // not wired yet
    EXPECT_FALSE(Command(*menu, kCmdInfo)->isEnabled());
    EXPECT_FALSE(Command(*menu, kCmdSessions)->isEnabled());
    EXPECT_TRUE(Command(*menu, kCmdMinimizeToTray)->isEnabled());

    int infos = 0, sessions = 0;
    bool confirm = false;
    dlg->fnShowInfo = [&] { ++infos; };
    dlg->fnShowSessions = [&] { ++sessions; };
    dlg->fnOpenSettings = [&] {
        ChangeView(*app, [](ViewSettings& v) {
            v.nSize = 2;
            v.nColorBg = 0x102030;
        });
        return confirm;
    };
    menu = dlg->MakeWindowMenu();
    Command(*menu, kCmdInfo)->trigger();
    EXPECT_EQ(infos, 1);
    Command(*menu, kCmdSessions)->trigger();
    Command(*dlg->MakeTrayMenu(), kCmdSessions)->trigger();
    EXPECT_EQ(sessions, 2);
    Command(*menu, kCmdSettings)->trigger(); // cancelled: the size is not applied
    EXPECT_EQ(dlg->nAppliedSize, 0);
    confirm = true;
    Command(*menu, kCmdSettings)->trigger();
    EXPECT_EQ(dlg->nAppliedSize, 2);
    EXPECT_EQ(static_cast<CFigureLabel*>(dlg->Control(kCtlMoney))->TextColor(),
              ColorFromRef(app->View().nColorText3));
    EXPECT_EQ(dlg->grab().toImage().pixelColor(70, 100), QColor(0x30, 0x20, 0x10));

    EXPECT_EQ(CAboutDlg().VersionText(), QStringLiteral("Tarnwick, Version 3.1"));
}

TEST_F(SessionWindow, RightClickOpensTheMenuAndLeftDragMovesTheWindow) {
    Open();
    dlg->show();
    dlg->move(100, 100);
    QWidget* figure = dlg->Control(kCtlMoney);

    std::vector<QString> shown;
    QTimer::singleShot(0, [&] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : popup->actions())
                shown.push_back(a->text());
            popup->close();
        }
    });
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 figure->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(figure, &rightClick);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), QStringLiteral("Settings"));

    const QPoint grab = figure->mapToGlobal(QPoint(10, 10));
    SendMouseAt(figure, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    SendMouseAt(figure, QEvent::MouseMove, grab + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    SendMouseAt(figure, QEvent::MouseButtonRelease, grab + QPoint(30, 20), Qt::LeftButton,
                Qt::NoButton);
    EXPECT_EQ(dlg->pos(), QPoint(130, 120));
}

TEST_F(SessionWindow, EveryResourceTheWindowAsksForExists) {
    InitResources();
    for (int id : {133, 134, 135, 136, 137, 138, 139, 144, 145, 146, 180, 181, 182, 183, 184,
                   185, 186, 177, 178, 179, 167, 169, 168, 170, 174, 175, 176, 171, 173, 172})
        EXPECT_FALSE(LoadBitmapResource(id).isNull()) << id;
    // The images of one size match their mask.
    EXPECT_EQ(LoadBitmapResource(171).size(), LoadBitmapResource(170).size());
    EXPECT_EQ(LoadBitmapResource(184).size(), LoadBitmapResource(183).size());
    for (int id : {kIdAppIcon, kIdHandsIcon, kIdMoneyIcon, kIdTimeIcon, kIdUnwatchedIcon}) {
        EXPECT_EQ(LoadIconPixmap(id, 16).size(), QSize(16, 16)) << id;
        EXPECT_EQ(LoadIconPixmap(id, 24).size(), QSize(24, 24)) << id;
    }
    for (int id : {kIdSoundHands, kIdSoundMoney, kIdSoundTime}) {
        QFile wav(SoundResourcePath(id));
        ASSERT_TRUE(wav.open(QIODevice::ReadOnly)) << id;
        const QByteArray head = wav.read(12);
        EXPECT_TRUE(head.startsWith("RIFF") && head.endsWith("WAVE")) << id;
        EXPECT_GT(wav.size(), 8000) << id;
    }
}
