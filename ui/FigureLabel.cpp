#include "ui/FigureLabel.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace tw {

QFont CellHeightFont(const QString& family, int cellHeight, QFont::Weight weight) {
    QFont font(family);
    font.setStyleHint(family.contains(QLatin1String("Times")) ? QFont::Serif : QFont::SansSerif);
    font.setWeight(weight);
    font.setPixelSize(100);
    const QFontMetricsF metrics(font);
    const double cell = metrics.ascent() + metrics.descent();
    const int pixels = cell > 0 ? int(std::lround(cellHeight * 100.0 / cell)) : cellHeight;
    font.setPixelSize(pixels > 0 ? pixels : 1);
    return font;
}

CFigureLabel::CFigureLabel(const QString& text, Qt::Alignment alignment,
                           std::function<int()> colorRef, QWidget* parent)
    : QLabel(text, parent), fnColorRef(std::move(colorRef)) {
    setAlignment(alignment);
}

QFont CFigureLabel::PaintFont() const {
    // A right-aligned figure wider than its label would lose its leading
    // digits or its minus sign: shrink it until it fits.
    QFont font = this->font();
    const int width = contentsRect().width();
    while (font.pixelSize() > 6 && QFontMetricsF(font).horizontalAdvance(text()) > width)
        font.setPixelSize(font.pixelSize() - 1);
    return font;
}

void CFigureLabel::SetMarked(bool marked, bool warning) {
    warning = marked && warning;
    if (marked == bMarked && warning == bWarning)
        return;
    bMarked = marked;
    bWarning = warning;
    update();
}

void CFigureLabel::SetLit(bool lit) {
    if (lit == bLit)
        return;
    bLit = lit;
    if (bMarked)
        update();
}

void CFigureLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFont font = PaintFont();
    painter.setFont(font);
    QColor pen = TextColor();
    if (IsLit()) {
        const QRect box = QFontMetrics(font)
                              .boundingRect(contentsRect(), int(alignment()), text())
                              .adjusted(-3, 0, 3, 0)
                              .intersected(rect());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(bWarning ? WarningColor() : AlarmColor());
        painter.drawRoundedRect(box, 4, 4);
        pen = bWarning ? QColor(Qt::black) : QColor(Qt::white);
    }
    painter.setPen(pen);
    painter.drawText(contentsRect(), int(alignment()), text());
}

} // namespace tw
