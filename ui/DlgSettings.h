// The settings dialog: the rooms to watch, the time, hands and money alarms
// with their sounds and warnings, the lock on the limits, the day limits, the
// break reminder, automatic pause and start-up, the session window's
// colours, size and opacity, and the display currency with its rates.
//
// It edits the application object. The controls are filled from copies of
// its alarm (as the user last set them: Wanted), view and rate settings; OK
// builds new ones from the controls, sets each whole (the alarms through the
// session, which under the lock keeps a running session's limits from being
// loosened) and writes the rooms file and the application profile.
// Cancel changes none of them, with two kinds of edit that act at once and
// stay after Cancel for the rest of the run: colour picks (the view's
// colours) and adds, changes and deletes of rooms (the configured rooms and
// their names' in-use marks).
#pragma once

#include "app/ViewSettings.h"
#include "model/SessionModel.h"
#include "session/AlarmSettings.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QSoundEffect;
class QSpinBox;
class QTableWidget;
class QToolButton;
class QCheckBox;

namespace tw {

class CDlgAddRoom;

class CTarnwickApp;
class CSession;
class CColorButton;
class IUserMessages;
struct RoomRow;

class CDlgSettings : public QDialog {
public:
    // Fills the controls from `app`, which must outlive the dialog. Messages
    // go through app.UserMessages() (message boxes of our own when it has
    // none).
    explicit CDlgSettings(CTarnwickApp& app, QWidget* parent = nullptr);
    // The same for the session window's `session` (which must outlive the
    // dialog; null: none): OK applies the alarms through it. While it runs
    // with the limits locked, the dialog says that they can only be
    // tightened, the lock cannot be switched off, and OK tells which limits
    // wait for the next Start.
    CDlgSettings(CTarnwickApp& app, CSession* session, QWidget* parent = nullptr);
    ~CDlgSettings() override;

    // Called after a successful OK, once the application object holds the new
    // settings and the rooms file and the profile are written, just before
    // the dialog closes with Accepted. The session window sets it to apply
    // what it shows from the settings:
    //  - show or hide its three alarm indicators by the alarms' bHandsAlarm,
    //    bMoneyAlarm and bTimeAlarm;
    //  - background nColorBg of the view (and the text colours nColorText,
    //    nColorText2, nColorText3, which colour picks may have changed);
    //  - window opacity int(nOpacity * 2.55) / 255.0;
    //  - enable Start when the clock is not running and app.Rooms() is not
    //    empty;
    //  - lay itself out for the view's nSize (0 Small, 1 Medium, 2 Large)
    //    when that differs from the size in effect;
    //  - refresh its figures and repaint itself completely.
    std::function<void()> fnApplyToWindow;

    // Called after every colour pick (which already changed the application
    // colour); the window may repaint at once. Optional.
    std::function<void()> fnColorsChanged;

    // Plays an alarm sound without waiting for it: the WAV file `file`, or,
    // when it is empty, the built-in sound `resourceId` (156 hands, 157 take
    // profit and the stop losses, 169 time). By default through QSoundEffect
    // (the built-in sounds from ":/wav/<id>.wav").
    std::function<void(const std::wstring& file, int resourceId)> fnPlaySound;

    // Fills the three rate fields with the default rates for the display
    // currency `currency` (whose own field shows "1.00" and is disabled) and
    // selects its radio button; with `useStored`, the fields show the rates
    // the dialog opened with instead.
    void SetCurrencyDefaults(int currency, bool useStored);

    // OK: checks the time texts, the amounts, the room list and the rates (a
    // message and the dialog stays open, nothing changed), then sets the
    // alarms, the view and the rates whole, writes the rooms file and the
    // profile, tells which limits the lock holds for the next Start, calls
    // fnApplyToWindow and closes.
    void accept() override;

protected:
    // Swallows Enter and Return for every control of this dialog, so that
    // Enter never confirms it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildRooms();
    void BuildAlarms();
    void BuildAppearance();
    void BuildCurrency();
    void BuildDayLimits();
    void BuildStartup();
    void LayOut();
    void FillFromApp();

    void EnableHandsGroup();
    void EnableMoneyGroup();
    void EnableTimeGroup();
    void EnableAutoPause();
    void EnableWarnings();
    void EnableDayLimitsAndBreaks();
    // A session runs with the limits locked: they can only be tightened.
    bool LockedNow() const;
    void UpdateRoomButtons();
    void UpdateOpacityLabel();

