#include "ui/TarnwickDlg.h"
#include "session/AlarmText.h"
#include "support/NumberText.h"
#include "support/TextUtil.h"
#include "ui/AboutDlg.h"
#include "ui/AlarmSound.h"
#include "ui/FigureLabel.h"
#include "ui/Resources.h"
#include "ui/SkinButton.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimerEvent>
#include <QWindow>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace tw {

namespace {

constexpr int kClockPeriodMs = 5000;
constexpr int kIdlePeriodMs = 500;
constexpr int kReachableCheckMs = 5000;
constexpr int kBlinkMs = 500;

// The window as first created, in dialog units of its 8-point dialog font
// (4 units across and 8 down per character cell of 6 × 13 pixels at 96 DPI).
constexpr int kTemplateWidthDu = 94;
constexpr int kTemplateHeightDu = 54;
// Its size once initialised, in pixels at 96 DPI.
constexpr int kStartWidth = 140;
constexpr int kStartHeight = 80;

// Button bitmaps per size: normal, down (also hover), disabled, mask.
struct ButtonSkin {
    int nNormal, nDown, nDisabled, nMask;
};
struct SizeSkins {
    ButtonSkin start, stop, pause;
};
constexpr SizeSkins kSkins[3] = {
    {{133, 134, 135, 136}, {137, 138, 139, 136}, {144, 145, 146, 136}},
    {{180, 181, 182, 183}, {184, 185, 186, 183}, {177, 178, 179, 183}},
    {{167, 169, 168, 170}, {174, 175, 176, 170}, {171, 173, 172, 170}},
};

const QString kSerif = QStringLiteral("Times New Roman");
const QString kSans = QStringLiteral("Arial");

QString Q(const std::wstring& s) {
    return QString::fromStdWString(s);
}

int ScreenDpi(bool horizontal) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96;
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? int(std::lround(dpi)) : 96;
}

} // namespace

int CTarnwickDlg::Scale(int value, int dpi) {
    return int(std::lround(double(value) * dpi / 96.0));
}

std::wstring CTarnwickDlg::MoneyText(double money) {
    std::wstring text = FormatFixed(money, std::fabs(money) >= 100000 ? 1 : 2);
    // A total a hair below zero would otherwise read as a loss.
    if (text.size() > 1 && text[0] == L'-' &&
        text.find_first_not_of(L"0.", 1) == std::wstring::npos)
        text.erase(0, 1);
    return text;
}

int CTarnwickDlg::MoneyFontHeightFor(double money, int size) {
    static constexpr int kHeights[3][4] = {{28, 24, 22, 20}, {36, 32, 30, 28}, {44, 40, 38, 36}};
    const double a = std::fabs(money);
    const int column = a < 1000 ? 0 : a < 10000 ? 1 : a < 100000 ? 2 : 3;
    return kHeights[size >= 0 && size <= 2 ? size : 0][column];
}

// --- Creation ---------------------------------------------------------------

CTarnwickDlg::CTarnwickDlg(CTarnwickApp& application) : CTarnwickDlg(application, Options()) {}

CTarnwickDlg::CTarnwickDlg(CTarnwickApp& application, const Options& options)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      app(application), session(application, application, options.clock), pSound(options.pSound),
      fnTrayAvailable(options.fnTrayAvailable) {
    InitResources();
    if (!pSound) {
        ownSound = std::make_unique<CQtAlarmSound>();
        pSound = ownSound.get();
    }
    fnClock =
        options.clock ? options.clock : Clock([] { return std::int64_t(std::time(nullptr)); });
    nDpiX = options.nDpiX > 0 ? options.nDpiX : ScreenDpi(true);
    nDpiY = options.nDpiY > 0 ? options.nDpiY : ScreenDpi(false);

    heroListener.pDlg = this;
    app.AddHandListener(&heroListener);

    setWindowTitle(QStringLiteral("Tarnwick"));
    setAttribute(Qt::WA_QuitOnClose, false);
    // The window stays above the poker tables without being the active one:
    // its tips (the rooms not watched, the buttons) show all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    CreateControls();

    timerIdle.setInterval(kIdlePeriodMs);
    QObject::connect(&timerIdle, &QTimer::timeout, this, [this] {
        if (fnIdleTick)
            fnIdleTick();
    });
    timerIdle.start();
    timerBlink.setInterval(kBlinkMs);
    QObject::connect(&timerBlink, &QTimer::timeout, this, [this] { Blink(); });
    timerReachable.setInterval(kReachableCheckMs);
    QObject::connect(&timerReachable, &QTimer::timeout, this, [this] { KeepReachable(); });

    // Alt+F4 closes the window where no window manager handles it.
    auto* exit = new QAction(this);
    exit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
    QObject::connect(exit, &QAction::triggered, this, [this] { close(); });
    addAction(exit);
}

CTarnwickDlg::~CTarnwickDlg() {
    app.RemoveHandListener(&heroListener);
    DestroyWindow();
}

