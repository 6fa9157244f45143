// The Sessions window: every recorded session in a table, newest first (its
// date, duration, hands, money, bb/100, hands and money per hour, how it
// ended), the totals of today, this week, this month and all time above it,
// and for the selected session the graph of its money over its hands with
// its limits and alarms, and its share per room. The running session's row,
// the totals and, when it is selected, its graph follow the history as it
// records. "Export CSV..." writes the sessions shown or the selected
// session's hands.
//
// It only reads the history, on the thread that records into it (the UI
// thread), and keeps nothing the history does not hold.
#pragma once

#include "store/SessionFigures.h"

#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;

namespace tw {

class CHistoryStore;
class CSessionChart;
class CSessionTableModel;

class CSessionsWindow : public QWidget {
public:
    // Reads `store` (open or not), which must outlive the window; the
    // session it records is the running one.
    explicit CSessionsWindow(const CHistoryStore& store, QWidget* parent = nullptr);
    ~CSessionsWindow() override;

    // The time now, for the totals of today, this week and this month.
    // Empty: the system clock.
    std::function<std::int64_t()> fnNow;
    // Asks where to save a CSV file, offering `suggested`; empty: cancelled.
    // Empty function: a file dialog.
    std::function<QString(const QString& suggested)> fnAskSavePath;

    // How often a shown window looks for what the history recorded since.
    static constexpr int kLiveIntervalMs = 1000;

    // Reads every session again and shows them, keeping the selection (the
    // running or newest session when none is selected yet).
    void Reload();
    // Brings the window up to what the history has recorded: the running
    // session's row, the totals and, when that session is selected, its
    // graph; everything when a session started or ended since. Cheap when
    // nothing changed: the live timer calls it.
    void RefreshLive();

    // The sessions the table shows: "All", "Today", "This week", "This month".
    void ShowPeriod(Period period);
    // The session whose graph shows; 0: none.
    std::int64_t SelectedSession() const;
    // Selects the session `id` when the table shows it.
    bool SelectSession(std::int64_t id);

    // Writes the sessions shown (in the table's order) or the selected
    // session's hands as CSV to `path`. Empty on success, else what failed.
    std::wstring ExportSessions(const std::wstring& path) const;
    std::wstring ExportHands(const std::wstring& path) const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void CreateControls();
    // The sessions of the chosen period into the table, newest first.
    void ShowSessions(std::int64_t keepSelected);
    void ShowTotals();
    // The selected session's graph and rooms.
    void ShowSelected();
    void ExportWithDialog(bool hands);
    std::int64_t Now() const;

    const CHistoryStore& store;

    // Every session, in start order, as last read; the table's rows point
    // at these records.
    std::vector<SessionRecord> vecAll;
    Period period = Period::kAllTime;
    std::int64_t nLive = 0;       // the running session when last read; 0: none
    std::size_t nShownAlarms = 0; // of the selected session, when it runs
    std::int64_t nShownGraphOf = 0;

    QLabel* lblProblem = nullptr;
    QLabel* totals[4][7] = {};
    QComboBox* comboPeriod = nullptr;
    QPushButton* btnExport = nullptr;
    QTableView* table = nullptr;
    CSessionTableModel* model = nullptr;
    CSessionChart* chart = nullptr;
    QTableWidget* rooms = nullptr;
    QTimer timerLive;
};

} // namespace tw