    void OnAdd();
    void OnChange();
    // Puts what the add-room dialog holds into the room of that name.
    void StoreRoom(const std::wstring& name, const CDlgAddRoom& dlg);
    void OnDelete();
    void AppendRoomRow(const std::wstring& name, const std::wstring& nickname,
                       const std::wstring& path, bool active);
    std::vector<RoomRow> RoomRows() const;
    void PlaySound(QLineEdit* edit, int resourceId);
    void PlayDefault(const std::wstring& file, int resourceId);
    void BrowseSound(QLineEdit* edit);
    void Tell(const std::wstring& text);

    // A sound path edit with its browse and play buttons.
    struct SoundRow {
        QLineEdit* edit = nullptr;
        QToolButton* browse = nullptr;
        QToolButton* play = nullptr;
    };
    SoundRow MakeSoundRow(const QString& name, int resourceId);
    static void EnableSoundRow(const SoundRow& row, bool enable);

    CTarnwickApp& app;
    CSession* pSession = nullptr;
    IUserMessages* pMessages;
    std::unique_ptr<IUserMessages> ownMessages;
    std::unique_ptr<QSoundEffect> sound;

    // The settings as they were when the dialog opened; OK starts the new
    // ones from these. The amount fields show whole numbers: an amount the
    // user leaves alone keeps its cents from here.
    const AlarmSettings alarmsOpened;
    const ViewSettings viewOpened;
    const RateSettings ratesOpened;
    const bool bAutostartOpened;

    QTableWidget* tableRooms = nullptr;
    QToolButton* buttonAdd = nullptr;
    QToolButton* buttonChange = nullptr;
    QToolButton* buttonDelete = nullptr;

    QCheckBox* checkAlarmTime = nullptr;
    QLineEdit* editAlarmTime = nullptr;
    QCheckBox* checkTimeMessage = nullptr;
    SoundRow soundTime;
    QCheckBox* checkAlarmHands = nullptr;
    QSpinBox* spinHands = nullptr;
    QCheckBox* checkHandMessage = nullptr;
    SoundRow soundHands;
    QCheckBox* checkAlarmMoney = nullptr;
    QCheckBox* checkTakeProfit = nullptr;
    QLineEdit* editTakeProfit = nullptr;
    QCheckBox* checkTrailingTakeProfit = nullptr;
    SoundRow soundTakeProfit;
    QCheckBox* checkStopLoss = nullptr;
    QLineEdit* editStopLoss = nullptr;
    QCheckBox* checkTrailingStopLoss = nullptr;
    SoundRow soundStopLoss;
    QCheckBox* checkStopLossBB = nullptr;
    QSpinBox* spinStopLossBB = nullptr;
    SoundRow soundStopLossBB;
    QCheckBox* checkMessagesTakeFocus = nullptr;
    // Warnings before the alarms.
    QCheckBox* checkWarnTime = nullptr;
    QSpinBox* spinWarnMinutes = nullptr;
    QCheckBox* checkWarnHands = nullptr;
    QSpinBox* spinWarnHands = nullptr;
    QSpinBox* spinWarnPercent = nullptr;
    QCheckBox* checkWarnTakeProfit = nullptr;
    QCheckBox* checkWarnStopLoss = nullptr;
    QCheckBox* checkWarnStopLossBB = nullptr;
    QCheckBox* checkLockLimits = nullptr;
    QLabel* labelLocked = nullptr; // shown while the limits are locked

    QCheckBox* checkDayStopLoss = nullptr;
    QLineEdit* editDayStopLoss = nullptr;
    QCheckBox* checkDayStopLossBB = nullptr;
    QSpinBox* spinDayStopLossBB = nullptr;
    QCheckBox* checkDayTime = nullptr;
    QLineEdit* editDayTime = nullptr;
    QCheckBox* checkBreakReminder = nullptr;
    QSpinBox* spinBreakMinutes = nullptr;
    QSpinBox* spinBreakPauseMinutes = nullptr;

    QCheckBox* checkRunOnStart = nullptr;
    QCheckBox* checkAutostart = nullptr;
    QCheckBox* checkMinTray = nullptr;
    QCheckBox* checkAutoPause = nullptr;
    QSpinBox* spinAutoPauseMin = nullptr;

    CColorButton* colorBg = nullptr;
    CColorButton* colorTime = nullptr;
    CColorButton* colorHand = nullptr;
    CColorButton* colorMoney = nullptr;
    QComboBox* comboSize = nullptr;
    QSlider* sliderOpacity = nullptr;
    QLabel* labelOpacity = nullptr;

    QButtonGroup* groupCurrency = nullptr;
    QLineEdit* editRate[3] = {};

    QWidget* groupRooms = nullptr;
    QWidget* groupAlarms = nullptr;
    QWidget* groupAppearance = nullptr;
    QWidget* groupCurrencyBox = nullptr;
    QWidget* groupDayLimits = nullptr;
    QWidget* groupBreaks = nullptr;
    QWidget* groupStartup = nullptr;
};

} // namespace tw