void CTarnwickDlg::TellHeroNotNamed(const std::wstring& folder, const std::wstring& nickname) {
    const std::wstring text =
        L"Hands in " + folder + L" do not name " + nickname + L"; the name must match exactly";
    // The money figure stays flat while the name does not match: it is
    // marked like an alarm's, with the reason in its tip.
    MarkFigure(kCtlMoney, Q(text));
    app.ShowAlarmMessage(text, L"Tarnwick: check the nickname", false);
}

QRect CTarnwickDlg::DialogRect(int x, int y, int w, int h) const {
    auto dx = [this](int du) { return int(std::lround(du * 6.0 / 4.0 * nDpiX / 96.0)); };
    auto dy = [this](int du) { return int(std::lround(du * 13.0 / 8.0 * nDpiY / 96.0)); };
    return QRect(dx(x), dy(y), dx(w), dy(h));
}

void CTarnwickDlg::CreateControls() {
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignTop;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignTop;
    lblTime = new CFigureLabel(
        QStringLiteral("0:00"), right, [this] { return app.View().nColorText; }, this);
    lblHands = new CFigureLabel(
        QStringLiteral("0"), right, [this] { return app.View().nColorText2; }, this);
    lblMoney = new CFigureLabel(
        QStringLiteral("0"), right, [this] { return app.View().nColorText3; }, this);
    lblHandsCaption = new CFigureLabel(
        QStringLiteral("Hands"), left, [this] { return app.View().nColorText2; }, this);
    lblMoneyCaption = new CFigureLabel(
        QStringLiteral("Money"), left, [this] { return app.View().nColorText3; }, this);
    lblTime->setGeometry(DialogRect(51, 2, 36, 12));
    lblHands->setGeometry(DialogRect(41, 15, 46, 12));
    lblMoney->setGeometry(DialogRect(41, 27, 47, 23));
    lblHandsCaption->setGeometry(DialogRect(22, 16, 21, 8));
    lblMoneyCaption->setGeometry(DialogRect(20, 31, 22, 8));
    QFont dialogFont(kSans);
    dialogFont.setPixelSize(Scale(11, nDpiY));
    lblHandsCaption->setFont(dialogFont);
    lblMoneyCaption->setFont(dialogFont);

    // The three buttons are two-state buttons: a checked one shows its
    // pressed image, which is how Pause shows a paused clock.
    btnStart = new CxSkinButton(this, CxSkinButton::kCheck);
    btnStop = new CxSkinButton(this, CxSkinButton::kCheck);
    btnPause = new CxSkinButton(this, CxSkinButton::kCheck);
    btnStart->setGeometry(DialogRect(4, 31, 14, 12));
    btnStop->setGeometry(DialogRect(4, 30, 14, 12));
    btnPause->setGeometry(DialogRect(4, 16, 14, 12));
    btnStop->hide();
    QObject::connect(btnStart, &QAbstractButton::clicked, this, [this] { StartSession(); });
    QObject::connect(btnStop, &QAbstractButton::clicked, this, [this] { StopSession(); });
    QObject::connect(btnPause, &QAbstractButton::clicked, this, [this] { TogglePause(); });

    icoTime = new QLabel(this);
    icoHands = new QLabel(this);
    icoMoney = new QLabel(this);
    icoTime->setGeometry(DialogRect(4, 3, 20, 20));
    icoHands->setGeometry(DialogRect(23, 3, 20, 20));
    icoMoney->setGeometry(DialogRect(43, 3, 20, 20));
    icoTime->setPixmap(LoadIconPixmap(kIdTimeIcon, 32));
    icoHands->setPixmap(LoadIconPixmap(kIdHandsIcon, 32));
    icoMoney->setPixmap(LoadIconPixmap(kIdMoneyIcon, 32));
    // Shown while a room of the session is not watched.
    icoUnwatched = new QLabel(this);
    icoUnwatched->hide();

    mapControls = {{kCtlTime, lblTime},
                   {kCtlHands, lblHands},
                   {kCtlMoney, lblMoney},
                   {kCtlHandsLabel, lblHandsCaption},
                   {kCtlMoneyLabel, lblMoneyCaption},
                   {kCtlStart, btnStart},
                   {kCtlStop, btnStop},
                   {kCtlPause, btnPause},
                   {kCtlTimeIcon, icoTime},
                   {kCtlHandsIcon, icoHands},
                   {kCtlMoneyIcon, icoMoney},
                   {kCtlUnwatchedIcon, icoUnwatched}};

    const QRect templ = DialogRect(0, 0, kTemplateWidthDu, kTemplateHeightDu);
    resize(templ.size());
}

QWidget* CTarnwickDlg::Control(int id) const {
    auto it = mapControls.find(id);
    return it == mapControls.end() ? nullptr : it->second;
}

CxSkinButton* CTarnwickDlg::Button(int id) const {
    return dynamic_cast<CxSkinButton*>(Control(id));
}

// --- Initialisation -----------------------------------------------------------

