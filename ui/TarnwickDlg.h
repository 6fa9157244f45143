// The session window: a small frameless, always-on-top tool window that
// shows the session time, the hands played and the money won or lost, with
// Start, Stop and Pause buttons, three icons for the alarms that are on and
// a warning mark while a room's folder is not watched.
// Its clock timer ticks the session's rules (CSession: the clock, the pauses,
// the trailing levels, the alarms, the warnings, the break reminder) every 5
// seconds; the window shows the figures and acts on the alarms that fired
// with their sounds, their notices (which hold nothing up) and a mark on the
// figure each concerns, and on warnings likewise, only quieter.
// It also keeps the notification-area icon and the two pop-up menus.
//
// Everything runs on the UI thread. The totals are read from the
// application object, which the history path updates on the same thread.
#pragma once

#include "app/TarnwickApp.h"
#include "session/Session.h"
#include "store/SessionFigures.h"
#include "watch/RoomWatches.h"

#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;
class QLabel;
class QMenu;
class QSystemTrayIcon;

namespace tw {

class CFigureLabel;
class CxSkinButton;
class IAlarmSound;
class CQtAlarmSound;

// Control ids of the session window (Control() answers them).
enum SessionControl : int {
    kCtlTime = 1000,
    kCtlHands = 1001,
    kCtlMoney = 1059,
    kCtlHandsLabel = 1003,
    kCtlMoneyLabel = 1005,
    kCtlStart = 1017,
    kCtlStop = 1010,
    kCtlPause = 1018,
    kCtlTimeIcon = 1007,
    kCtlHandsIcon = 1004,
    kCtlMoneyIcon = 1006,
    kCtlUnwatchedIcon = 1008,
};

// Command ids of the two menus (each QAction's data()).
enum SessionCommand : int {
    kCmdSettings = 32771,
    kCmdInfo = 102,
    kCmdMinimizeToTray = 32772,
    kCmdAbout = 57664,
    kCmdExit = 57665,
    kCmdDefaultPosition = 32777,
    kCmdUnwatchedRoom = 32778, // the line of a room not watched (disabled)
    kCmdSessions = 32779,
};

class CTarnwickDlg : public QWidget {
public:
    // Seconds since 1970-01-01 UTC.
    using Clock = CSession::Clock;

    struct Options {
        Clock clock;                   // empty: the system clock
        IAlarmSound* pSound = nullptr; // null: QSoundEffect, owned by the window
        int nDpiX = 0;                 // 0: the screen's logical DPI
        int nDpiY = 0;
        // Whether a notification area exists; empty:
        // QSystemTrayIcon::isSystemTrayAvailable().
        std::function<bool()> fnTrayAvailable;
    };

    explicit CTarnwickDlg(CTarnwickApp& app);
    CTarnwickDlg(CTarnwickApp& app, const Options& options);
    ~CTarnwickDlg() override;

    // --- Hooks, set before InitDialog / DoModal ---
    // Start one folder watch per configured room; called by StartSession
    // after the hand count is reset, before the clock starts.
    std::function<void()> fnStartWatches;
    // Stop the rooms' watches; called first by StopSession, and when the
    // window closes during a session.
    std::function<void()> fnStopWatches;
    // Called every 500 ms for as long as the window exists.
    std::function<void()> fnIdleTick;
    // Runs the settings dialog modally; true when it was confirmed, after
    // which the window applies the new look (ApplySettings). Empty: the
    // "Settings" command is disabled.
    std::function<bool()> fnOpenSettings;
    // Shows the information dialog. Empty: the "Info" command is disabled.
    std::function<void()> fnShowInfo;
    // Shows the Sessions window (the session history). Empty: the
    // "Sessions..." command of both menus is disabled.
    std::function<void()> fnShowSessions;
    // What the play day's sessions before a session starting at `now` came
    // to (the session history's figures); the day limits add the new
    // session to it. Empty: no history, the day starts with this session.
    std::function<DayResult(std::int64_t now)> fnDayBefore;

    // Lays the window out, places it at its stored position, adds the tray
    // icon and, when so configured, starts the session or hides the window.
    // Runs once; DoModal runs it when it has not run yet.
    void InitDialog();
    // Shows the window and returns when it is closed. On the very first
    // start (see SetFirstStart) the settings dialog opens once the window
    // shows.
    int DoModal();
    // The program runs for the first time (no rooms file yet): the user is
    // taken to the settings to add a room.
    void SetFirstStart(bool first) { bFirstStart = first; }

