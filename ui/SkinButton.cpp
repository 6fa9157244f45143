#include "ui/SkinButton.h"
#include "ui/Resources.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace tw {

CxSkinButton::CxSkinButton(QWidget* parent, Kind kind) : QAbstractButton(parent) {
    colorText = palette().color(QPalette::ButtonText);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true); // hover comes back on the first move after a press
    SetKind(kind);
}

void CxSkinButton::SetKind(Kind kind) {
    nKind = kind;
    setCheckable(kind != kPush);
    setAutoExclusive(kind == kRadio);
    update();
}

void CxSkinButton::SetTextColor(const QColor& color) {
    colorText = color;
    update();
}

QRegion CxSkinButton::RegionFromMask(const QImage& mask) {
    if (mask.isNull())
        return QRegion();
    const QImage image = mask.convertToFormat(QImage::Format_RGB32);
    QRegion region;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && (line[x] & 0xFFFFFF) == 0xFFFFFF)
                ++x;
            const int start = x;
            while (x < image.width() && (line[x] & 0xFFFFFF) != 0xFFFFFF)
                ++x;
            if (x > start)
                region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

bool CxSkinButton::LoadSkin(int normal, int down, int over, int disabled, int mask) {
    const QImage n = LoadBitmapResource(normal);
    const QImage d = LoadBitmapResource(down);
    const QImage o = LoadBitmapResource(over);
    const QImage x = disabled ? LoadBitmapResource(disabled) : n;
    const QImage m = LoadBitmapResource(mask);
    SetSkin(n, d, o, x, m);
    return !n.isNull() && !d.isNull() && !o.isNull() && !x.isNull() && !m.isNull();
}

QImage CxSkinButton::Masked(const QImage& image) const {
    if (image.isNull() || imgMask.isNull())
        return image;
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QImage mask = imgMask.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const auto* m =
            y < mask.height() ? reinterpret_cast<const QRgb*>(mask.constScanLine(y)) : nullptr;
        for (int x = 0; x < out.width(); ++x) {
            const bool inside = m && x < mask.width() && (m[x] & 0xFFFFFF) != 0xFFFFFF;
            if (!inside)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return out;
}

void CxSkinButton::SetSkin(const QImage& normal, const QImage& down, const QImage& over,
                           const QImage& disabled, const QImage& mask) {
    imgMask = mask;
    imgNormal = Masked(normal);
    imgDown = Masked(down);
    imgOver = Masked(over);
    imgDisabled = Masked(disabled);
    rgnMask = RegionFromMask(mask);
    if (!mask.isNull()) {
        resize(mask.size());
        // An empty region would lift the mask altogether; the transparent
        // images and hitButton keep an all-white mask's button invisible.
        if (!rgnMask.isEmpty())
            setMask(rgnMask);
        else
            clearMask();
    } else {
        clearMask();
    }
    update();
}

QSize CxSkinButton::sizeHint() const {
    if (!imgMask.isNull())
        return imgMask.size();
    if (!imgNormal.isNull())
        return imgNormal.size();
    return QSize(16, 16);
}

CxSkinButton::Face CxSkinButton::CurrentFace() const {
    if (!isEnabled())
        return imgDisabled.isNull() ? kFaceFill : kFaceDisabled;
    if (isDown() || isChecked())
        return imgDown.isNull() ? kFaceFill : kFaceDown;
    if (bHovering && !imgOver.isNull())
        return kFaceOver;
    return imgNormal.isNull() ? kFaceFill : kFaceNormal;
}

bool CxSkinButton::hitButton(const QPoint& pos) const {
    if (!imgMask.isNull())
        return rgnMask.contains(pos);
    return rect().contains(pos);
}

void CxSkinButton::nextCheckState() {
    if (nKind == kRadio)
        setChecked(true);
    else if (nKind == kCheck)
        setChecked(!isChecked());
}

void CxSkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && bHovering) {
        bHovering = false;
        update();
    }
    QAbstractButton::mousePressEvent(event);
}

void CxSkinButton::mouseMoveEvent(QMouseEvent* event) {
    // After a press the hover look comes back with the next move.
    if (!(event->buttons() & Qt::LeftButton) && !bHovering &&
        hitButton(event->position().toPoint())) {
        bHovering = true;
        update();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CxSkinButton::enterEvent(QEnterEvent* event) {
    if (!isDown() && !bHovering) {
        bHovering = true;
        update();
    }
    QAbstractButton::enterEvent(event);
}

void CxSkinButton::leaveEvent(QEvent* event) {
    bHovering = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CxSkinButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Face face = CurrentFace();
    const QImage* image = nullptr;
    switch (face) {
    case kFaceNormal:
        image = &imgNormal;
        break;
    case kFaceDown:
        image = &imgDown;
        break;
    case kFaceOver:
        image = &imgOver;
        break;
    case kFaceDisabled:
        image = &imgDisabled;
        break;
    case kFaceFill:
        break;
    }
    if (image)
        painter.drawImage(QPoint(0, 0), *image);
    else
        painter.fillRect(rect(), palette().color(QPalette::Button));

    if (text().isEmpty())
        return;
    QRect textRect = rect().adjusted(2, 0, -2, 0);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    if (!isEnabled()) {
        if (isChecked())
            textRect.translate(1, 1);
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawText(textRect, flags, text());
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(textRect.translated(-1, -1), flags, text());
        return;
    }
    if (isDown() || isChecked())
        textRect.translate(1, 1);
    painter.setPen(colorText);
    painter.drawText(textRect, flags, text());
}

} // namespace tw
