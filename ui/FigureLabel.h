// A text of the session window whose colour comes from the settings at every
// paint, so a colour changed in the settings shows at the next repaint.
#pragma once

#include <QColor>
#include <QLabel>
#include <functional>

namespace tw {

// A Windows COLORREF (0x00BBGGRR) as a colour.
inline QColor ColorFromRef(int ref) {
    return QColor(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

class CFigureLabel : public QLabel {
public:
    CFigureLabel(const QString& text, Qt::Alignment alignment, std::function<int()> colorRef,
                 QWidget* parent);

    QColor TextColor() const { return ColorFromRef(fnColorRef()); }

    // An alarm's mark: while marked the figure blinks, drawn lit (white on
    // the alarm colour) and plain in turn. A warning's mark is lit in amber
    // (dark text on it) instead.
    void SetMarked(bool marked, bool warning = false);
    bool IsMarked() const { return bMarked; }
    bool IsWarningMark() const { return bMarked && bWarning; }
    void SetLit(bool lit);
    bool IsLit() const { return bMarked && bLit; }
    static QColor AlarmColor() { return QColor(208, 32, 48); }
    static QColor WarningColor() { return QColor(240, 168, 24); }
    // The font the text is painted with: the label's font, made smaller
    // when the text would not fit the label's width otherwise.
    QFont PaintFont() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<int()> fnColorRef;
    bool bMarked = false;
    bool bWarning = false;
    bool bLit = false;
};

// A font whose character cell (ascent + descent) is `cellHeight` pixels, as
// the window's fonts are given.
QFont CellHeightFont(const QString& family, int cellHeight, QFont::Weight weight);

} // namespace tw
