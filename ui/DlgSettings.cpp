#include "ui/DlgSettings.h"

#include "app/Autostart.h"
#include "app/SettingsValues.h"
#include "app/TarnwickApp.h"
#include "session/Session.h"
#include "support/NumberText.h"
#include "support/TextUtil.h"
#include "ui/ColorButton.h"
#include "ui/DialogIcons.h"
#include "ui/DlgAddRoom.h"
#include "ui/QtUserMessages.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSoundEffect>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace tw {

namespace {

QString Q(const std::wstring& s) {
    return QString::fromStdWString(s);
}

std::wstring W(const QString& s) {
    return s.toStdWString();
}

// Factory colours of the session window, offered as "Default".
const int kDefaultColorBg = 0x37323D;
const int kDefaultColorText = 0xFFFFFF;
const int kDefaultColorText2 = 0x00C313;
const int kDefaultColorText3 = 0x00C0FF;

// Built-in alarm sounds.
const int kSoundHands = 156;
const int kSoundMoney = 157;
const int kSoundTime = 169;

enum RoomColumn { kColRoom = 0, kColNickname = 1, kColPath = 2 };

// A spin box for a negative limit (a stop loss): its arrows count the loss,
// so "up" makes the value more negative.
class CLossSpinBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    void stepBy(int steps) override { QSpinBox::stepBy(-steps); }

protected:
    StepEnabled stepEnabled() const override {
        const StepEnabled e = QSpinBox::stepEnabled();
        StepEnabled r = StepNone;
        if (e & StepUpEnabled)
            r |= StepDownEnabled;
        if (e & StepDownEnabled)
            r |= StepUpEnabled;
        return r;
    }
};

QSpinBox* MakeSpin(QWidget* parent, const char* name, int min, int max, bool loss = false) {
    QSpinBox* spin = loss ? new CLossSpinBox(parent) : new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(min, max);
    spin->setAccelerated(true);
    spin->setMinimumWidth(80);
    return spin;
}

QLineEdit* MakeAmountEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(12);
    edit->setMinimumWidth(80);
    return edit;
}

// An "hh:mm" field of a time limit.
QLineEdit* MakeTimeEdit(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setInputMask(QStringLiteral("99:99;_"));
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + 24);
    return edit;
}

// A spin box for a number of minutes, hands or a share, its unit inside.
QSpinBox* MakeUnitSpin(QWidget* parent, const char* name, int min, int max, const QString& unit) {
    QSpinBox* spin = MakeSpin(parent, name, min, max);
    spin->setSuffix(unit);
    // The unit stays readable in a dialog squeezed to its least width.
    spin->setMinimumWidth(spin->sizeHint().width());
    return spin;
}

// `names` as a sentence: "a", "a and b", "a, b and c".
std::wstring JoinNames(const std::vector<std::wstring>& names) {
    std::wstring text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? L" and " : L", ";
        text += names[i];
    }
    return text;
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& text) {
    auto* check = new QCheckBox(text, parent);
    check->setObjectName(QLatin1String(name));
    return check;
}

