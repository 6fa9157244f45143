// The rows of the Sessions window's table: one per recorded session, in the
// order given (the window gives them newest first), each with its figures
// computed once when it is set, so scrolling a year of sessions computes
// nothing. The rows point at the window's records, which are neither copied
// nor moved while shown.
#pragma once

#include "store/SessionFigures.h"

#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

namespace tw {

class CSessionTableModel : public QAbstractTableModel {
public:
    enum Column {
        kDate,
        kDuration,
        kHands,
        kMoney,
        kBBPer100,
        kHandsPerHour,
        kMoneyPerHour,
        kEnded,
        kColumnCount
    };

    // The sessions to show, in their order; `live` is the one being
    // recorded (0: none), shown as running. Each record must stay where it
    // is until the next SetSessions.
    void SetSessions(std::vector<const SessionRecord*> sessions, std::int64_t live);
    // The record of the session `id` changed in place: its row is computed
    // again. False when no row shows it.
    bool SessionChanged(std::int64_t id);

    // The sessions shown, in their order.
    std::vector<SessionRecord> Sessions() const;
    // The session of `row`; null outside the rows.
    const SessionRecord* At(int row) const;
    // The row of the session `id`; -1 when it is not shown.
    int RowOf(std::int64_t id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // How the table writes a duration ("2:05", hours and minutes), an amount
    // ("-12.50") and how a session ended.
    static QString DurationText(std::int64_t seconds);
    static QString AmountText(double value, int decimals = 2);
    static QString EndedText(SessionEnded ended, bool live);

private:
    // What the table shows of a session, as FiguresOf counts it.
    struct Row {
        std::int64_t nSeconds = 0;
        int nHands = 0;
        double dMoney = 0.0;
        Rates rates;
    };
    static Row RowFor(const SessionRecord& session);
    // The currency the money header names: the sessions' one when they share
    // it; empty (each cell names its own) otherwise.
    void FindCommonCurrency();

    std::vector<const SessionRecord*> vecSessions;
    std::vector<Row> vecRows;
    std::int64_t nLive = 0;
    std::wstring strCommonCurrency;
};

} // namespace tw