void CTarnwickDlg::InitDialog() {
    if (bInitialised)
        return;
    bInitialised = true;
    rcTemplate = QRect(pos(), size());

    SetButtonImages(0);
    btnStop->SetTipText(QStringLiteral("Stop timer"));
    btnPause->SetTipText(QStringLiteral("Pause timer"));
    btnStop->hide();
    btnPause->hide();

    UpdateStartButton();
    if (btnStart->isEnabled() && app.View().bRunOnStart)
        StartSession();

    setWindowIcon(LoadIconResource(kIdAppIcon));

    resize(Scale(kStartWidth, nDpiX), Scale(kStartHeight, nDpiY));
    SetRoundRegion(15);
    SetFigureFonts(Scale(18, nDpiY), Scale(22, nDpiY), Scale(nMoneyFontHeight, nDpiY));

    MoveToStoredPosition();

    rcAnchor = geometry();
    const int size = app.View().nSize;
    if (size == 2 || size == 1) {
        const int shift = Scale(size == 2 ? 80 : 40, nDpiX);
        rcAnchor.setTop(rcAnchor.top() + shift);
        rcAnchor.setLeft(rcAnchor.left() + shift);
        rcAnchor.setRight(rcAnchor.right() - shift);
    }
    ApplySize(size);
    PlaceAlarmIcons();
    ShowAlarmIndicators();
    ApplyOpacity();
    // In bankroll mode the figure is the bankroll from the start; otherwise
    // it is the session's, 0.00 until one runs.
    if (!session.IsRunning())
        strMoneyText = MoneyText(app.dTotalMoney);
    PushFigures();
    update();
    // Until the window shows, its position is where it was placed.
    RememberPosition();

    bVisible = true;
    CreateTrayIcon();
    if (app.View().bMinTrayAtStartup) {
        if (pTray) {
            bVisible = false;
            hide();
        } else {
            // Hidden without a notification area, the window could never be
            // brought back.
            app.WriteLogLine(L"No notification area: the window stays visible at start-up");
        }
    }
}

int CTarnwickDlg::DoModal() {
    InitDialog();
    if (bVisible)
        show();
    if (bClosed)
        return 0;
    QEventLoop loop;
    pLoop = &loop;
    if (bFirstStart && fnOpenSettings)
        QTimer::singleShot(0, this, [this] {
            if (!bClosed)
                OpenSettings();
        });
    loop.exec();
    pLoop = nullptr;
    return 0;
}

void CTarnwickDlg::MoveToStoredPosition() {
    const std::wstring stored = app.GetProfileString(L"View", L"wndPos", L"");
    // The size the window will have once its size setting is applied.
    QSize final = size();
    if (const int sizeSetting = app.View().nSize; sizeSetting == 1 || sizeSetting == 2) {
        const int grow = Scale(sizeSetting == 2 ? 80 : 40, nDpiX);
        final = QSize(rcTemplate.width() + 2 * grow, rcTemplate.height() + grow);
    }
    if (stored.empty()) {
        // First run: the middle of the primary screen.
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect s = screen->geometry();
            MoveTo(QPoint(s.left() + (s.width() - final.width()) / 2,
                          s.top() + (s.height() - final.height()) / 2));
        }
        return;
    }
    int left = 0, top = 0, right = 0, bottom = 0;
    ScanColonFields(stored, {&left, &top, &right, &bottom});
    // A position off every screen (a monitor since removed, a hand-edited
    // value) would leave the window where nobody can reach it.
    MoveTo(BringOnScreen(QRect(QPoint(left, top), final)));
}

