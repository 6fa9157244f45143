#include "ui/SessionsWindow.h"

#include "store/HistoryStore.h"
#include "store/SessionCsv.h"
#include "support/AtomicFile.h"
#include "support/TextUtil.h"
#include "ui/SessionChart.h"
#include "ui/SessionTableModel.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <ctime>

namespace tw {

namespace {

const char* const kTotalRows[4] = {"Today", "This week", "This month", "All time"};
const char* const kTotalColumns[7] = {"Sessions", "Time",       "Hands",     "Money",
                                      "bb/100",   "Hands/hour", "Money/hour"};

// The figures a live refresh looks at: when none of them changed, the
// session's row and graph stand as shown.
bool SameProgress(const SessionRecord& a, const SessionRecord& b) {
    return a.run.nHands == b.run.nHands && a.run.dMoney == b.run.dMoney &&
           a.tLastHand == b.tLastHand && a.tEnd == b.tEnd && a.ended == b.ended &&
           a.nPausedSeconds == b.nPausedSeconds;
}

} // namespace

CSessionsWindow::CSessionsWindow(const CHistoryStore& history, QWidget* parent)
    : QWidget(parent, Qt::Window), store(history) {
    setWindowTitle(QStringLiteral("Sessions"));
    setObjectName(QStringLiteral("sessionsWindow"));
    CreateControls();
    timerLive.setInterval(kLiveIntervalMs);
    connect(&timerLive, &QTimer::timeout, this, [this] { RefreshLive(); });
    Reload();
}

CSessionsWindow::~CSessionsWindow() = default;

std::int64_t CSessionsWindow::Now() const {
    return fnNow ? fnNow() : static_cast<std::int64_t>(std::time(nullptr));
}

void CSessionsWindow::CreateControls() {
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("labelProblem"));
    lblProblem->setWordWrap(true);
    lblProblem->hide();

    // The totals: a row per period, a column per figure.
    auto* totalsGrid = new QGridLayout;
    totalsGrid->setHorizontalSpacing(18);
    totalsGrid->setVerticalSpacing(2);
    for (int c = 0; c < 7; ++c) {
        auto* head = new QLabel(QLatin1String(kTotalColumns[c]), this);
        head->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont bold = head->font();
        bold.setBold(true);
        head->setFont(bold);
        totalsGrid->addWidget(head, 0, c + 1);
    }
    for (int r = 0; r < 4; ++r) {
        totalsGrid->addWidget(new QLabel(QLatin1String(kTotalRows[r]), this), r + 1, 0);
        for (int c = 0; c < 7; ++c) {
            totals[r][c] = new QLabel(this);
            totals[r][c]->setObjectName(QStringLiteral("total_%1_%2").arg(r).arg(c));
            totals[r][c]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            totals[r][c]->setTextInteractionFlags(Qt::TextSelectableByMouse);
            totalsGrid->addWidget(totals[r][c], r + 1, c + 1);
        }
    }
    totalsGrid->setColumnStretch(8, 1);

    comboPeriod = new QComboBox(this);
    comboPeriod->setObjectName(QStringLiteral("comboPeriod"));
    comboPeriod->addItem(QStringLiteral("All sessions"), int(Period::kAllTime));
    comboPeriod->addItem(QStringLiteral("Today"), int(Period::kToday));
    comboPeriod->addItem(QStringLiteral("This week"), int(Period::kThisWeek));
    comboPeriod->addItem(QStringLiteral("This month"), int(Period::kThisMonth));
    connect(comboPeriod, &QComboBox::activated, this,
            [this](int i) { ShowPeriod(static_cast<Period>(comboPeriod->itemData(i).toInt())); });

