// An image button: one bitmap per state (normal, down, hover, disabled), its
// outline cut from a mask bitmap (black: button, white: outside), a tooltip,
// and push, check or radio behaviour.
//
// While the left button is held after a press on the button, the pressed
// image follows the cursor: it shows only while the cursor is over the
// button, and a release away from it sends no click and changes no check
// state.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QRegion>

namespace tw {

class CxSkinButton : public QAbstractButton {
public:
    enum Kind { kPush = 0, kCheck = 2, kRadio = 4 };
    // The picture a paint shows.
    enum Face { kFaceNormal, kFaceDown, kFaceOver, kFaceDisabled, kFaceFill };

    explicit CxSkinButton(QWidget* parent = nullptr, Kind kind = kPush);

    // Check buttons flip their check state on a click, radio buttons set it
    // (and clear it on the other radio buttons of the same parent); a push
    // button is never checked.
    void SetKind(Kind kind);
    Kind GetKind() const { return nKind; }

    // Loads the bitmaps of these resource ids; `disabled` 0: the normal
    // bitmap serves as the disabled one. The button takes the mask's size,
    // keeping its position. False when a bitmap is missing (those states
    // then show a plain face).
    bool LoadSkin(int normal, int down, int over, int disabled, int mask);
    // The same from images; a null image is a missing bitmap.
    void SetSkin(const QImage& normal, const QImage& down, const QImage& over,
                 const QImage& disabled, const QImage& mask);

    void SetTipText(const QString& text) { setToolTip(text); }
    void SetTextColor(const QColor& color);

    // The union of the runs of pixels that are not pure white, row by row.
    // Empty for a null image.
    static QRegion RegionFromMask(const QImage& mask);

    // The region cut from the mask (empty without a mask, or for an all-white
    // one); only that part of the button shows and takes clicks.
    QRegion Region() const { return rgnMask; }
    bool HasMask() const { return !imgMask.isNull(); }
    Face CurrentFace() const;
    bool IsHovering() const { return bHovering; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void nextCheckState() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // The image cut to the mask: transparent where the mask is white.
    QImage Masked(const QImage& image) const;

    Kind nKind = kPush;
    bool bHovering = false;
    QImage imgNormal, imgDown, imgOver, imgDisabled, imgMask;
    QRegion rgnMask;
    QColor colorText;
};

} // namespace tw