QPoint CTarnwickDlg::BringOnScreen(const QRect& rect) const {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return QPoint(std::max(rect.left(), 0), std::max(rect.top(), 0));
    // The screen that shows most of the window, else the nearest one.
    const QScreen* best = nullptr;
    long long bestArea = -1;
    for (const QScreen* screen : screens) {
        const QRect overlap = screen->geometry().intersected(rect);
        const long long area = overlap.isEmpty() ? 0 : 1LL * overlap.width() * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    if (bestArea == 0) {
        long long bestDistance = -1;
        const QPoint centre = rect.center();
        for (const QScreen* screen : screens) {
            const QRect g = screen->geometry();
            const long long dx = std::max({g.left() - centre.x(), 0, centre.x() - g.right()});
            const long long dy = std::max({g.top() - centre.y(), 0, centre.y() - g.bottom()});
            const long long distance = dx * dx + dy * dy;
            if (bestDistance < 0 || distance < bestDistance) {
                bestDistance = distance;
                best = screen;
            }
        }
    }
    const QRect g = best->geometry();
    const int x = std::max(g.left(), std::min(rect.left(), g.left() + g.width() - rect.width()));
    const int y = std::max(g.top(), std::min(rect.top(), g.top() + g.height() - rect.height()));
    return QPoint(x, y);
}

// --- Layout ---------------------------------------------------------------------

void CTarnwickDlg::SetFigureFonts(int timeCell, int handsCell, int moneyCell) {
    lblTime->setFont(CellHeightFont(kSerif, timeCell, QFont::Bold));
    lblHands->setFont(CellHeightFont(kSerif, handsCell, QFont::Bold));
    lblMoney->setFont(CellHeightFont(kSerif, moneyCell, QFont::Bold));
}

void CTarnwickDlg::SetMoneyFont(int height) {
    nMoneyFontHeight = height;
    lblMoney->setFont(CellHeightFont(kSerif, Scale(height, nDpiY), QFont::Bold));
}

void CTarnwickDlg::SetButtonImages(int size) {
    const SizeSkins& s = kSkins[size];
    btnStart->LoadSkin(s.start.nNormal, s.start.nDown, s.start.nDown, s.start.nDisabled,
                       s.start.nMask);
    btnStop->LoadSkin(s.stop.nNormal, s.stop.nDown, s.stop.nDown, s.stop.nDisabled, s.stop.nMask);
    // Pressed, Pause shows the paused clock; hovering must not look paused.
    btnPause->LoadSkin(s.pause.nNormal, s.pause.nDown, s.pause.nNormal, s.pause.nDisabled,
                       s.pause.nMask);
}

void CTarnwickDlg::SetRoundRegion(int corner) {
    QPainterPath path;
    path.addRoundedRect(QRectF(1, 1, width() - 2, height() - 2), corner / 2.0, corner / 2.0);
    rgnWindow = QRegion(path.toFillPolygon().toPolygon());
    setMask(rgnWindow);
}

void CTarnwickDlg::ApplySize(int size) {
    switch (size) {
    case 0:
        LayoutForSize(Scale(20, nDpiX), 14, 0);
        break;
    case 1:
        LayoutForSize(Scale(40, nDpiX), 20, 1);
        break;
    case 2:
        LayoutForSize(Scale(80, nDpiX), 28, 2);
        break;
    default:
        break;
    }
}

void CTarnwickDlg::LayoutForSize(int grow, int base, int size) {
    if (size == nAppliedSize || size < 0 || size > 2)
        return;
    PullFigures();

    // Every size is laid out from the anchor, so a size change puts the
    // window back where the anchor says, whatever dragging happened since.
    QRect r(rcAnchor.topLeft(), rcTemplate.size());
    if (size == 1 || size == 2)
        r.adjust(-grow, -grow, grow, 0);
    bOwnMove = true;
    setGeometry(r);
    bOwnMove = false;

    const int w = r.width(), h = r.height();
    lblTime->setGeometry(w / 2, 3, w / 2 - 5, h / 4);
    lblHands->setGeometry(w / 2, h / 4 + 3, w / 2 - 5, h / 4);
    lblMoney->setGeometry(w / 2, h / 2 + 10, w / 2 - 5, h / 2);
    btnStart->setGeometry(3, 2 * (h / 3), w / 4, h / 3);
    btnStop->setGeometry(3, 2 * (h / 3), w / 4, h / 3);
    lblMoneyCaption->setGeometry(w / 4, 2 * (h / 3) - 2, w / 4, h / 3);
    btnPause->setGeometry(3, h / 3 + 8, w / 4, h / 3);
    lblHandsCaption->setGeometry(w / 4, h / 3 - 1, w / 4, h / 3);

    SetFigureFonts(base + 6, base + 10, base + 16);
    lblHandsCaption->setFont(CellHeightFont(kSans, base, QFont::Normal));
    lblMoneyCaption->setFont(CellHeightFont(kSans, base, QFont::Normal));

    SetButtonImages(size);
    SetRoundRegion(size == 0 ? 15 : size == 1 ? 25 : 35);
    PlaceAlarmIcons();
    nAppliedSize = size;
    PushFigures();
}

void CTarnwickDlg::PlaceAlarmIcons() {
    const QPoint at = icoTime->pos();
    const bool small = app.View().nSize == 0;
    const int iconSize = small ? 16 : 24;
    const int hands = small ? 20 : 28;
    const int money = small ? 38 : 54;
    icoTime->setGeometry(at.x(), at.y(), iconSize, iconSize);
    icoHands->setGeometry(at.x() + hands, at.y(), iconSize, iconSize);
    icoMoney->setGeometry(at.x() + money, at.y(), iconSize, iconSize);
    icoHands->setPixmap(LoadIconPixmap(kIdHandsIcon, iconSize));
    icoMoney->setPixmap(LoadIconPixmap(kIdMoneyIcon, iconSize));
    icoTime->setPixmap(LoadIconPixmap(kIdTimeIcon, iconSize));
    // The warning mark keeps its place after the alarm icons, whichever of
    // them show, clear of the session time.
    icoUnwatched->setGeometry(at.x() + money + iconSize + (small ? 3 : 4), at.y(), iconSize,
                              iconSize);
    icoUnwatched->setPixmap(LoadIconPixmap(kIdUnwatchedIcon, iconSize));
    update();
}

void CTarnwickDlg::ShowUnwatchedRooms(const std::vector<CRoomWatches::UnwatchedRoom>& rooms) {
    vecUnwatched = rooms;
    QString tip;
    if (!rooms.empty()) {
        tip = QStringLiteral("Not watched until the folder is there again:");
        for (const auto& room : rooms)
            tip += QStringLiteral("\n%1: %2 (%3)")
                       .arg(Q(room.strRoom), Q(room.strFolder), Q(DescribeWatchError(room.nError)));
    }
    icoUnwatched->setToolTip(tip);
    icoUnwatched->setVisible(!rooms.empty());
    if (pTray)
        pTray->setToolTip(
            rooms.empty()
                ? QStringLiteral("Tarnwick")
                : QStringLiteral("Tarnwick: %1 room(s) not watched").arg(qsizetype(rooms.size())));
}

void CTarnwickDlg::ShowAlarmIndicators() {
    icoHands->setVisible(app.Alarms().bHandsAlarm != 0);
    icoMoney->setVisible(app.Alarms().bMoneyAlarm != 0);
    icoTime->setVisible(app.Alarms().bTimeAlarm != 0);
}

void CTarnwickDlg::ApplyOpacity() {
    nAlpha = static_cast<int>(app.View().nOpacity * 2.55);
    setWindowOpacity(nAlpha / 255.0);
}

void CTarnwickDlg::PushFigures() {
    lblTime->setText(Q(strTimeText));
    lblHands->setText(QString::number(nShownHands));
    lblMoney->setText(Q(strMoneyText));
}

void CTarnwickDlg::PullFigures() {
    strTimeText = lblTime->text().toStdWString();
    nShownHands = lblHands->text().toInt();
    strMoneyText = lblMoney->text().toStdWString();
}

void CTarnwickDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ColorFromRef(app.View().nColorBg));
}