    btnExport = new QPushButton(QStringLiteral("Export CSV..."), this);
    btnExport->setObjectName(QStringLiteral("buttonExport"));
    auto* exportMenu = new QMenu(btnExport);
    QAction* exportSessions = exportMenu->addAction(QStringLiteral("Sessions shown..."));
    exportSessions->setObjectName(QStringLiteral("actionExportSessions"));
    connect(exportSessions, &QAction::triggered, this, [this] { ExportWithDialog(false); });
    QAction* exportHands =
        exportMenu->addAction(QStringLiteral("Hands of the selected session..."));
    exportHands->setObjectName(QStringLiteral("actionExportHands"));
    connect(exportHands, &QAction::triggered, this, [this] { ExportWithDialog(true); });
    connect(exportMenu, &QMenu::aboutToShow, this,
            [this, exportHands] { exportHands->setEnabled(SelectedSession() != 0); });
    btnExport->setMenu(exportMenu);

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QStringLiteral("Show:"), this));
    filterRow->addWidget(comboPeriod);
    filterRow->addStretch(1);
    filterRow->addWidget(btnExport);

    // A plain view over a small model: a year of sessions opens at once.
    model = new CSessionTableModel;
    model->setParent(this);
    table = new QTableView(this);
    table->setObjectName(QStringLiteral("tableSessions"));
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);
    table->setCornerButtonEnabled(false);
    table->verticalHeader()->hide();
    const QFontMetrics fm(table->font());
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(fm.height() + 6);
    const int widths[CSessionTableModel::kColumnCount] = {
        fm.horizontalAdvance(QStringLiteral("2026-12-31 Wed 23:59")) + 16,
        fm.horizontalAdvance(QStringLiteral("Duration")) + 16,
        fm.horizontalAdvance(QStringLiteral("100000")) + 16,
        fm.horizontalAdvance(QStringLiteral("-10000.00 USD")) + 16,
        fm.horizontalAdvance(QStringLiteral("-1000.0")) + 16,
        fm.horizontalAdvance(QStringLiteral("Hands/hour")) + 16,
        fm.horizontalAdvance(QStringLiteral("Money/hour, USD")) + 16,
        fm.horizontalAdvance(QStringLiteral("Program closed")) + 16};
    for (int c = 0; c < CSessionTableModel::kColumnCount; ++c)
        table->setColumnWidth(c, widths[c]);
    table->horizontalHeader()->setStretchLastSection(true);
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ShowSelected(); });

    chart = new CSessionChart(this);
    chart->setObjectName(QStringLiteral("chartSession"));
    chart->setMinimumSize(360, 240);

    rooms = new QTableWidget(0, 5, this);
    rooms->setObjectName(QStringLiteral("tableRooms"));
    rooms->setHorizontalHeaderLabels({QStringLiteral("Room"), QStringLiteral("Tables"),
                                      QStringLiteral("Hands"), QStringLiteral("Money"),
                                      QStringLiteral("bb/100")});
    rooms->verticalHeader()->hide();
    rooms->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rooms->setSelectionMode(QAbstractItemView::NoSelection);
    rooms->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    rooms->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    auto* selected = new QSplitter(Qt::Horizontal, this);
    selected->addWidget(chart);
    selected->addWidget(rooms);
    selected->setStretchFactor(0, 3);
    selected->setStretchFactor(1, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(table);
    split->addWidget(selected);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    // The graph takes most of the room it shares.
    selected->setSizes({640, 320});
    split->setSizes({250, 400});

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);

    auto* top = new QVBoxLayout(this);
    top->addWidget(lblProblem);
    top->addLayout(totalsGrid);
    top->addSpacing(4);
    top->addLayout(filterRow);
    top->addWidget(split, 1);
    top->addLayout(bottom);
    resize(960, 680);
}

void CSessionsWindow::showEvent(QShowEvent* event) {
    timerLive.start();
    QWidget::showEvent(event);
}

void CSessionsWindow::hideEvent(QHideEvent* event) {
    timerLive.stop();
    QWidget::hideEvent(event);
}

void CSessionsWindow::Reload() {
    if (!store.IsOpen()) {
        lblProblem->setText(QStringLiteral("The session history is not open: no sessions are "
                                           "recorded in this run (the work log says why)."));
        lblProblem->show();
    } else {
        lblProblem->hide();
    }
    const std::int64_t keep = SelectedSession();
    // The rows point into the records about to be replaced.
    model->SetSessions({}, 0);
    vecAll = store.Sessions();
    nLive = store.LiveSession();
    ShowTotals();
    ShowSessions(keep);
}

void CSessionsWindow::RefreshLive() {
    if (!store.IsOpen())
        return;
    const std::int64_t live = store.LiveSession();
    // A session started or ended: every row and the totals may have moved.
    if (live != nLive) {
        Reload();
        return;
    }
    if (live == 0)
        return;
    SessionRecord now;
    if (!store.FindSession(live, now))
        return;
    auto at = std::find_if(vecAll.rbegin(), vecAll.rend(),
                           [live](const SessionRecord& s) { return s.nId == live; });
    if (at == vecAll.rend()) {
        Reload();
        return;
    }
    const bool selected = SelectedSession() == live;
    const bool newAlarms = selected && store.Alarms(live).size() != nShownAlarms;
    if (SameProgress(*at, now) && !newAlarms)
        return;
    *at = std::move(now);
    model->SessionChanged(live);
    ShowTotals();
    if (selected)
        ShowSelected();
}

void CSessionsWindow::ShowPeriod(Period shown) {
    period = shown;
    const int index = comboPeriod->findData(int(shown));
    if (index >= 0)
        comboPeriod->setCurrentIndex(index);
    ShowSessions(SelectedSession());
}

void CSessionsWindow::ShowSessions(std::int64_t keepSelected) {
    std::vector<const SessionRecord*> shown;
    shown.reserve(vecAll.size());
    const std::int64_t now = Now();
    for (auto s = vecAll.rbegin(); s != vecAll.rend(); ++s)
        if (InPeriod(s->tStart, period, now))
            shown.push_back(&*s);
    model->SetSessions(std::move(shown), nLive);
    // The reset cleared the selection: the session shown before, else the
    // running one, else the newest.
    nShownGraphOf = 0;
    if (!SelectSession(keepSelected) && !SelectSession(nLive) && model->rowCount() > 0)
        table->selectRow(0);
    if (SelectedSession() == 0)
        ShowSelected();
}