    // --- Session ---
    // Starts a session. When the day's earlier sessions have reached a day
    // limit already, asks first (Yes/No): No starts nothing; Yes starts, with
    // the limits reached marked fired so they do not fire again at once.
    void StartSession();
    void StopSession();
    void TogglePause();
    // The clock tick: the session's rules, then the figures they changed and
    // the alarms that fired.
    void RefreshSession();
    const CSession& Session() const { return session; }
    // The settings dialog applies the alarms through it (under the lock,
    // only as far as they tighten the limits of a running session).
    CSession& Session() { return session; }
    // How fast the running session goes: bb/100 of its hands, hands and
    // money an hour of its playing time until now; none while no session
    // runs.
    std::optional<Rates> SessionRates() const;

    // --- Layout ---
    // Lays the window out for size 0 (Small), 1 (Medium) or 2 (Large).
    void ApplySize(int size);
    void LayoutForSize(int grow, int baseFont, int size);
    void PlaceAlarmIcons();
    // Shows the indicators of the alarms that are switched on.
    void ShowAlarmIndicators();
    // Shows which rooms of the session are not watched (their folders are
    // missing or went away): a warning mark beside the alarm icons, whose
    // tip names each room and folder, a line per room at the top of the
    // window menu, and the tray icon's tip. An empty list clears them.
    void ShowUnwatchedRooms(const std::vector<CRoomWatches::UnwatchedRoom>& rooms);

    // --- Commands ---
    void OpenSettings();
    // The window's part of confirming the settings: indicators, colours,
    // opacity, the Start button, the size.
    void ApplySettings();
    void ShowInfo();
    void ShowSessions();
    void MinimizeToTray();
    void CenterWindowOnScreen();
    void ShowAbout();
    // The tray icon's double click: hides a shown window, shows a hidden one.
    void ToggleFromTray();
    // The menus as they open now (actions carry their command id as data).
    std::unique_ptr<QMenu> MakeWindowMenu();
    std::unique_ptr<QMenu> MakeTrayMenu();

    // --- Alarms ---
    void PlayAlarmSound(const std::wstring& file, int resourceId, double volume = 1.0);
    // The sound of an alarm that fired, its message where it shows one (a
    // notice, which takes the focus only when the alarm settings say so),
    // and the mark on its figure (see MarkFigure).
    void ActOnAlarm(SessionAlarm alarm);
    // A limit comes near: the built-in warning sound, softly; a notice that
    // never takes the focus, whatever the alarm settings say; and a warning
    // mark on the figure it concerns.
    void ActOnWarning(SessionAlarm alarm);
    // The break reminder: a notice that never takes the focus.
    void RemindBreak();
    // The warning sound's volume (the alarms play at 1).
    static constexpr double kWarningVolume = 0.5;
    // How long a figure stays marked after its alarm.
    static constexpr int kAlarmMarkSeconds = 30;
    // Marks the figure `control` (kCtlTime, kCtlHands, kCtlMoney) for
    // kAlarmMarkSeconds: it blinks in the alarm colours (a warning's in
    // amber) and its tip tells `reason`. A new mark restarts the time; a
    // warning leaves an alarm's mark that is still on as it is.
    void MarkFigure(int control, const QString& reason, bool warning = false);
    bool IsFigureMarked(int control) const;
    bool IsFigureWarningMarked(int control) const;
    // Ends the marks whose time is up (the clock tick and the blink do).
    void ExpireMarks();

    // --- Figures, pushed to the controls by PushFigures ---
    std::wstring strTimeText = L"00:00";
    int nShownHands = 0;
    std::wstring strMoneyText = L"0.00";
    void PushFigures();
    void PullFigures();

    int nMoneyFontHeight = 28;
    int ClockTimerId() const { return nClockTimerId; }

    // --- Window state ---
    QRect rcTemplate;
    QRect rcAnchor;
    int nAppliedSize = 0;
    bool bVisible = false;
    int nAlpha = 255;
    QRegion rgnWindow;
    int DpiX() const { return nDpiX; }
    int DpiY() const { return nDpiY; }
    bool HasTrayIcon() const { return pTray != nullptr; }