// --- Session --------------------------------------------------------------------

void CTarnwickDlg::KillClockTimer() {
    if (nClockTimerId != 0) {
        killTimer(nClockTimerId);
        nClockTimerId = 0;
    }
}

void CTarnwickDlg::UpdateStartButton() {
    bool active = false;
    for (const auto& [name, room] : app.Rooms())
        active = active || room.bActive;
    btnStart->setEnabled(active || session.IsRunning());
    if (active)
        btnStart->SetTipText(QStringLiteral("Start timer"));
    else if (app.Rooms().empty())
        btnStart->SetTipText(
            QStringLiteral("No room yet: add one in Settings (right-click the window)"));
    else
        btnStart->SetTipText(
            QStringLiteral("No active room: tick one in Settings (right-click the window)"));
}

void CTarnwickDlg::StartSession() {
    // The day limits count the day's earlier sessions. One reached already
    // is a reason to stop for the day: the user decides.
    const DayResult day = fnDayBefore ? fnDayBefore(fnClock()) : DayResult();
    const std::vector<SessionAlarm> reached = DayLimitsReached(day, app.Wanted());
    if (!reached.empty()) {
        // Without any way to ask, the user's Start stands.
        IUserMessages* messages = app.UserMessages();
        const int answer = messages ? messages->MessageBoxTimeout(
                                          DayLimitQuestion(reached, day, app.Wanted()),
                                          L"Tarnwick: day limit reached", kMbTimedQuestionStyle, 0)
                                    : kIdYes;
        if (answer != kIdYes) {
            btnStart->setChecked(false);
            return;
        }
    }

    // The hand count starts from zero before the watches can count a hand.
    session.SetCarryMoney(app.bBankroll != 0);
    session.SetDayBefore(day);
    session.Start(fnStartWatches);
    // Started knowingly past a day limit: it does not fire again at once.
    for (SessionAlarm alarm : reached)
        app.MarkFired(alarm);

    KillClockTimer();
    btnStart->setChecked(false);
    btnStart->hide();

    strTimeText = session.TimeText();
    nShownHands = 0;
    strMoneyText = FormatFixed(app.dTotalMoney, 2);
    nClockTimerId = startTimer(kClockPeriodMs);

    lblTime->show();
    lblHands->show();
    btnStop->setChecked(false);
    btnStop->show();
    // A session stopped while paused left Pause pressed; a new one runs.
    btnPause->setChecked(false);
    btnPause->show();
    PushFigures();
}

void CTarnwickDlg::StopSession() {
    if (fnStopWatches)
        fnStopWatches();

    KillClockTimer();
    session.Stop();
    btnStart->setChecked(false);
    UpdateStartButton();

    strTimeText = session.TimeText();
    nShownHands = 0;
    strMoneyText = FormatFixed(app.dTotalMoney, 2);

    // The money alarms are armed again from the profile; the peaks and the
    // big-blind total start from zero for the next session.
    app.LoadMoneyAlarms();

    btnStop->hide();
    btnPause->hide();
    btnPause->setChecked(false);
    btnStart->show();
    PushFigures();
}

void CTarnwickDlg::TogglePause() {
    session.TogglePause();
    PushFigures();
}

std::optional<Rates> CTarnwickDlg::SessionRates() const {
    if (!session.IsRunning())
        return std::nullopt;
    return RatesOf(app.nTotalHands, session.BigBlinds(), session.Money(),
                   session.PlayingSecondsAt(session.Now()));
}

