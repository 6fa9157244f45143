#include "ui/NoticeBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

namespace tw {

namespace {

constexpr int kGap = 8;      // between the window and a notice, and between notices
constexpr int kCascade = 24; // the step of notices cascaded where no room is left
// What a title bar keeps beside its caption: the icon, the buttons, margins.
constexpr int kTitleButtonsWidth = 110;
// An activation this soon after the notice showed is the window system's,
// not the user's.
constexpr qint64 kShowActivationMs = 1000;

} // namespace

CNoticeBox::CNoticeBox(const QString& text, const QString& caption, int timeoutMs, bool takeFocus)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint), bTakeFocus(takeFocus) {
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    setModal(false);
    if (!takeFocus) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
    }

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxInformation, nullptr, this)
                        .pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    labelText = new QLabel(text, this);
    labelText->setObjectName(QStringLiteral("noticeText"));
    labelText->setTextFormat(Qt::PlainText);
    labelText->setWordWrap(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttonOk = buttons->button(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, this, [this] { close(); });

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(10);
    row->addWidget(labelText, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // A short text would leave the title too narrow for the caption beside
    // the window system's buttons ("Hand… near"). Title bars are often bold.
    QFont title = font();
    title.setBold(true);
    const QMargins margins = layout->contentsMargins();
    buttons->setMinimumWidth(QFontMetrics(title).horizontalAdvance(caption) + kTitleButtonsWidth -
                             margins.left() - margins.right());

    timerClose.setSingleShot(true);
    // A coarse timer may fire a little early; the 20 seconds are promised.
    timerClose.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timerClose, &QTimer::timeout, this, [this] { close(); });
    if (timeoutMs > 0)
        timerClose.start(timeoutMs);
}

QString CNoticeBox::Text() const {
    return labelText->text();
}

void CNoticeBox::ShowAt(const QPoint& at) {
    focusBefore = QGuiApplication::focusWindow();
    move(at);
    sinceShown.start();
    show();
    if (bTakeFocus) {
        raise();
        activateWindow();
    }
}

bool CNoticeBox::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !bTakeFocus && sinceShown.isValid() &&
        sinceShown.elapsed() < kShowActivationMs &&
        QGuiApplication::mouseButtons() == Qt::NoButton) {
        // Shown, not clicked: the focus belongs where it was.
        sinceShown.invalidate();
        if (focusBefore && focusBefore != windowHandle() && focusBefore->isVisible())
            focusBefore->requestActivate();
    }
    return QDialog::event(event);
}

QPoint CNoticeBox::Place(const QRect& anchor, const QRect& screen, const QSize& size,
                         const std::vector<QRect>& taken) {
    const int w = size.width(), h = size.height();
    const int screenRight = screen.left() + screen.width();
    const int screenBottom = screen.top() + screen.height();
    const bool right =
        screenRight - (anchor.left() + anchor.width()) >= anchor.left() - screen.left();
    const int top = std::max(screen.top(), std::min(anchor.top(), screenBottom - h));
    auto columnX = [&](int column) {
        return right ? anchor.left() + anchor.width() + kGap + column * (w + kGap)
                     : anchor.left() - kGap - w - column * (w + kGap);
    };
    auto fitsAcross = [&](int x) { return x >= screen.left() && x + w <= screenRight; };
    const int firstX = std::max(screen.left(), std::min(columnX(0), screenRight - w));

    // The first free place down a column, if any.
    auto downColumn = [&](int x, QPoint& at) {
        int y = top;
        for (;;) {
            if (y + h > screenBottom)
                return false;
            const QRect candidate(x, y, w, h);
            auto hit = std::find_if(taken.begin(), taken.end(),
                                    [&](const QRect& t) { return t.intersects(candidate); });
            if (hit == taken.end()) {
                at = QPoint(x, y);
                return true;
            }
            y = hit->top() + hit->height() + kGap;
        }
    };

    QPoint at;
    if (fitsAcross(columnX(0))) {
        for (int column = 0; fitsAcross(columnX(column)); ++column)
            if (downColumn(columnX(column), at))
                return at;
    } else if (downColumn(firstX, at)) {
        return at;
    }
    // No free place left: cascaded in the first column.
    const int cascade = kCascade * int(taken.size() % 8);
    return QPoint(firstX, std::min(top + cascade, std::max(top, screenBottom - h)));
}

} // namespace tw
