#include "ui/QtUserMessages.h"
#include "ui/NoticeBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>

namespace tw {

namespace {

bool HaveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// The frame a window manager will add to a notice it has not framed yet: a
// title bar (only a guess: the frame comes later, from the window manager).
QMargins GuessedFrame() {
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return {};
    const int title = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) + 4;
    return QMargins(2, title, 2, 2);
}

// A window's frame; none while it is not known, or while Qt's idea of it
// does not even hold the window (as while a window manager frames it).
QMargins FrameOf(const QWidget& window) {
    const QRect outer = window.frameGeometry(), inner = window.geometry();
    if (!outer.contains(inner))
        return {};
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

} // namespace

CQtUserMessages::~CQtUserMessages() {
    // Deleted now: no event loop may run after this to delete them later.
    for (const QPointer<CNoticeBox>& notice : vecNotices)
        delete notice.data();
}

int CQtUserMessages::MessageBoxTimeout(const std::wstring& text, const std::wstring& caption,
                                       unsigned style, int timeoutMs) {
    if (!HaveWidgets())
        return kIdNone;
    const bool yesNo = (style & 0xF) == kMbYesNo;
    QMessageBox box(QMessageBox::Information, QString::fromStdWString(caption),
                    QString::fromStdWString(text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (yesNo) {
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    }

    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QPointer<QMessageBox> guard(&box);
    QObject::connect(&timer, &QTimer::timeout, &box, [guard] {
        if (guard)
            guard->done(kIdTimedOut);
    });
    if (timeoutMs > 0)
        timer.start(timeoutMs);

    const int result = box.exec();
    timer.stop();
    switch (result) {
    case QMessageBox::Yes:
        return kIdYes;
    case QMessageBox::No:
        return kIdNo;
    case QMessageBox::Ok:
        return kIdOk;
    case kIdTimedOut:
        return kIdTimedOut;
    default:
        return yesNo ? kIdNo : kIdOk;
    }
}

void CQtUserMessages::MessageBoxInfo(const std::wstring& text, const std::wstring& caption) {
    if (!HaveWidgets())
        return;
    QMessageBox box(QMessageBox::Information, QString::fromStdWString(caption),
                    QString::fromStdWString(text), QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
}

bool CQtUserMessages::ShowNotice(const std::wstring& text, const std::wstring& caption,
                                 int timeoutMs, bool takeFocus) {
    if (!HaveWidgets())
        return false;
    const std::vector<CNoticeBox*> open = OpenNotices();
    vecNotices.assign(open.begin(), open.end());

    auto* notice = new CNoticeBox(QString::fromStdWString(text), QString::fromStdWString(caption),
                                  timeoutMs, takeFocus);
    // The notices with their frames. One shown a moment ago may not be
    // framed yet: its frame is guessed, as is the new one's until a framed
    // notice tells it.
    const QMargins guess = GuessedFrame();
    QMargins frame = guess;
    std::vector<QRect> taken;
    for (CNoticeBox* other : open) {
        const QMargins known = FrameOf(*other);
        if (known.isNull()) {
            // Its frame goes where it was put, the window below it.
            const QRect placed = other->geometry();
            taken.push_back(QRect(placed.topLeft(), placed.size().grownBy(guess)));
        } else {
            taken.push_back(other->frameGeometry());
            frame = known;
        }
    }
    notice->adjustSize();
    const QSize size = notice->size().grownBy(frame);

    QRect anchor, screen;
    if (pAnchor && pAnchor->isVisible()) {
        anchor = pAnchor->geometry().marginsAdded(FrameOf(*pAnchor));
        const QScreen* on = pAnchor->screen();
        screen = on ? on->availableGeometry() : QRect();
    }
    if (screen.isEmpty()) {
        const QScreen* primary = QGuiApplication::primaryScreen();
        screen = primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
    }
    if (anchor.isNull())
        anchor = QRect(screen.left() + screen.width(), screen.top(), 0, 0);
    // A modal dialog (the settings) blocks every other window of the
    // program; a notice that belongs to it stays clickable.
    if (const QWidget* modal = QApplication::activeModalWidget(); modal && modal->windowHandle()) {
        notice->winId();
        notice->windowHandle()->setTransientParent(modal->windowHandle());
    }
    notice->ShowAt(CNoticeBox::Place(anchor, screen, size, taken));
    vecNotices.emplace_back(notice);
    return true;
}

void CQtUserMessages::CloseNotices() {
    // Each deletes itself once closed; the destructor deletes any whose
    // deletion has not come yet.
    for (CNoticeBox* notice : OpenNotices())
        notice->close();
}

std::vector<CNoticeBox*> CQtUserMessages::OpenNotices() const {
    std::vector<CNoticeBox*> open;
    for (const QPointer<CNoticeBox>& notice : vecNotices)
        if (notice && notice->isVisible())
            open.push_back(notice);
    return open;
}

} // namespace tw