void CTarnwickDlg::RefreshSession() {
    if (!session.IsRunning())
        return;
    const SessionTick tick = session.Refresh();
    strTimeText = session.TimeText();
    // The clock pauses after a quiet stretch and resumes with a hand by
    // itself: Pause shows which.
    btnPause->setChecked(session.IsPaused());

    if (tick.bNewHands) {
        nShownHands = session.ShownHands();
        const int height = MoneyFontHeightFor(app.dTotalMoney, nAppliedSize);
        if (height != nMoneyFontHeight || std::fabs(app.dTotalMoney) >= 100000)
            SetMoneyFont(height);
        strMoneyText = MoneyText(app.dTotalMoney);
        PushFigures();
    }
    // Notices hold nothing up: every alarm of this tick shows at once.
    for (SessionAlarm alarm : tick.vecFired)
        ActOnAlarm(alarm);
    for (SessionAlarm alarm : tick.vecWarned)
        ActOnWarning(alarm);
    if (tick.bBreakDue)
        RemindBreak();
    ExpireMarks();
    PushFigures();
}

void CTarnwickDlg::timerEvent(QTimerEvent* event) {
    if (nClockTimerId != 0 && event->timerId() == nClockTimerId)
        RefreshSession();
    else
        QWidget::timerEvent(event);
}

// --- Alarms ---------------------------------------------------------------------

namespace {

// The figure an alarm or its warning concerns.
int FigureOf(SessionAlarm alarm) {
    switch (alarm) {
    case SessionAlarm::kHands:
        return kCtlHands;
    case SessionAlarm::kTime:
    case SessionAlarm::kDayTime:
        return kCtlTime;
    default:
        return kCtlMoney;
    }
}

} // namespace

void CTarnwickDlg::ActOnAlarm(SessionAlarm alarm) {
    // What was reached and where the session (for a day limit: the day)
    // stands.
    const AlarmMessage said = AlarmMessageFor(alarm, FiguresFor(session, alarm));
    const wchar_t* text = said.strText.c_str();
    const wchar_t* caption = said.strCaption.c_str();
    const AlarmSettings& alarms = app.Alarms();
    const CAlarmSound* sound = &alarms.soundTime;
    int soundId = kIdSoundMoney;
    bool message = true;
    const int figure = FigureOf(alarm);
    switch (alarm) {
    case SessionAlarm::kHands:
        sound = &alarms.soundHands;
        soundId = kIdSoundHands;
        message = alarms.bHandMessage != 0;
        break;
    case SessionAlarm::kTakeProfit:
        sound = &alarms.soundTakeProfit;
        break;
    case SessionAlarm::kStopLoss:
        sound = &alarms.soundStopLoss;
        break;
    case SessionAlarm::kBBStopLoss:
        sound = &alarms.soundStopLossBB;
        break;
    case SessionAlarm::kTime:
        soundId = kIdSoundTime;
        message = alarms.bTimeMessage != 0;
        break;
    // The day's limits sound like the session's and always tell why.
    case SessionAlarm::kDayStopLoss:
    case SessionAlarm::kDayBBStopLoss:
        sound = &alarms.soundStopLoss;
        break;
    case SessionAlarm::kDayTime:
        soundId = kIdSoundTime;
        break;
    }
    PlayAlarmSound(sound->File(), soundId);
    // The mark shows even with the sound muted and the message off.
    const QString at = QDateTime::fromSecsSinceEpoch(fnClock()).toString(QStringLiteral("HH:mm"));
    MarkFigure(figure,
               QStringLiteral("%1 %2 (%3)")
                   .arg(QString::fromWCharArray(caption), QString::fromWCharArray(text), at));
    if (message)
        app.ShowAlarmMessage(text, caption, alarms.bMessagesTakeFocus != 0);
}

void CTarnwickDlg::ActOnWarning(SessionAlarm alarm) {
    const AlarmMessage said = WarningMessageFor(alarm, FiguresFor(session, alarm));
    // There is still time to play tighter: heard, seen, never in the way.
    PlayAlarmSound(std::wstring(), kIdSoundWarning, kWarningVolume);
    const QString at = QDateTime::fromSecsSinceEpoch(fnClock()).toString(QStringLiteral("HH:mm"));
    MarkFigure(FigureOf(alarm),
               QStringLiteral("%1: %2 (%3)").arg(Q(said.strCaption), Q(said.strText), at), true);
    app.ShowAlarmMessage(said.strText, said.strCaption, false);
}

void CTarnwickDlg::RemindBreak() {
    const AlarmMessage said = BreakMessage(FiguresFor(session, SessionAlarm::kTime));
    app.ShowAlarmMessage(said.strText, said.strCaption, false);
}

void CTarnwickDlg::MarkFigure(int control, const QString& reason, bool warning) {
    auto* figure = dynamic_cast<CFigureLabel*>(Control(control));
    if (!figure)
        return;
    const std::int64_t now = fnClock();
    // An alarm's mark says more than a warning's: it stays.
    if (auto it = mapMarks.find(control);
        warning && it != mapMarks.end() && !it->second.bWarning && now < it->second.tUntil)
        return;
    mapMarks[control] = {now + kAlarmMarkSeconds, warning};
    figure->setToolTip(reason);
    figure->SetMarked(true, warning);
    bBlinkLit = true;
    // The blink starts lit, in step for every marked figure.
    for (const auto& [other, mark] : mapMarks)
        static_cast<CFigureLabel*>(Control(other))->SetLit(true);
    timerBlink.start();
}

