#include "ui/QtUserMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace tw {

namespace {

bool HaveWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

} // namespace

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

} // namespace tw
