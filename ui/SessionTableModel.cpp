#include "ui/SessionTableModel.h"

#include "support/NumberText.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QFont>

namespace tw {

namespace {

const char* const kHeaders[CSessionTableModel::kColumnCount] = {
    "Date", "Duration", "Hands", "Money", "bb/100", "Hands/hour", "Money/hour", "Ended"};

} // namespace

QString CSessionTableModel::DurationText(std::int64_t seconds) {
    const std::int64_t minutes = seconds / 60;
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString CSessionTableModel::AmountText(double value, int decimals) {
    std::wstring text = FormatFixed(value, decimals);
    // A loss too small to show is no loss: "0.00", not "-0.00".
    if (text.size() > 1 && text[0] == L'-' && text.find_first_not_of(L"-0.") == std::wstring::npos)
        text.erase(0, 1);
    return QString::fromStdWString(text);
}

QString CSessionTableModel::EndedText(SessionEnded ended, bool live) {
    switch (ended) {
    case SessionEnded::kOpen:
        return live ? QStringLiteral("Running") : QStringLiteral("Open");
    case SessionEnded::kStop:
        return QStringLiteral("Stopped");
    case SessionEnded::kExit:
        return QStringLiteral("Program closed");
    case SessionEnded::kAlarm:
        return QStringLiteral("After an alarm");
    case SessionEnded::kInterrupted:
        return QStringLiteral("Interrupted");
    }
    return {};
}

CSessionTableModel::Row CSessionTableModel::RowFor(const SessionRecord& session) {
    // A session's own figures, without the shares FiguresOf also gathers.
    Row row;
    row.nSeconds = session.Seconds();
    row.nHands = session.run.nHands;
    row.dMoney = session.run.dMoney;
    row.rates = RatesOf(row.nHands, session.run.dBigBlinds, row.dMoney, row.nSeconds);
    return row;
}

void CSessionTableModel::FindCommonCurrency() {
    strCommonCurrency.clear();
    for (std::size_t i = 0; i < vecSessions.size(); ++i) {
        if (i == 0) {
            strCommonCurrency = vecSessions[i]->strCurrency;
        } else if (vecSessions[i]->strCurrency != strCommonCurrency) {
            strCommonCurrency.clear();
            return;
        }
    }
}

void CSessionTableModel::SetSessions(std::vector<const SessionRecord*> sessions,
                                     std::int64_t live) {
    beginResetModel();
    vecSessions = std::move(sessions);
    nLive = live;
    vecRows.clear();
    vecRows.reserve(vecSessions.size());
    for (const SessionRecord* s : vecSessions)
        vecRows.push_back(RowFor(*s));
    const std::wstring before = strCommonCurrency;
    FindCommonCurrency();
    endResetModel();
    if (before != strCommonCurrency)
        emit headerDataChanged(Qt::Horizontal, kMoney, kMoneyPerHour);
}

bool CSessionTableModel::SessionChanged(std::int64_t id) {
    const int row = RowOf(id);
    if (row < 0)
        return false;
    vecRows[row] = RowFor(*vecSessions[row]);
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
    return true;
}

std::vector<SessionRecord> CSessionTableModel::Sessions() const {
    std::vector<SessionRecord> sessions;
    sessions.reserve(vecSessions.size());
    for (const SessionRecord* s : vecSessions)
        sessions.push_back(*s);
    return sessions;
}

const SessionRecord* CSessionTableModel::At(int row) const {
    return row >= 0 && row < static_cast<int>(vecSessions.size()) ? vecSessions[row] : nullptr;
}

int CSessionTableModel::RowOf(std::int64_t id) const {
    for (std::size_t i = 0; i < vecSessions.size(); ++i)
        if (vecSessions[i]->nId == id)
            return static_cast<int>(i);
    return -1;
}

int CSessionTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(vecSessions.size());
}

int CSessionTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CSessionTableModel::data(const QModelIndex& index, int role) const {
    const SessionRecord* s = At(index.row());
    if (!s)
        return {};
    const Row& f = vecRows[index.row()];
    const bool live = s->nId == nLive && s->ended == SessionEnded::kOpen;
    switch (role) {
    case Qt::DisplayRole: {
        // Money cells name their currency only when the sessions differ in it.
        const QString code = strCommonCurrency.empty()
                                 ? QLatin1Char(' ') + QString::fromStdWString(s->strCurrency)
                                 : QString();
        switch (index.column()) {
        case kDate:
            return QDateTime::fromSecsSinceEpoch(s->tStart).toString(
                QStringLiteral("yyyy-MM-dd ddd HH:mm"));
        case kDuration:
            return DurationText(f.nSeconds);
        case kHands:
            return f.nHands;
        case kMoney:
            return AmountText(f.dMoney) + code;
        case kBBPer100:
            return f.nHands > 0 ? AmountText(f.rates.dBBPer100, 1) : QStringLiteral("–");
        case kHandsPerHour:
            return f.nSeconds > 0 ? AmountText(f.rates.dHandsPerHour, 0) : QStringLiteral("–");
        case kMoneyPerHour:
            return f.nSeconds > 0 ? AmountText(f.rates.dMoneyPerHour) + code : QStringLiteral("–");
        case kEnded:
            return EndedText(s->ended, live);
        }
        return {};
    }
    case Qt::TextAlignmentRole:
        if (index.column() == kDate || index.column() == kEnded)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (index.column() == kMoney && f.dMoney <= -0.005)
            return QBrush(QColor(176, 0, 32));
        if (index.column() == kMoney && f.dMoney >= 0.005)
            return QBrush(QColor(0, 112, 48));
        return {};
    case Qt::FontRole:
        if (live) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ToolTipRole:
        if (index.column() == kEnded && s->ended == SessionEnded::kInterrupted)
            return QStringLiteral("The program did not end properly: the session was closed at "
                                  "its last hand.");
        if (index.column() == kEnded && s->ended == SessionEnded::kAlarm)
            return QStringLiteral("An alarm fired and no hand was played after it.");
        return {};
    }
    return {};
}

QVariant CSessionTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    QString text = QLatin1String(kHeaders[section]);
    if ((section == kMoney || section == kMoneyPerHour) && !strCommonCurrency.empty())
        text += QStringLiteral(", ") + QString::fromStdWString(strCommonCurrency);
    return text;
}

} // namespace tw