bool CTarnwickDlg::IsFigureMarked(int control) const {
    return mapMarks.count(control) != 0;
}

bool CTarnwickDlg::IsFigureWarningMarked(int control) const {
    auto it = mapMarks.find(control);
    return it != mapMarks.end() && it->second.bWarning;
}

void CTarnwickDlg::ExpireMarks() {
    const std::int64_t now = fnClock();
    for (auto it = mapMarks.begin(); it != mapMarks.end();) {
        if (now < it->second.tUntil) {
            ++it;
            continue;
        }
        auto* figure = static_cast<CFigureLabel*>(Control(it->first));
        figure->SetMarked(false);
        figure->setToolTip(QString());
        it = mapMarks.erase(it);
    }
    if (mapMarks.empty())
        timerBlink.stop();
}

void CTarnwickDlg::Blink() {
    ExpireMarks();
    bBlinkLit = !bBlinkLit;
    for (const auto& [control, mark] : mapMarks)
        static_cast<CFigureLabel*>(Control(control))->SetLit(bBlinkLit);
}

void CTarnwickDlg::PlayAlarmSound(const std::wstring& file, int resourceId, double volume) {
    if (pSound)
        pSound->Play(file, resourceId, volume);
}

// --- Mouse: dragging and the window menu ---------------------------------------------

void CTarnwickDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // Wayland lets only the compositor move a window.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && windowHandle() &&
        windowHandle()->startSystemMove())
        return;
    bDragging = true;
    ptDragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CTarnwickDlg::mouseMoveEvent(QMouseEvent* event) {
    if (bDragging && (event->buttons() & Qt::LeftButton))
        MoveTo(event->globalPosition().toPoint() - ptDragOffset);
    else
        QWidget::mouseMoveEvent(event);
}

void CTarnwickDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        bDragging = false;
    QWidget::mouseReleaseEvent(event);
}

void CTarnwickDlg::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu = MakeWindowMenu();
    menu->exec(event->globalPos());
}

// --- Menus and commands ----------------------------------------------------------------

std::unique_ptr<QMenu> CTarnwickDlg::MakeWindowMenu() {
    auto menu = std::make_unique<QMenu>();
    auto add = [&](const QString& text, int id, bool enabled, std::function<void()> run) {
        QAction* action = menu->addAction(text);
        action->setData(id);
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, this, [run] { run(); });
    };
    // The rooms not watched come first, where the menu opens.
    for (const auto& room : vecUnwatched)
        add(QStringLiteral("Not watched: %1 (%2)").arg(Q(room.strRoom), Q(room.strFolder)),
            kCmdUnwatchedRoom, false, [] {});
    if (!vecUnwatched.empty())
        menu->addSeparator();
    add(QStringLiteral("Settings"), kCmdSettings, bool(fnOpenSettings), [this] { OpenSettings(); });
    add(QStringLiteral("Info"), kCmdInfo, bool(fnShowInfo), [this] { ShowInfo(); });
    add(QStringLiteral("Sessions..."), kCmdSessions, bool(fnShowSessions),
        [this] { ShowSessions(); });
    // Without a notification area a hidden window could not be brought back.
    add(QStringLiteral("Minimize to tray"), kCmdMinimizeToTray, pTray != nullptr,
        [this] { MinimizeToTray(); });
    add(QStringLiteral("About..."), kCmdAbout, true, [this] { ShowAbout(); });
    menu->addSeparator();
    add(QStringLiteral("Exit\tAlt+F4"), kCmdExit, true, [this] { close(); });
    return menu;
}

std::unique_ptr<QMenu> CTarnwickDlg::MakeTrayMenu() {
    auto menu = std::make_unique<QMenu>();
    QAction* sessions = menu->addAction(QStringLiteral("Sessions..."));
    sessions->setData(int(kCmdSessions));
    sessions->setEnabled(bool(fnShowSessions));
    QObject::connect(sessions, &QAction::triggered, this, [this] { ShowSessions(); });
    QAction* centre = menu->addAction(QStringLiteral("Default position"));
    centre->setData(int(kCmdDefaultPosition));
    QObject::connect(centre, &QAction::triggered, this, [this] { CenterWindowOnScreen(); });
    QAction* exit = menu->addAction(QStringLiteral("Exit"));
    exit->setData(int(kCmdExit));
    QObject::connect(exit, &QAction::triggered, this, [this] { close(); });
    return menu;
}

void CTarnwickDlg::OpenSettings() {
    PullFigures();
    if (fnOpenSettings && fnOpenSettings())
        ApplySettings();
}

