#include "ui/SessionChart.h"

#include "session/AlarmText.h"
#include "session/SessionAlarms.h"
#include "store/SessionLevels.h"
#include "support/TextUtil.h"

#include <QDateTime>
#include <QToolTip>
#include <QtCharts/QChart>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

namespace tw {

const QString CSessionChart::kMoney = QStringLiteral("Money");
const QString CSessionChart::kTakeProfit = QStringLiteral("Take profit");
const QString CSessionChart::kStopLoss = QStringLiteral("Stop loss");
const QString CSessionChart::kBigBlinds = QStringLiteral("Big blinds");
const QString CSessionChart::kBBStop = QStringLiteral("Big-blind stop");

namespace {

struct AlarmLook {
    SessionAlarm alarm;
    const char* name; // the marks' series
    QColor color;
};
const AlarmLook kAlarmLooks[] = {
    {SessionAlarm::kTakeProfit, "Take profit reached", QColor(0, 140, 60)},
    {SessionAlarm::kStopLoss, "Stop loss reached", QColor(200, 30, 40)},
    {SessionAlarm::kBBStopLoss, "Big-blind stop reached", QColor(150, 60, 170)},
    {SessionAlarm::kHands, "Hands limit reached", QColor(40, 90, 200)},
    {SessionAlarm::kTime, "Time limit reached", QColor(220, 130, 0)},
};

const AlarmLook* LookOf(const std::wstring& kind) {
    for (const AlarmLook& look : kAlarmLooks)
        if (kind == FromUtf8(AlarmKindName(look.alarm)))
            return &look;
    return nullptr;
}

// A level as steps: it holds from the hand that set it until the next
// change, and ends at the last hand it stood at.
QList<QPointF> Steps(const std::vector<LimitLevels>& levels,
                     const std::function<std::optional<double>(const LimitLevels&)>& level) {
    QList<QPointF> points;
    std::optional<double> last;
    for (const LimitLevels& l : levels) {
        const std::optional<double> now = level(l);
        if (!now)
            break;
        if (last && *now != *last)
            points.append(QPointF(l.nHands, *last));
        points.append(QPointF(l.nHands, *now));
        last = now;
    }
    // Runs of the same level need only their ends.
    QList<QPointF> ends;
    for (qsizetype i = 0; i < points.size(); ++i) {
        const bool inside = i > 0 && i + 1 < points.size() && points[i - 1].y() == points[i].y() &&
                            points[i + 1].y() == points[i].y();
        if (!inside)
            ends.append(points[i]);
    }
    return ends;
}

// Widens [low, high] to take `points` in.
void Extend(double& low, double& high, const QList<QPointF>& points) {
    for (const QPointF& p : points) {
        low = std::min(low, p.y());
        high = std::max(high, p.y());
    }
}

// A range with a margin, never empty.
void SetRange(QValueAxis* axis, double low, double high) {
    const double margin = std::max((high - low) * 0.05, 0.5);
    axis->setRange(low - margin, high + margin);
    axis->applyNiceNumbers();
    axis->setLabelFormat(high - low >= 10 ? QStringLiteral("%.0f") : QStringLiteral("%.2f"));
}

} // namespace

CSessionChart::CSessionChart(QWidget* parent) : QChartView(parent) {
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->setAlignment(Qt::AlignBottom);
    chart()->setMargins(QMargins(4, 4, 4, 4));
}

void CSessionChart::Clear() {
    chart()->removeAllSeries();
    for (QAbstractAxis* axis : chart()->axes()) {
        chart()->removeAxis(axis);
        delete axis;
    }
}

QAbstractSeries* CSessionChart::Series(const QString& name) const {
    for (QAbstractSeries* s : chart()->series())
        if (s->name() == name)
            return s;
    return nullptr;
}

void CSessionChart::ShowNothing(const QString& text) {
    Clear();
    chart()->setTitle(text);
}

void CSessionChart::ShowSession(const SessionRecord& session, const std::vector<GraphPoint>& graph,
                                const std::vector<AlarmEntry>& alarms) {
    Clear();
    QChart* c = chart();
    const QString currency = QString::fromStdWString(session.strCurrency);
    c->setTitle(QStringLiteral("Session of %1: %2 hands")
                    .arg(QDateTime::fromSecsSinceEpoch(session.tStart)
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                    .arg(graph.size()));

    auto* axisX = new QValueAxis;
    axisX->setTitleText(QStringLiteral("Hands"));
    axisX->setLabelFormat(QStringLiteral("%d"));
    axisX->setRange(0, std::max<double>(static_cast<double>(graph.size()), 1.0));
    if (graph.size() >= 4)
        axisX->applyNiceNumbers();
    c->addAxis(axisX, Qt::AlignBottom);
    auto* axisMoney = new QValueAxis;
    axisMoney->setTitleText(currency.isEmpty() ? kMoney : kMoney + QStringLiteral(", ") + currency);
    c->addAxis(axisMoney, Qt::AlignLeft);

    auto add = [&](QAbstractSeries* series, QValueAxis* axisY) {
        c->addSeries(series);
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    };
    auto line = [&](const QString& name, const QList<QPointF>& points, const QColor& color,
                    Qt::PenStyle style, qreal width, QValueAxis* axisY) {
        auto* s = new QLineSeries;
        s->setName(name);
        s->replace(points);
        s->setPen(QPen(color, width, style));
        add(s, axisY);
        return s;
    };

    QList<QPointF> money{QPointF(0, 0)};
    QList<QPointF> bigBlinds{QPointF(0, 0)};
    money.reserve(static_cast<qsizetype>(graph.size()) + 1);
    for (const GraphPoint& p : graph) {
        money.append(QPointF(p.nHands, p.dMoney));
        bigBlinds.append(QPointF(p.nHands, p.dBigBlinds));
    }
    double low = 0.0, high = 0.0;
    Extend(low, high, money);
    line(kMoney, money, QColor(20, 60, 140), Qt::SolidLine, 2, axisMoney);

    const std::vector<LimitLevels> levels = LevelsOf(session.limits, graph, alarms);
    const QList<QPointF> takeProfit =
        Steps(levels, [](const LimitLevels& l) { return l.dTakeProfit; });
    const QList<QPointF> stopLoss = Steps(levels, [](const LimitLevels& l) { return l.dStopLoss; });
    if (!takeProfit.isEmpty()) {
        line(kTakeProfit, takeProfit, QColor(0, 140, 60), Qt::DashLine, 1.5, axisMoney);
        Extend(low, high, takeProfit);
    }
    if (!stopLoss.isEmpty()) {
        line(kStopLoss, stopLoss, QColor(200, 30, 40), Qt::DashLine, 1.5, axisMoney);
        Extend(low, high, stopLoss);
    }

    // The big-blind stop is counted in big blinds, which no money scale
    // shows for a session across stakes: it has a scale of its own.
    QValueAxis* axisBB = nullptr;
    const QList<QPointF> bbStop = Steps(levels, [](const LimitLevels& l) { return l.dBBStopLoss; });
    if (!bbStop.isEmpty()) {
        axisBB = new QValueAxis;
        axisBB->setTitleText(QStringLiteral("Big blinds"));
        c->addAxis(axisBB, Qt::AlignRight);
        line(kBigBlinds, bigBlinds, QColor(120, 120, 120), Qt::SolidLine, 1, axisBB);
        line(kBBStop, bbStop, QColor(150, 60, 170), Qt::DotLine, 1.5, axisBB);
        double lowBB = 0.0, highBB = 0.0;
        Extend(lowBB, highBB, bigBlinds);
        Extend(lowBB, highBB, bbStop);
        SetRange(axisBB, lowBB, highBB);
    }

    // A mark per alarm, where the session stood when it fired; its tip says
    // what the alarm's message said.
    for (const AlarmLook& look : kAlarmLooks) {
        QScatterSeries* marks = nullptr;
        for (const AlarmEntry& a : alarms) {
            if (LookOf(a.strKind) != &look)
                continue;
            const bool inBigBlinds = look.alarm == SessionAlarm::kBBStopLoss && axisBB;
            if (!marks) {
                marks = new QScatterSeries;
                marks->setName(QLatin1String(look.name));
                marks->setColor(look.color);
                marks->setBorderColor(Qt::white);
                marks->setMarkerSize(11);
                add(marks, inBigBlinds ? axisBB : axisMoney);
                const SessionAlarm alarm = look.alarm;
                const std::vector<AlarmEntry> fired = alarms;
                connect(marks, &QScatterSeries::hovered, this,
                        [this, alarm, fired, name = FromUtf8(AlarmKindName(look.alarm))](
                            const QPointF& point, bool state) {
                            if (!state) {
                                QToolTip::hideText();
                                return;
                            }
                            for (const AlarmEntry& e : fired) {
                                if (e.strKind != name ||
                                    std::lround(point.x()) != static_cast<long>(e.nHands))
                                    continue;
                                const AlarmMessage m =
                                    AlarmMessageFor(alarm, {e.dLevel, e.dMoney, e.dBigBlinds,
                                                            e.nHands, e.nSeconds});
                                QToolTip::showText(QCursor::pos(),
                                                   QString::fromStdWString(m.strText), this);
                                return;
                            }
                        });
            }
            marks->append(a.nHands, inBigBlinds ? a.dBigBlinds : a.dMoney);
            if (!inBigBlinds) {
                low = std::min(low, a.dMoney);
                high = std::max(high, a.dMoney);
            }
        }
    }
    SetRange(axisMoney, low, high);
}

} // namespace tw
