// A message that waits for nobody: the information icon, the text and OK, on
// top of the other windows. It closes itself after its time (or by OK or
// Escape) and is deleted once closed; nothing runs a loop for it, so the
// session window keeps ticking and the next notice shows beside it.
//
// A notice that does not take the focus leaves the keyboard with the window
// that has it (the poker table): it is shown without being activated and
// does not accept the focus. Where the window system activates it all the
// same, the activation goes back at once to the program's window that had it.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <vector>

class QAbstractButton;
class QLabel;
class QWindow;

namespace tw {

class CNoticeBox : public QDialog {
public:
    // `timeoutMs` <= 0: it stays until closed.
    CNoticeBox(const QString& text, const QString& caption, int timeoutMs, bool takeFocus);

    // Shows the notice with its frame's top-left corner at `at`; one that
    // takes the focus is activated.
    void ShowAt(const QPoint& at);

    bool TakesFocus() const { return bTakeFocus; }
    QString Text() const;
    QAbstractButton* OkButton() const { return buttonOk; }

    // Where a notice of `size` (frame included) goes: beside `anchor` on
    // the side of `screen` with more room, level with its top, below the
    // notices in `taken` it would otherwise cover; when that side is full, a
    // column further out. Without room anywhere, in the first column,
    // cascaded. Rectangles are frame rectangles in screen coordinates.
    static QPoint Place(const QRect& anchor, const QRect& screen, const QSize& size,
                        const std::vector<QRect>& taken);

protected:
    bool event(QEvent* event) override;

private:
    bool bTakeFocus;
    QLabel* labelText = nullptr;
    QAbstractButton* buttonOk = nullptr;
    QTimer timerClose;
    // The program's window that had the focus when the notice was shown.
    QPointer<QWindow> focusBefore;
    QElapsedTimer sinceShown;
};

} // namespace tw