    QWidget* Control(int id) const;
    CxSkinButton* Button(int id) const;

    // The money figure: two decimals, one from 100 000 on; never "-0.00".
    static std::wstring MoneyText(double money);
    // The money font height for a total at a window size.
    static int MoneyFontHeightFor(double money, int size);
    // MulDiv(value, dpi, 96), rounded.
    static int Scale(int value, int dpi);

protected:
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

public:
    // Hidden in the notification area, the window stays hidden whoever asks
    // it to show: only the commands that set bVisible first show it.
    void setVisible(bool visible) override;

    // The first hands read in `folder` this session do not name `nickname`:
    // says so in a notice that closes itself and marks the money figure.
    void TellHeroNotNamed(const std::wstring& folder, const std::wstring& nickname);

private:
    // Hears from the history path that a room's hands do not name its hero
    // (delivered on this thread, where the hands are counted).
    struct HeroListener : IHandListener {
        CTarnwickDlg* pDlg = nullptr;
        void HandCounted(const HandRecord&) override {}
        void HeroNotNamed(const std::wstring& folder, const std::wstring& nickname) override {
            pDlg->TellHeroNotNamed(folder, nickname);
        }
    } heroListener;

    void CreateControls();
    QRect DialogRect(int x, int y, int w, int h) const;
    void SetFigureFonts(int timeCell, int handsCell, int moneyCell);
    void SetMoneyFont(int height);
    void SetButtonImages(int size);
    void SetRoundRegion(int corner);
    void ApplyOpacity();
    void MoveToStoredPosition();
    QPoint BringOnScreen(const QRect& rect) const;
    void KillClockTimer();
    // Start is usable while a session runs or a room is active; its tip
    // says how to add one otherwise.
    void UpdateStartButton();
    // Moves the window, as the program's own move (not the window system's).
    void MoveTo(const QPoint& at);
    void RememberPosition();
    void Blink();
    void CreateTrayIcon();
    void DeleteTrayIcon();
    void KeepReachable();
    void SaveWindowPosition();
    void DestroyWindow();
    bool TrayAvailable() const;

    CTarnwickApp& app;
    CSession session;
    IAlarmSound* pSound = nullptr;
    std::unique_ptr<CQtAlarmSound> ownSound;
    std::function<bool()> fnTrayAvailable;

    int nDpiX = 96;
    int nDpiY = 96;
    int nClockTimerId = 0;
    bool bInitialised = false;
    bool bClosed = false;
    bool bFirstStart = false;
    Clock fnClock;
    QEventLoop* pLoop = nullptr;

    CFigureLabel* lblTime = nullptr;
    CFigureLabel* lblHands = nullptr;
    CFigureLabel* lblMoney = nullptr;
    CFigureLabel* lblHandsCaption = nullptr;
    CFigureLabel* lblMoneyCaption = nullptr;
    CxSkinButton* btnStart = nullptr;
    CxSkinButton* btnStop = nullptr;
    CxSkinButton* btnPause = nullptr;
    QLabel* icoTime = nullptr;
    QLabel* icoHands = nullptr;
    QLabel* icoMoney = nullptr;
    QLabel* icoUnwatched = nullptr;
    std::map<int, QWidget*> mapControls;
    std::vector<CRoomWatches::UnwatchedRoom> vecUnwatched;

    QSystemTrayIcon* pTray = nullptr;
    std::unique_ptr<QMenu> trayMenu;
    QTimer timerIdle;      // fnIdleTick every 500 ms
    QTimer timerReachable; // while hidden: shows the window if the tray goes away

    bool bDragging = false;
    QPoint ptDragOffset;

    // Where the window last was while shown: what closing stores.
    QRect rcShown;
    bool bOwnMove = false;            // a move of the program's in progress
    bool bFrameArtefactFixed = false; // one false report corrected since shown

    // The figures marked by an alarm or a warning, and until when (clock
    // seconds).
    struct Mark {
        std::int64_t tUntil = 0;
        bool bWarning = false;
    };
    std::map<int, Mark> mapMarks;
    QTimer timerBlink;
    bool bBlinkLit = false;
};

} // namespace tw
