#include "ui/DialogIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tw {

namespace {

// Draws `kind` into a square of side `size` (the drawing is made for 16 and
// scaled).
QPixmap Draw(DialogIcon kind, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    switch (kind) {
    case DialogIcon::Play: {
        QPainterPath tri;
        tri.moveTo(4.5, 2.5);
        tri.lineTo(13.5, 8.0);
        tri.lineTo(4.5, 13.5);
        tri.closeSubpath();
        p.setPen(QPen(QColor(0x1E, 0x6B, 0x24), 1.0));
        p.setBrush(QColor(0x3C, 0xB0, 0x44));
        p.drawPath(tri);
        break;
    }
    case DialogIcon::Add:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2E, 0x8B, 0x3A));
        p.drawRoundedRect(QRectF(6.5, 2, 3, 12), 1, 1);
        p.drawRoundedRect(QRectF(2, 6.5, 12, 3), 1, 1);
        break;
    case DialogIcon::Change: {
        // A pencil from the lower left to the upper right.
        p.translate(8, 8);
        p.rotate(-45);
        p.setPen(QPen(QColor(0x5A, 0x4A, 0x10), 0.8));
        p.setBrush(QColor(0xF2, 0xC2, 0x3A));
        p.drawRect(QRectF(-4, -1.8, 8.5, 3.6));
        p.setBrush(QColor(0xE8, 0x8A, 0x8A));
        p.drawRect(QRectF(4.5, -1.8, 2, 3.6));
        QPainterPath tip;
        tip.moveTo(-4, -1.8);
        tip.lineTo(-7, 0);
        tip.lineTo(-4, 1.8);
        tip.closeSubpath();
        p.setBrush(QColor(0xE6, 0xD2, 0xA8));
        p.drawPath(tip);
        break;
    }
    case DialogIcon::Delete:
        p.setPen(QPen(QColor(0xC6, 0x28, 0x28), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    }
    return pm;
}

} // namespace

QIcon MakeDialogIcon(DialogIcon kind) {
    QIcon icon;
    icon.addPixmap(Draw(kind, 16));
    icon.addPixmap(Draw(kind, 32));
    return icon;
}

} // namespace tw
