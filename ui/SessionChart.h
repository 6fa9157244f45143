// The graph of one recorded session: its money after each hand, the take
// profit and stop loss as they stood (trailing ones moving with the best
// result), and a mark where each alarm fired. With a big-blind stop, the
// session's big blinds and that stop are drawn against a second scale on
// the right.
#pragma once

#include "store/SessionFigures.h"

#include <QtCharts/QChartView>
#include <vector>

namespace tw {

class CSessionChart : public QChartView {
public:
    // Series names, as the legend shows them.
    static const QString kMoney, kTakeProfit, kStopLoss, kBigBlinds, kBBStop;

    explicit CSessionChart(QWidget* parent = nullptr);

    // Draws `session` from its graph and alarms (as the history gives them).
    void ShowSession(const SessionRecord& session, const std::vector<GraphPoint>& graph,
                     const std::vector<AlarmEntry>& alarms);
    // An empty chart saying `text`.
    void ShowNothing(const QString& text);

    // The series named `name`; null when it is not drawn.
    QAbstractSeries* Series(const QString& name) const;

private:
    void Clear();
};

} // namespace tw