QFrame* HorizontalLine(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

// --- Construction ---

CDlgSettings::CDlgSettings(CTarnwickApp& application, QWidget* parent)
    : CDlgSettings(application, nullptr, parent) {}

CDlgSettings::CDlgSettings(CTarnwickApp& application, CSession* session, QWidget* parent)
    : QDialog(parent), app(application), pSession(session), pMessages(application.UserMessages()),
      alarmsOpened(application.Wanted()), viewOpened(application.View()),
      ratesOpened(application.Rates()), bAutostartOpened(IsAutostartOn()) {
    if (!pMessages) {
        ownMessages = std::make_unique<CQtUserMessages>();
        pMessages = ownMessages.get();
    }
    setWindowTitle(QStringLiteral("Settings..."));

    BuildRooms();
    BuildAlarms();
    BuildAppearance();
    BuildCurrency();
    BuildDayLimits();
    BuildStartup();
    LayOut();
    FillFromApp();

    QApplication::instance()->installEventFilter(this);
}

CDlgSettings::~CDlgSettings() {
    QApplication::instance()->removeEventFilter(this);
}

void CDlgSettings::BuildRooms() {
    auto* box = new QGroupBox(QStringLiteral("Room"), this);
    groupRooms = box;

    tableRooms = new QTableWidget(0, 3, box);
    tableRooms->setObjectName(QStringLiteral("tableRooms"));
    tableRooms->setHorizontalHeaderLabels(
        {QStringLiteral("Room"), QStringLiteral("Nickname"), QStringLiteral("History path")});
    tableRooms->setShowGrid(true);
    tableRooms->setSelectionBehavior(QAbstractItemView::SelectRows);
    tableRooms->setSelectionMode(QAbstractItemView::SingleSelection);
    tableRooms->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableRooms->verticalHeader()->hide();
    tableRooms->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    tableRooms->horizontalHeader()->setHighlightSections(false);
    tableRooms->horizontalHeader()->setStretchLastSection(true);
    tableRooms->setColumnWidth(kColRoom, 150);
    tableRooms->setColumnWidth(kColNickname, 100);
    tableRooms->setMinimumWidth(150 + 100 + 180);
    tableRooms->setMinimumHeight(120);
    connect(tableRooms, &QTableWidget::itemSelectionChanged, this, [this] { UpdateRoomButtons(); });

    auto makeButton = [box](const char* name, DialogIcon icon, const QString& tip) {
        auto* b = new QToolButton(box);
        b->setObjectName(QLatin1String(name));
        b->setIcon(MakeDialogIcon(icon));
        b->setIconSize(QSize(16, 16));
        b->setToolTip(tip);
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoRaise(false);
        return b;
    };
    buttonAdd = makeButton("buttonAdd", DialogIcon::Add, QStringLiteral("Add a room"));
    buttonChange =
        makeButton("buttonChange", DialogIcon::Change, QStringLiteral("Change the selected room"));
    buttonDelete =
        makeButton("buttonDelete", DialogIcon::Delete, QStringLiteral("Delete the selected room"));
    connect(buttonAdd, &QToolButton::clicked, this, [this] { OnAdd(); });
    connect(buttonChange, &QToolButton::clicked, this, [this] { OnChange(); });
    connect(buttonDelete, &QToolButton::clicked, this, [this] { OnDelete(); });

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(buttonAdd);
    buttons->addWidget(buttonChange);
    buttons->addWidget(buttonDelete);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(box);
    layout->addWidget(tableRooms, 1);
    layout->addLayout(buttons);
}

CDlgSettings::SoundRow CDlgSettings::MakeSoundRow(const QString& name, int resourceId) {
    SoundRow row;
    row.edit = new QLineEdit(groupAlarms);
    row.edit->setObjectName(QStringLiteral("editSound") + name);
    row.edit->setMinimumWidth(130);
    row.browse = new QToolButton(groupAlarms);
    row.browse->setObjectName(QStringLiteral("buttonBrowse") + name);
    row.browse->setText(QStringLiteral("..."));
    row.browse->setToolTip(QStringLiteral("Choose a WAV file"));
    row.browse->setCursor(Qt::PointingHandCursor);
    row.play = new QToolButton(groupAlarms);
    row.play->setObjectName(QStringLiteral("buttonPlay") + name);
    row.play->setIcon(MakeDialogIcon(DialogIcon::Play));
    row.play->setIconSize(QSize(16, 16));
    row.play->setToolTip(QStringLiteral("Play the sound"));
    row.play->setCursor(Qt::PointingHandCursor);
    QLineEdit* edit = row.edit;
    connect(row.browse, &QToolButton::clicked, this, [this, edit] { BrowseSound(edit); });
    connect(row.play, &QToolButton::clicked, this,
            [this, edit, resourceId] { PlaySound(edit, resourceId); });
    return row;
}

void CDlgSettings::EnableSoundRow(const SoundRow& row, bool enable) {
    row.edit->setEnabled(enable);
    row.browse->setEnabled(enable);
    row.play->setEnabled(enable);
}

void CDlgSettings::BuildAlarms() {
    auto* box = new QGroupBox(this);
    groupAlarms = box;
    QWidget* p = box;

    checkAlarmTime = MakeCheck(p, "checkAlarmTime", QStringLiteral("Alarm time"));
    editAlarmTime = MakeTimeEdit(p, "editAlarmTime");
    checkTimeMessage = MakeCheck(p, "checkTimeMessage", QStringLiteral("Show a message"));
    soundTime = MakeSoundRow(QStringLiteral("Time"), kSoundTime);

    checkAlarmHands = MakeCheck(p, "checkAlarmHands", QStringLiteral("Alarm hands"));
    spinHands = MakeSpin(p, "spinHands", 1, 9999);
    checkHandMessage = MakeCheck(p, "checkHandMessage", QStringLiteral("Show a message"));
    soundHands = MakeSoundRow(QStringLiteral("Hands"), kSoundHands);

    checkAlarmMoney = MakeCheck(p, "checkAlarmMoney", QStringLiteral("Alarm money"));
    checkTakeProfit = MakeCheck(p, "checkTakeProfit", QStringLiteral("Take profit"));
    // Amounts with cents, typed with a point or a comma.
    editTakeProfit = MakeAmountEdit(p, "editTakeProfit");
    checkTrailingTakeProfit = MakeCheck(p, "checkTrailingTakeProfit", QStringLiteral("Trailing"));
    soundTakeProfit = MakeSoundRow(QStringLiteral("TakeProfit"), kSoundMoney);
    checkStopLoss = MakeCheck(p, "checkStopLoss", QStringLiteral("Stop loss"));
    editStopLoss = MakeAmountEdit(p, "editStopLoss");
    checkTrailingStopLoss = MakeCheck(p, "checkTrailingStopLoss", QStringLiteral("Trailing"));
    soundStopLoss = MakeSoundRow(QStringLiteral("StopLoss"), kSoundMoney);
    checkStopLossBB = MakeCheck(p, "checkStopLossBB", QStringLiteral("Stop loss BBs"));
    spinStopLossBB = MakeSpin(p, "spinStopLossBB", -999999, -1, true);
    soundStopLossBB = MakeSoundRow(QStringLiteral("StopLossBB"), kSoundMoney);
    // Off: an alarm's message shows on top without taking the keyboard from
    // the poker table.
    checkMessagesTakeFocus =
        MakeCheck(p, "checkMessagesTakeFocus", QStringLiteral("Alarm messages take the focus"));

    // A warning comes before its alarm, once per level: a quiet sound, a
    // notice that never takes the focus, the figure marked in amber.
    const QString warnTip =
        QStringLiteral("A quiet notice before the alarm, while there is time to play tighter");
    auto warnCheck = [&](const char* name) {
        QCheckBox* check = MakeCheck(p, name, QStringLiteral("Warn"));
        check->setToolTip(warnTip);
        connect(check, &QCheckBox::toggled, this, [this] { EnableWarnings(); });
        return check;
    };
    checkWarnTime = warnCheck("checkWarnTime");
    spinWarnMinutes = MakeUnitSpin(p, "spinWarnMinutes", 1, 5999, QStringLiteral(" min before"));
    checkWarnHands = warnCheck("checkWarnHands");
    spinWarnHands = MakeUnitSpin(p, "spinWarnHands", 1, 9999, QStringLiteral(" hands before"));
    spinWarnPercent = MakeUnitSpin(p, "spinWarnPercent", 1, 99, QStringLiteral(" %"));
    spinWarnPercent->setToolTip(QStringLiteral(
        "The money warnings show this share of the way to their level (from zero, or from the "
        "peak a trailing level follows)"));
    checkWarnTakeProfit = warnCheck("checkWarnTakeProfit");
    checkWarnStopLoss = warnCheck("checkWarnStopLoss");
    checkWarnStopLossBB = warnCheck("checkWarnStopLossBB");

    checkLockLimits =
        MakeCheck(p, "checkLockLimits", QStringLiteral("Lock limits while a session runs"));
    checkLockLimits->setToolTip(
        QStringLiteral("While a session runs, limits can be tightened but not loosened or "
                       "switched off; a loosening waits for the next Start"));
    labelLocked =
        new QLabel(QStringLiteral("A session is running with the limits locked: they can only be "
                                  "tightened now. Anything else takes effect at the next Start."),
                   p);
    labelLocked->setObjectName(QStringLiteral("labelLocked"));
    labelLocked->setWordWrap(true);
    labelLocked->setStyleSheet(QStringLiteral("color: #a05a00;"));

    connect(checkAlarmTime, &QCheckBox::toggled, this, [this] { EnableTimeGroup(); });
    connect(checkAlarmHands, &QCheckBox::toggled, this, [this] { EnableHandsGroup(); });
    connect(checkAlarmMoney, &QCheckBox::toggled, this, [this] { EnableMoneyGroup(); });

    // Columns: switch, label or sub-switch, value, trailing, warning switch,
    // warning value, "Sound file", path, browse, play.
    constexpr int kColumns = 10;
    auto* g = new QGridLayout(box);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(4);
    auto soundCells = [&](int row, const SoundRow& s) {
        g->addWidget(new QLabel(QStringLiteral("Sound file"), p), row, 6);
        g->addWidget(s.edit, row, 7);
        g->addWidget(s.browse, row, 8);
        g->addWidget(s.play, row, 9);
    };
    auto line = [&](int row) { g->addWidget(HorizontalLine(p), row, 0, 1, kColumns); };
    int r = 0;
    g->addWidget(checkAlarmTime, r, 0);
    g->addWidget(new QLabel(QStringLiteral("Time"), p), r, 1, Qt::AlignRight);
    g->addWidget(editAlarmTime, r, 2);
    g->addWidget(checkTimeMessage, r, 3);
    g->addWidget(checkWarnTime, r, 4);
    g->addWidget(spinWarnMinutes, r, 5);
    soundCells(r++, soundTime);
    line(r++);
    g->addWidget(checkAlarmHands, r, 0);
    g->addWidget(new QLabel(QStringLiteral("Hands"), p), r, 1, Qt::AlignRight);
    g->addWidget(spinHands, r, 2);
    g->addWidget(checkHandMessage, r, 3);
    g->addWidget(checkWarnHands, r, 4);
    g->addWidget(spinWarnHands, r, 5);
    soundCells(r++, soundHands);
    line(r++);
    g->addWidget(checkAlarmMoney, r, 0, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Warn at"), p), r, 4);
    g->addWidget(spinWarnPercent, r++, 5);
    g->addWidget(checkTakeProfit, r, 1);
    g->addWidget(editTakeProfit, r, 2);
    g->addWidget(checkTrailingTakeProfit, r, 3);
    g->addWidget(checkWarnTakeProfit, r, 4);
    soundCells(r++, soundTakeProfit);
    g->addWidget(checkStopLoss, r, 1);
    g->addWidget(editStopLoss, r, 2);
    g->addWidget(checkTrailingStopLoss, r, 3);
    g->addWidget(checkWarnStopLoss, r, 4);
    soundCells(r++, soundStopLoss);
    g->addWidget(checkStopLossBB, r, 1);
    g->addWidget(spinStopLossBB, r, 2);
    g->addWidget(checkWarnStopLossBB, r, 4);
    soundCells(r++, soundStopLossBB);
    line(r++);
    g->addWidget(checkMessagesTakeFocus, r, 0, 1, 4);
    g->addWidget(checkLockLimits, r++, 4, 1, kColumns - 4);
    g->addWidget(labelLocked, r++, 0, 1, kColumns);
    g->setColumnMinimumWidth(0, 16);
    g->setColumnStretch(7, 1);
}

void CDlgSettings::BuildAppearance() {
    auto* box = new QGroupBox(QStringLiteral("Appearance"), this);
    groupAppearance = box;

    colorBg = new CColorButton(kDefaultColorBg, viewOpened.nColorBg, box);
    colorBg->setObjectName(QStringLiteral("colorBg"));
    colorTime = new CColorButton(kDefaultColorText, viewOpened.nColorText, box);
    colorTime->setObjectName(QStringLiteral("colorTime"));
    colorHand = new CColorButton(kDefaultColorText2, viewOpened.nColorText2, box);
    colorHand->setObjectName(QStringLiteral("colorHand"));
    colorMoney = new CColorButton(kDefaultColorText3, viewOpened.nColorText3, box);
    colorMoney->setObjectName(QStringLiteral("colorMoney"));
    // A pick changes the application colour at once; the session window
    // shows it at its next repaint, and Cancel does not take it back.
    auto wire = [this](CColorButton* button, int ViewSettings::*member) {
        button->fnPicked = [this, member](int color) {
            ViewSettings picked = app.View();
            picked.*member = color;
            app.SetView(picked);
            if (fnColorsChanged)
                fnColorsChanged();
        };
    };
    wire(colorBg, &ViewSettings::nColorBg);
    wire(colorTime, &ViewSettings::nColorText);
    wire(colorHand, &ViewSettings::nColorText2);
    wire(colorMoney, &ViewSettings::nColorText3);

    comboSize = new QComboBox(box);
    comboSize->setObjectName(QStringLiteral("comboSize"));
    comboSize->addItems(
        {QStringLiteral("Small"), QStringLiteral("Medium"), QStringLiteral("Large")});

    sliderOpacity = new QSlider(Qt::Horizontal, box);
    sliderOpacity->setObjectName(QStringLiteral("sliderOpacity"));
    sliderOpacity->setRange(1, 100);
    sliderOpacity->setMinimumWidth(110);
    labelOpacity = new QLabel(box);
    labelOpacity->setObjectName(QStringLiteral("labelOpacity"));
    labelOpacity->setMinimumWidth(
        labelOpacity->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
    labelOpacity->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(sliderOpacity, &QSlider::valueChanged, this, [this] { UpdateOpacityLabel(); });

    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(4);
    int r = 0;
    const std::pair<const char*, CColorButton*> colors[] = {
        {"Background", colorBg}, {"Time", colorTime}, {"Hand", colorHand}, {"Money", colorMoney}};
    for (const auto& [label, button] : colors) {
        g->addWidget(new QLabel(QLatin1String(label), box), r, 0);
        g->addWidget(button, r++, 1, 1, 2, Qt::AlignLeft);
    }
    g->addWidget(new QLabel(QStringLiteral("Size"), box), r, 0);
    g->addWidget(comboSize, r++, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Opacity"), box), r, 0);
    g->addWidget(sliderOpacity, r, 1);
    g->addWidget(labelOpacity, r++, 2);
    g->setColumnStretch(1, 1);
}

void CDlgSettings::BuildCurrency() {
    auto* box = new QGroupBox(QStringLiteral("Curency"), this);
    groupCurrencyBox = box;
    groupCurrency = new QButtonGroup(this);
    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(4);
    const char* names[3] = {"USD", "EUR", "GBP"};
    for (int c = 0; c < 3; ++c) {
        auto* radio = new QRadioButton(QStringLiteral(" ") + QLatin1String(names[c]), box);
        radio->setObjectName(QStringLiteral("radio") + QLatin1String(names[c]));
        groupCurrency->addButton(radio, c);
        editRate[c] = new QLineEdit(box);
        editRate[c]->setObjectName(QStringLiteral("editRate") + QLatin1String(names[c]));
        editRate[c]->setMaximumWidth(90);
        g->addWidget(radio, c, 0);
        g->addWidget(editRate[c], c, 1);
    }
    // Switching the display currency resets the rates to its defaults.
    connect(groupCurrency, &QButtonGroup::idClicked, this,
            [this](int id) { SetCurrencyDefaults(id, false); });
}

void CDlgSettings::BuildDayLimits() {
    auto* box = new QGroupBox(QStringLiteral("Day limits"), this);
    groupDayLimits = box;
    box->setToolTip(QStringLiteral("Over all the sessions of the day (a day begins at 06:00)"));
    checkDayStopLoss = MakeCheck(box, "checkDayStopLoss", QStringLiteral("Stop loss"));
    editDayStopLoss = MakeAmountEdit(box, "editDayStopLoss");
    checkDayStopLossBB = MakeCheck(box, "checkDayStopLossBB", QStringLiteral("Stop loss BBs"));
    spinDayStopLossBB = MakeSpin(box, "spinDayStopLossBB", -999999, -1, true);
    checkDayTime = MakeCheck(box, "checkDayTime", QStringLiteral("Playing time"));
    editDayTime = MakeTimeEdit(box, "editDayTime");
    for (QCheckBox* check : {checkDayStopLoss, checkDayStopLossBB, checkDayTime})
        connect(check, &QCheckBox::toggled, this, [this] { EnableDayLimitsAndBreaks(); });

    auto* g = new QGridLayout(box);
    g->setVerticalSpacing(4);
    int r = 0;
    g->addWidget(checkDayStopLoss, r, 0);
    g->addWidget(editDayStopLoss, r++, 1);
    g->addWidget(checkDayStopLossBB, r, 0);
    g->addWidget(spinDayStopLossBB, r++, 1);
    g->addWidget(checkDayTime, r, 0);
    g->addWidget(editDayTime, r++, 1, Qt::AlignLeft);
    g->setColumnStretch(1, 1);

    // Every so many minutes of playing time; a pause as long as a break
    // starts the count again.
    auto* breaks = new QGroupBox(QStringLiteral("Break reminder"), this);
    groupBreaks = breaks;
    checkBreakReminder = MakeCheck(breaks, "checkBreakReminder", QStringLiteral("Every"));
    spinBreakMinutes = MakeUnitSpin(breaks, "spinBreakMinutes", 1, 5999, QStringLiteral(" min"));
    spinBreakPauseMinutes =
        MakeUnitSpin(breaks, "spinBreakPauseMinutes", 1, 5999, QStringLiteral(" min"));
    spinBreakPauseMinutes->setToolTip(
        QStringLiteral("A pause this long counts as the break: the count starts again"));
    connect(checkBreakReminder, &QCheckBox::toggled, this, [this] { EnableDayLimitsAndBreaks(); });
    auto* b = new QGridLayout(breaks);
    b->setVerticalSpacing(4);
    b->addWidget(checkBreakReminder, 0, 0);
    b->addWidget(spinBreakMinutes, 0, 1);
    b->addWidget(new QLabel(QStringLiteral("of play"), breaks), 0, 2);
    b->addWidget(new QLabel(QStringLiteral("A pause of"), breaks), 1, 0);
    b->addWidget(spinBreakPauseMinutes, 1, 1);
    b->addWidget(new QLabel(QStringLiteral("resets"), breaks), 1, 2);
    b->setColumnStretch(1, 1);
}

void CDlgSettings::BuildStartup() {
    auto* box = new QWidget(this);
    groupStartup = box;
    checkRunOnStart =
        MakeCheck(box, "checkRunOnStart", QStringLiteral(" Start at program startup"));
    // The desktop's autostart entry, written or removed at OK.
    checkAutostart = MakeCheck(box, "checkAutostart", QStringLiteral("Start with the desktop"));
    checkMinTray =
        MakeCheck(box, "checkMinTray", QStringLiteral("Minimize to tray at program startup"));
    checkAutoPause = MakeCheck(box, "checkAutoPause", QStringLiteral("Auto Pause"));
    spinAutoPauseMin = MakeSpin(box, "spinAutoPauseMin", 1, 999999);
    connect(checkAutoPause, &QCheckBox::toggled, this, [this] { EnableAutoPause(); });

    auto* pause = new QHBoxLayout;
    pause->addWidget(checkAutoPause);
    pause->addWidget(spinAutoPauseMin);
    pause->addWidget(new QLabel(QStringLiteral("mins"), box));
    pause->addStretch();
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(checkRunOnStart);
    layout->addWidget(checkAutostart);
    layout->addWidget(checkMinTray);
    layout->addLayout(pause);
}

void CDlgSettings::LayOut() {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("buttonOk"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("buttonCancel"));
    for (QAbstractButton* b : buttons->buttons()) {
        b->setCursor(Qt::PointingHandCursor);
        // Enter is not a way to confirm this dialog.
        if (auto* push = qobject_cast<QPushButton*>(b)) {
            push->setAutoDefault(false);
            push->setDefault(false);
        }
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDlgSettings::reject);

    auto* right = new QVBoxLayout;
    right->addWidget(groupAppearance);
    right->addWidget(groupCurrencyBox);
    right->addWidget(groupDayLimits);
    right->addWidget(groupBreaks);
    right->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(groupRooms, 0, 0);
    grid->addLayout(right, 0, 1, 2, 1);
    grid->addWidget(groupAlarms, 1, 0);
    grid->addWidget(groupStartup, 2, 0);
    grid->addWidget(buttons, 2, 1, Qt::AlignBottom);
    grid->setColumnStretch(0, 1);
    grid->setSizeConstraint(QLayout::SetMinimumSize);
}

void CDlgSettings::FillFromApp() {
    for (const auto& [name, room] : app.Rooms())
        AppendRoomRow(name, room.strNickname, room.strHistoryPath, room.bActive);
    UpdateRoomButtons();

    const AlarmSettings& a = alarmsOpened;
    checkAlarmTime->setChecked(a.bTimeAlarm != 0);
    // The field holds two digits of hours; a longer limit (only from an edited
    // profile) shows as the longest one it can hold.
    editAlarmTime->setText(a.nTimeLimit <= kMaxTimeLimit && a.strAlarmTime.size() == 5
                               ? Q(a.strAlarmTime)
                               : Q(AlarmTimeText(std::min(a.nTimeLimit, kMaxTimeLimit))));
    checkTimeMessage->setChecked(a.bTimeMessage != 0);
    soundTime.edit->setText(Q(a.soundTime.strPath));

    checkAlarmHands->setChecked(a.bHandsAlarm != 0);
    spinHands->setValue(a.nHandsLimit);
    checkHandMessage->setChecked(a.bHandMessage != 0);
    soundHands.edit->setText(Q(a.soundHands.strPath));

    checkAlarmMoney->setChecked(a.bMoneyAlarm != 0);
    checkTakeProfit->setChecked(a.bTakeProfit != 0);
    editTakeProfit->setText(Q(FormatFixed(a.dTakeProfitAmount, 2)));
    checkTrailingTakeProfit->setChecked(a.bTrailingTakeProfit != 0);
    soundTakeProfit.edit->setText(Q(a.soundTakeProfit.strPath));
    checkStopLoss->setChecked(a.bStopLoss != 0);
    editStopLoss->setText(Q(FormatFixed(a.dStopLossAmount, 2)));
    checkTrailingStopLoss->setChecked(a.bTrailingStopLoss != 0);
    soundStopLoss.edit->setText(Q(a.soundStopLoss.strPath));
    checkStopLossBB->setChecked(a.bStopLossBB != 0);
    // The stop in force (which trailing may have moved from its amount),
    // unless the lock holds another for the next session.
    spinStopLossBB->setValue(app.HasHeld() ? a.nAlarmLossBB
                                           : static_cast<int>(app.alarmState.dBBStopInitial));
    soundStopLossBB.edit->setText(Q(a.soundStopLossBB.strPath));
    checkMessagesTakeFocus->setChecked(a.bMessagesTakeFocus != 0);

    checkWarnTime->setChecked(a.bWarnTime != 0);
    spinWarnMinutes->setValue(a.nWarnMinutes);
    checkWarnHands->setChecked(a.bWarnHands != 0);
    spinWarnHands->setValue(a.nWarnHands);
    spinWarnPercent->setValue(a.nWarnPercent);
    checkWarnTakeProfit->setChecked(a.bWarnTakeProfit != 0);
    checkWarnStopLoss->setChecked(a.bWarnStopLoss != 0);
    checkWarnStopLossBB->setChecked(a.bWarnStopLossBB != 0);
    checkLockLimits->setChecked(a.bLockLimits != 0);
    // The lock cannot be lifted by the session it holds.
    const bool locked = LockedNow();
    checkLockLimits->setEnabled(!locked);
    labelLocked->setVisible(locked);

    checkDayStopLoss->setChecked(a.bDayStopLoss != 0);
    editDayStopLoss->setText(Q(FormatFixed(a.dDayStopLoss, 2)));
    checkDayStopLossBB->setChecked(a.bDayStopLossBB != 0);
    spinDayStopLossBB->setValue(a.nDayStopLossBB);
    checkDayTime->setChecked(a.bDayTime != 0);
    editDayTime->setText(Q(AlarmTimeText(std::clamp(a.nDayMinutes, 1, kMaxTimeLimit))));
    checkBreakReminder->setChecked(a.bBreakReminder != 0);
    spinBreakMinutes->setValue(a.nBreakMinutes);
    spinBreakPauseMinutes->setValue(a.nBreakPauseMinutes);

    checkRunOnStart->setChecked(viewOpened.bRunOnStart != 0);
    checkAutostart->setChecked(bAutostartOpened);
    checkMinTray->setChecked(viewOpened.bMinTrayAtStartup != 0);
    checkAutoPause->setChecked(a.bAutoPause != 0);
    spinAutoPauseMin->setValue(a.nAutoPauseMin);

    if (viewOpened.nSize >= 0 && viewOpened.nSize <= 2)
        comboSize->setCurrentIndex(viewOpened.nSize);
    sliderOpacity->setValue(viewOpened.nOpacity);
    UpdateOpacityLabel();

    EnableHandsGroup();
    EnableMoneyGroup();
    EnableTimeGroup();
    EnableAutoPause();
    EnableDayLimitsAndBreaks();
    SetCurrencyDefaults(ratesOpened.nDisplayCurrency, true);
}

// --- Enable rules ---

void CDlgSettings::EnableHandsGroup() {
    const bool on = checkAlarmHands->isChecked();
    spinHands->setEnabled(on);
    checkHandMessage->setEnabled(on);
    EnableSoundRow(soundHands, on);
    EnableWarnings();
}

void CDlgSettings::EnableMoneyGroup() {
    // The three switches stay usable: they arm their alarm for when the money
    // alarms are turned on.
    const bool on = checkAlarmMoney->isChecked();
    editTakeProfit->setEnabled(on);
    checkTrailingTakeProfit->setEnabled(on);
    EnableSoundRow(soundTakeProfit, on);
    editStopLoss->setEnabled(on);
    checkTrailingStopLoss->setEnabled(on);
    EnableSoundRow(soundStopLoss, on);
    spinStopLossBB->setEnabled(on);
    EnableSoundRow(soundStopLossBB, on);
    EnableWarnings();
}

void CDlgSettings::EnableTimeGroup() {
    const bool on = checkAlarmTime->isChecked();
    editAlarmTime->setEnabled(on);
    checkTimeMessage->setEnabled(on);
    EnableSoundRow(soundTime, on);
    EnableWarnings();
}

void CDlgSettings::EnableWarnings() {
    // A warning belongs to its alarm: usable while the alarm is on, its
    // value while the warning is.
    const bool time = checkAlarmTime->isChecked();
    checkWarnTime->setEnabled(time);
    spinWarnMinutes->setEnabled(time && checkWarnTime->isChecked());
    const bool hands = checkAlarmHands->isChecked();
    checkWarnHands->setEnabled(hands);
    spinWarnHands->setEnabled(hands && checkWarnHands->isChecked());
    const bool money = checkAlarmMoney->isChecked();
    bool anyMoney = false;
    for (QCheckBox* check : {checkWarnTakeProfit, checkWarnStopLoss, checkWarnStopLossBB}) {
        check->setEnabled(money);
        anyMoney = anyMoney || check->isChecked();
    }
    spinWarnPercent->setEnabled(money && anyMoney);
}

void CDlgSettings::EnableDayLimitsAndBreaks() {
    editDayStopLoss->setEnabled(checkDayStopLoss->isChecked());
    spinDayStopLossBB->setEnabled(checkDayStopLossBB->isChecked());
    editDayTime->setEnabled(checkDayTime->isChecked());
    spinBreakMinutes->setEnabled(checkBreakReminder->isChecked());
    spinBreakPauseMinutes->setEnabled(checkBreakReminder->isChecked());
}

bool CDlgSettings::LockedNow() const {
    return pSession && pSession->IsRunning() && app.Alarms().bLockLimits;
}

void CDlgSettings::EnableAutoPause() {
    spinAutoPauseMin->setEnabled(checkAutoPause->isChecked());
}

void CDlgSettings::UpdateOpacityLabel() {
    labelOpacity->setText(QString::number(sliderOpacity->value()) + QLatin1Char('%'));
}

void CDlgSettings::UpdateRoomButtons() {
    const bool selected = !tableRooms->selectionModel()->selectedRows().isEmpty();
    buttonChange->setEnabled(selected);
    buttonDelete->setEnabled(selected);
}

// --- Currency ---

void CDlgSettings::SetCurrencyDefaults(int currency, bool useStored) {
    if (currency < kCurrencyUSD || currency > kCurrencyGBP)
        currency = kCurrencyUSD;
    const CurrencyDefaults d = DefaultRatesFor(currency);
    const wchar_t* defaults[3] = {d.szUSD, d.szEUR, d.szGBP};
    for (int c = 0; c < 3; ++c) {
        editRate[c]->setText(QString::fromWCharArray(defaults[c]));
        editRate[c]->setEnabled(c != currency);
        if (useStored)
            editRate[c]->setText(Q(ratesOpened.strRate[c]));
    }
    groupCurrency->button(currency)->setChecked(true);
}

// --- Rooms ---

void CDlgSettings::AppendRoomRow(const std::wstring& name, const std::wstring& nickname,
                                 const std::wstring& path, bool active) {
    const int row = tableRooms->rowCount();
    tableRooms->insertRow(row);
    auto* item = new QTableWidgetItem(Q(name));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(active ? Qt::Checked : Qt::Unchecked);
    tableRooms->setItem(row, kColRoom, item);
    for (auto [col, text] : {std::pair{kColNickname, &nickname}, std::pair{kColPath, &path}}) {
        auto* cell = new QTableWidgetItem(Q(*text));
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        cell->setToolTip(Q(*text));
        tableRooms->setItem(row, col, cell);
    }
}

std::vector<RoomRow> CDlgSettings::RoomRows() const {
    std::vector<RoomRow> rows;
    for (int r = 0; r < tableRooms->rowCount(); ++r) {
        const QTableWidgetItem* item = tableRooms->item(r, kColRoom);
        rows.push_back({W(item->text()), item->checkState() == Qt::Checked});
    }
    return rows;
}

void CDlgSettings::OnAdd() {
    CDlgAddRoom dlg(app.RoomNames(), pMessages, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    // A room just added is meant to count: its row starts ticked, as the
    // room is active in memory; OK saves it with its row's state.
    AppendRoomRow(dlg.strRoomName, dlg.strNickname, dlg.strHistoryPath, true);
    StoreRoom(dlg.strRoomName, dlg);
}

void CDlgSettings::StoreRoom(const std::wstring& name, const CDlgAddRoom& dlg) {
    const CPokerRoom* known = app.FindRoom(name);
    CPokerRoom room = known ? *known : CPokerRoom();
    // The history reader picks the parser by this number, so a room added or
    // changed now is read correctly in this run too.
    room.nRoomNumber = RoomNumberFromName(name);
    room.bActive = true;
    room.strNickname = dlg.strNickname;
    room.strHistoryPath = dlg.strHistoryPath;
    room.dExchangeRate = LeadingDouble(dlg.strRate);
    app.SetRoom(name, room, 1);
}

void CDlgSettings::OnChange() {
    const QModelIndexList selected = tableRooms->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.front().row();
    const std::wstring name = W(tableRooms->item(row, kColRoom)->text());
    const CPokerRoom* room = app.FindRoom(name);
    const double rate = room ? room->dExchangeRate : 1.0;
    CDlgAddRoom dlg(app.RoomNames(), pMessages, name,
                    W(tableRooms->item(row, kColNickname)->text()),
                    W(tableRooms->item(row, kColPath)->text()), FormatFixed(rate, 4), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    tableRooms->item(row, kColNickname)->setText(Q(dlg.strNickname));
    tableRooms->item(row, kColNickname)->setToolTip(Q(dlg.strNickname));
    tableRooms->item(row, kColPath)->setText(Q(dlg.strHistoryPath));
    tableRooms->item(row, kColPath)->setToolTip(Q(dlg.strHistoryPath));
    StoreRoom(name, dlg);
}

void CDlgSettings::OnDelete() {
    const QModelIndexList selected = tableRooms->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    const int row = selected.front().row();
    const std::wstring name = W(tableRooms->item(row, kColRoom)->text());
    if (!app.RemoveRoom(name))
        return;
    tableRooms->removeRow(row);
    UpdateRoomButtons();
}

// --- Sounds ---

void CDlgSettings::PlaySound(QLineEdit* edit, int resourceId) {
    // The same choice the alarm makes: the file when it exists, otherwise the
    // built-in sound.
    CAlarmSound s;
    s.Set(W(edit->text()));
    if (fnPlaySound)
        fnPlaySound(s.File(), resourceId);
    else
        PlayDefault(s.File(), resourceId);
}

void CDlgSettings::PlayDefault(const std::wstring& file, int resourceId) {
    QUrl url;
    if (!file.empty()) {
        url = QUrl::fromLocalFile(Q(file));
    } else {
        const QString builtIn = QStringLiteral(":/wav/%1.wav").arg(resourceId);
        if (!QFile::exists(builtIn)) {
            QApplication::beep();
            return;
        }
        url = QUrl(QStringLiteral("qrc") + builtIn);
    }
    // One effect for the dialog: a new sound cuts off the one playing. It
    // plays asynchronously; nothing waits for it.
    if (!sound)
        sound = std::make_unique<QSoundEffect>();
    sound->stop();
    sound->setSource(url);
    sound->play();
}

void CDlgSettings::BrowseSound(QLineEdit* edit) {
    const QString current = edit->text().trimmed();
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Sound file"),
        current.isEmpty() ? QString() : QFileInfo(current).absolutePath(),
        QStringLiteral("Wave Files (*.wav)"));
    if (!file.isEmpty())
        edit->setText(QDir::toNativeSeparators(file));
}

// --- Enter filter, messages ---

bool CDlgSettings::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->window() == this)
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgSettings::Tell(const std::wstring& text) {
    pMessages->MessageBoxInfo(text, L"Tarnwick");
}

// --- OK ---

void CDlgSettings::accept() {
    // Everything is checked before anything is stored: a refused OK leaves
    // the application as it was, and Cancel afterwards changes nothing.

    int timeLimit = 0;
    std::wstring timeText;
    if (!ParseTimeLimit(W(editAlarmTime->displayText()), timeLimit, timeText)) {
        Tell(L"Alarm time format 00:00 !");
        editAlarmTime->setFocus();
        return;
    }
    int dayMinutes = 0;
    if (std::wstring dayText;
        !ParseTimeLimit(W(editDayTime->displayText()), dayMinutes, dayText) || dayMinutes < 1) {
        Tell(L"Enter the playing time of a day as hours and minutes, like 04:00!");
        editDayTime->setFocus();
        return;
    }

    // An amount that cannot be read keeps the dialog open on it: a limit
    // other than the one typed would fire at the wrong time.
    double takeProfit = 0.0, stopLoss = 0.0, dayStopLoss = 0.0;
    const struct {
        QLineEdit* edit;
        MoneyLimit kind;
        double* amount;
        const wchar_t* szTell;
    } limits[] = {
        {editTakeProfit, MoneyLimit::TakeProfit, &takeProfit,
         L"Enter the take profit as an amount, like 50 or 12.50!"},
        {editStopLoss, MoneyLimit::StopLoss, &stopLoss,
         L"Enter the stop loss as the amount you may lose, like 50 or 12.50!"},
        {editDayStopLoss, MoneyLimit::StopLoss, &dayStopLoss,
         L"Enter the day stop loss as the amount you may lose in a day, like 100 or 80.50!"},
    };
    for (const auto& l : limits) {
        if (!ParseMoneyLimit(W(l.edit->text()), l.kind, *l.amount)) {
            Tell(l.szTell);
            l.edit->setFocus();
            l.edit->selectAll();
            return;
        }
    }

    if (tableRooms->rowCount() == 0) {
        Tell(L"Enter settings room!");
        buttonAdd->setFocus();
        return;
    }

    RateSettings rates;
    rates.nDisplayCurrency = std::max(groupCurrency->checkedId(), 0);
    for (int c = 0; c < 3; ++c) {
        rates.strRate[c] = Trim(W(editRate[c]->text()));
        if (double rate = 0.0; !ParseRate(rates.strRate[c], rate)) {
            Tell(L"Enter the currency exchange rate as a number greater than 0, like 1.12!");
            editRate[c]->setFocus();
            editRate[c]->selectAll();
            return;
        }
    }

    // The new settings start from those the dialog opened with, so that
    // anything it does not show stays as it was.
    AlarmSettings alarms = alarmsOpened;
    alarms.bTimeAlarm = checkAlarmTime->isChecked() ? 1 : 0;
    alarms.nTimeLimit = timeLimit;
    alarms.strAlarmTime = timeText; // as entered: "00:90" stays so
    alarms.soundTime.Set(W(soundTime.edit->text()));
    alarms.bHandsAlarm = checkAlarmHands->isChecked() ? 1 : 0;
    alarms.nHandsLimit = spinHands->value();
    alarms.soundHands.Set(W(soundHands.edit->text()));
    alarms.bMoneyAlarm = checkAlarmMoney->isChecked() ? 1 : 0;
    alarms.dTakeProfitAmount = takeProfit;
    alarms.dStopLossAmount = stopLoss;
    alarms.bTimeMessage = checkTimeMessage->isChecked() ? 1 : 0;
    alarms.bHandMessage = checkHandMessage->isChecked() ? 1 : 0;
    alarms.bMessagesTakeFocus = checkMessagesTakeFocus->isChecked() ? 1 : 0;
    alarms.nAlarmLossBB = spinStopLossBB->value();
    alarms.bTakeProfit = checkTakeProfit->isChecked() ? 1 : 0;
    alarms.bStopLoss = checkStopLoss->isChecked() ? 1 : 0;
    alarms.bStopLossBB = checkStopLossBB->isChecked() ? 1 : 0;
    alarms.bTrailingTakeProfit = checkTrailingTakeProfit->isChecked() ? 1 : 0;
    alarms.bTrailingStopLoss = checkTrailingStopLoss->isChecked() ? 1 : 0;
    alarms.soundTakeProfit.Set(W(soundTakeProfit.edit->text()));
    alarms.soundStopLoss.Set(W(soundStopLoss.edit->text()));
    alarms.soundStopLossBB.Set(W(soundStopLossBB.edit->text()));
    alarms.bAutoPause = checkAutoPause->isChecked() ? 1 : 0;
    alarms.nAutoPauseMin = spinAutoPauseMin->value();
    auto on = [](const QCheckBox* check) { return check->isChecked() ? 1 : 0; };
    alarms.bWarnTime = on(checkWarnTime);
    alarms.nWarnMinutes = spinWarnMinutes->value();
    alarms.bWarnHands = on(checkWarnHands);
    alarms.nWarnHands = spinWarnHands->value();
    alarms.nWarnPercent = spinWarnPercent->value();
    alarms.bWarnTakeProfit = on(checkWarnTakeProfit);
    alarms.bWarnStopLoss = on(checkWarnStopLoss);
    alarms.bWarnStopLossBB = on(checkWarnStopLossBB);
    alarms.bLockLimits = on(checkLockLimits);
    alarms.bDayStopLoss = on(checkDayStopLoss);
    alarms.dDayStopLoss = dayStopLoss;
    alarms.bDayStopLossBB = on(checkDayStopLossBB);
    alarms.nDayStopLossBB = spinDayStopLossBB->value();
    alarms.bDayTime = on(checkDayTime);
    alarms.nDayMinutes = dayMinutes;
    alarms.bBreakReminder = on(checkBreakReminder);
    alarms.nBreakMinutes = spinBreakMinutes->value();
    alarms.nBreakPauseMinutes = spinBreakPauseMinutes->value();

    ViewSettings view = viewOpened;
    view.nColorBg = colorBg->Color(); // each pick took effect at once already
    view.nColorText = colorTime->Color();
    view.nColorText2 = colorHand->Color();
    view.nColorText3 = colorMoney->Color();
    view.bRunOnStart = checkRunOnStart->isChecked() ? 1 : 0;
    view.bMinTrayAtStartup = checkMinTray->isChecked() ? 1 : 0;
    view.nOpacity = sliderOpacity->value();
    if (comboSize->currentIndex() >= 0 && comboSize->currentIndex() <= 2)
        view.nSize = comboSize->currentIndex();

    // A raised hands or time limit arms its fired alarm again, a changed
    // money limit takes its new level at once. Under the lock a running
    // session takes only what tightens its limits; the rest is held for
    // its next Start (and the profile keeps what was asked for).
    const LockResult held = pSession ? pSession->ChangeAlarms(alarms) : LockResult();
    if (!pSession)
        app.SetAlarms(alarms);
    app.SetView(view);
    app.SetRates(rates);

    // The rooms file (which tells the user itself when it cannot be written),
    // then the profile.
    app.SaveRooms(RoomRows());
    const bool stored = app.SaveProfileSettings();
    if (!app.StoreAlarmMessageSwitches() || !stored)
        Tell(L"The settings could not be saved completely; they apply until the program "
             L"ends.");
    if (held.Any()) {
        std::vector<std::wstring> names;
        for (SessionAlarm alarm : held.vecHeld)
            names.push_back(LimitName(alarm));
        std::wstring text = L"Locked while the session runs:";
        if (!names.empty())
            text += L" the new " + JoinNames(names) + L" take" + (names.size() == 1 ? L"s" : L"") +
                    L" effect at the next Start.";
        if (held.bLockHeld)
            text += L" The lock stays on until the session ends.";
        Tell(text);
    }
    if (checkAutostart->isChecked() != bAutostartOpened) {
        const std::wstring problem = SetAutostart(checkAutostart->isChecked(), app.strExePath);
        if (!problem.empty())
            Tell(problem);
    }

    if (fnApplyToWindow)
        fnApplyToWindow();
    QDialog::accept();
}

} // namespace tw