void CTarnwickDlg::ApplySettings() {
    ShowAlarmIndicators();
    ApplyOpacity();
    UpdateStartButton();
    ApplySize(app.View().nSize);
    PushFigures();
    update();
}

void CTarnwickDlg::ShowInfo() {
    if (fnShowInfo)
        fnShowInfo();
}

void CTarnwickDlg::ShowSessions() {
    if (fnShowSessions)
        fnShowSessions();
}

void CTarnwickDlg::MinimizeToTray() {
    if (!pTray)
        return;
    bVisible = false;
    hide();
    timerReachable.start();
}

void CTarnwickDlg::CenterWindowOnScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        MoveTo(QPoint(s.left() + (s.width() - width()) / 2, s.top() + (s.height() - height()) / 2));
    }
    bVisible = true;
    timerReachable.stop();
    show();
}

void CTarnwickDlg::ToggleFromTray() {
    if (bVisible) {
        bVisible = false;
        hide();
        timerReachable.start();
    } else {
        bVisible = true;
        timerReachable.stop();
        showNormal();
        raise();
    }
}

void CTarnwickDlg::ShowAbout() {
    CAboutDlg about(isVisible() ? this : nullptr);
    about.exec();
}

void CTarnwickDlg::setVisible(bool visible) {
    if (visible && !bVisible)
        return;
    QWidget::setVisible(visible);
}

// --- Notification area ---------------------------------------------------------------

bool CTarnwickDlg::TrayAvailable() const {
    return fnTrayAvailable ? fnTrayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void CTarnwickDlg::CreateTrayIcon() {
    if (pTray || !TrayAvailable())
        return;
    pTray = new QSystemTrayIcon(LoadIconResource(kIdAppIcon), this);
    pTray->setToolTip(QStringLiteral("Tarnwick"));
    ShowUnwatchedRooms(vecUnwatched);
    trayMenu = MakeTrayMenu();
    pTray->setContextMenu(trayMenu.get());
    QObject::connect(pTray, &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::DoubleClick)
                             ToggleFromTray();
                     });
    pTray->show();
}

void CTarnwickDlg::DeleteTrayIcon() {
    if (!pTray)
        return;
    pTray->hide();
    delete pTray;
    pTray = nullptr;
    trayMenu.reset();
}

void CTarnwickDlg::KeepReachable() {
    // The notification area can go away while the window hides in it (its
    // panel quit): then the window comes back.
    if (bVisible) {
        timerReachable.stop();
        return;
    }
    if (!pTray || !TrayAvailable()) {
        bVisible = true;
        timerReachable.stop();
        show();
    }
}

// --- Closing --------------------------------------------------------------------------

void CTarnwickDlg::MoveTo(const QPoint& at) {
    bOwnMove = true;
    move(at);
    bOwnMove = false;
    if (isVisible())
        RememberPosition();
}

void CTarnwickDlg::RememberPosition() {
    // While a window manager frames the window, Qt may take a frame smaller
    // than the window itself (seen: 1 x 1): such a frame is no frame.
    const QRect frame = frameGeometry();
    rcShown = frame.contains(geometry()) ? frame : geometry();
}

void CTarnwickDlg::showEvent(QShowEvent* event) {
    bFrameArtefactFixed = false;
    RememberPosition();
    QWidget::showEvent(event);
}

void CTarnwickDlg::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // Only where the window shows counts: a hidden window, one being
    // destroyed or one taken into another window may report any position.
    if (!isVisible() || bClosed || !isWindow())
        return;
    // While a window manager frames the window, Qt can report the origin of
    // the frame (0,0) for a window that stays where it is on the screen.
    // Such a move the program did not make is put right once: the window is
    // moved where it shows, so its position, a drag from it and the notices
    // beside it are right again.
    if (!bOwnMove && !bDragging && event->pos() == QPoint(0, 0) &&
        rcShown.topLeft() != QPoint(0, 0) && !bFrameArtefactFixed) {
        bFrameArtefactFixed = true;
        MoveTo(rcShown.topLeft());
        return;
    }
    RememberPosition();
}

void CTarnwickDlg::SaveWindowPosition() {
    const QRect r = rcShown;
    app.WriteProfileString(
        L"View", L"wndPos",
        Format(L"%d:%d:%d:%d", r.left(), r.top(), r.left() + r.width(), r.top() + r.height()));
}

void CTarnwickDlg::DestroyWindow() {
    KillClockTimer();
    // Watches must not deliver to a window that is going away.
    if (session.IsRunning() && fnStopWatches)
        fnStopWatches();
    session.Stop();
    if (btnStart)
        btnStart->setChecked(false);
    timerIdle.stop();
    timerBlink.stop();
    timerReachable.stop();
}

void CTarnwickDlg::closeEvent(QCloseEvent* event) {
    if (!bClosed) {
        // The alarm notices end with the program's window.
        if (IUserMessages* messages = app.UserMessages())
            messages->CloseNotices();
        bClosed = true;
        SaveWindowPosition();
        DeleteTrayIcon();
        DestroyWindow();
    }
    event->accept();
    if (pLoop)
        pLoop->exit(0);
}

} // namespace tw