void CSessionsWindow::ShowTotals() {
    const PeriodTotals t = TotalsOf(vecAll, Now());
    const Figures* rows[4] = {&t.today, &t.week, &t.month, &t.all};
    for (int r = 0; r < 4; ++r) {
        const Figures& f = *rows[r];
        const QString code = f.strCurrency.empty()
                                 ? QString()
                                 : QLatin1Char(' ') + QString::fromStdWString(f.strCurrency);
        const QString texts[7] = {
            QString::number(f.nSessions),
            CSessionTableModel::DurationText(f.nSeconds),
            QString::number(f.nHands),
            CSessionTableModel::AmountText(f.dMoney) + code,
            f.nHands > 0 ? CSessionTableModel::AmountText(f.dBBPer100, 1) : QStringLiteral("–"),
            f.nSeconds > 0 ? CSessionTableModel::AmountText(f.dHandsPerHour, 0)
                           : QStringLiteral("–"),
            f.nSeconds > 0 ? CSessionTableModel::AmountText(f.dMoneyPerHour) + code
                           : QStringLiteral("–")};
        for (int c = 0; c < 7; ++c)
            totals[r][c]->setText(texts[c]);
    }
}

std::int64_t CSessionsWindow::SelectedSession() const {
    const QModelIndex current = table->selectionModel()->currentIndex();
    const SessionRecord* s = current.isValid() ? model->At(current.row()) : nullptr;
    return s ? s->nId : 0;
}

bool CSessionsWindow::SelectSession(std::int64_t id) {
    const int row = id > 0 ? model->RowOf(id) : -1;
    if (row < 0)
        return false;
    table->selectionModel()->setCurrentIndex(
        model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table->scrollTo(model->index(row, 0));
    // Selecting the row already current tells nobody: show it anyway.
    if (nShownGraphOf != id)
        ShowSelected();
    return true;
}

void CSessionsWindow::ShowSelected() {
    const QModelIndex current = table->selectionModel()->currentIndex();
    const SessionRecord* s = current.isValid() ? model->At(current.row()) : nullptr;
    rooms->setRowCount(0);
    if (!s) {
        nShownGraphOf = 0;
        nShownAlarms = 0;
        chart->ShowNothing(model->rowCount() == 0 ? QStringLiteral("No sessions recorded")
                                                  : QStringLiteral("No session selected"));
        return;
    }
    const std::vector<AlarmEntry> alarms = store.Alarms(s->nId);
    chart->ShowSession(*s, store.Graph(s->nId), alarms);
    nShownGraphOf = s->nId;
    nShownAlarms = alarms.size();

    const Figures f = FiguresOf(*s);
    rooms->setRowCount(static_cast<int>(f.vecRooms.size()));
    for (int r = 0; r < static_cast<int>(f.vecRooms.size()); ++r) {
        const ShareFigures& room = f.vecRooms[r];
        const auto tables =
            std::count_if(f.vecTables.begin(), f.vecTables.end(),
                          [&](const ShareFigures& t) { return t.strRoom == room.strRoom; });
        const QString texts[5] = {
            QString::fromStdWString(room.strRoom), QString::number(tables),
            QString::number(room.nHands), CSessionTableModel::AmountText(room.dMoney),
            room.nHands > 0
                ? CSessionTableModel::AmountText(room.dBigBlinds * 100.0 / room.nHands, 1)
                : QStringLiteral("–")};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            rooms->setItem(r, c, item);
        }
    }
}

namespace {

std::wstring WriteCsv(const std::wstring& path, const std::string& csv) {
    const int rc = WriteFileAtomic(path, csv);
    if (rc == 0)
        return {};
    return Format(L"%ls could not be written: %ls", path.c_str(),
                  FromUtf8(std::strerror(rc)).c_str());
}

} // namespace

std::wstring CSessionsWindow::ExportSessions(const std::wstring& path) const {
    return WriteCsv(path, SessionsCsv(model->Sessions()));
}

std::wstring CSessionsWindow::ExportHands(const std::wstring& path) const {
    const std::int64_t id = SelectedSession();
    if (id == 0)
        return L"No session is selected.";
    return WriteCsv(path, HandsCsv(store.Hands(id)));
}

void CSessionsWindow::ExportWithDialog(bool hands) {
    // What the file holds is what the history holds now.
    RefreshLive();
    const QString name =
        hands ? QStringLiteral("tarnwick-session-%1-hands.csv").arg(SelectedSession())
              : QStringLiteral("tarnwick-sessions.csv");
    const QString suggested = QDir::home().filePath(name);
    const QString path = fnAskSavePath
                             ? fnAskSavePath(suggested)
                             : QFileDialog::getSaveFileName(
                                   this,
                                   hands ? QStringLiteral("Export the session's hands")
                                         : QStringLiteral("Export the sessions shown"),
                                   suggested, QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    const std::wstring problem =
        hands ? ExportHands(path.toStdWString()) : ExportSessions(path.toStdWString());
    if (!problem.empty())
        QMessageBox::warning(this, QStringLiteral("Export CSV"), QString::fromStdWString(problem));
}

} // namespace tw
