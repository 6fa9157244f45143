#include "ui/DelayedNotificationWindow.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <mutex>
#include <thread>

namespace tw {

namespace {

class CNoticeEvent : public QEvent {
public:
    explicit CNoticeEvent(std::unique_ptr<DirChangeNotice> notice)
        : QEvent(CDelayedNotificationWindow::kNoticeEventType), pNotice(std::move(notice)) {}
    std::unique_ptr<DirChangeNotice> pNotice; // freed with the event when never delivered
};

class CNoticeReceiver : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != CDelayedNotificationWindow::kNoticeEventType)
            return QObject::event(e);
        ++nDelivering;
        DeliverNotice(std::move(static_cast<CNoticeEvent*>(e)->pNotice));
        --nDelivering;
        return true;
    }
    int nDelivering = 0; // deliveries in progress (they nest while a stop waits)
};

} // namespace

class CNoticeReceiverCore {
public:
    CNoticeReceiverCore() : pReceiver(new CNoticeReceiver) {
        pReceiver->setObjectName(QStringLiteral("DelayedWnd"));
        if (QCoreApplication* app = QCoreApplication::instance();
            app && pReceiver->thread() != app->thread())
            pReceiver->moveToThread(app->thread());
    }

    ~CNoticeReceiverCore() {
        // Never delete the object inside its own event handler or from a
        // thread it does not live on.
        if (QThread::currentThread() == pReceiver->thread() && pReceiver->nDelivering == 0)
            delete pReceiver;
        else
            pReceiver->deleteLater();
    }

    static std::shared_ptr<CNoticeReceiverCore> Acquire() {
        static std::mutex csShared;
        static std::weak_ptr<CNoticeReceiverCore> wpShared;
        std::lock_guard<std::mutex> lock(csShared);
        std::shared_ptr<CNoticeReceiverCore> core = wpShared.lock();
        if (!core) {
            core = std::make_shared<CNoticeReceiverCore>();
            wpShared = core;
        }
        return core;
    }

    CNoticeReceiver* pReceiver;
};

CDelayedNotificationWindow::CDelayedNotificationWindow() : pCore(CNoticeReceiverCore::Acquire()) {}

CDelayedNotificationWindow::~CDelayedNotificationWindow() = default;

bool CDelayedNotificationWindow::PostNotice(std::unique_ptr<DirChangeNotice> notice) {
    QCoreApplication::postEvent(pCore->pReceiver, new CNoticeEvent(std::move(notice)));
    return true;
}

bool CDelayedNotificationWindow::IsDeliveringThread() const {
    return QThread::currentThread() == pCore->pReceiver->thread();
}

void CDelayedNotificationWindow::PumpWhileWaiting(std::chrono::milliseconds wait) {
    // Our own notices first: they are what the waiting thread waits for.
    QCoreApplication::sendPostedEvents(pCore->pReceiver, kNoticeEventType);
    if (!QAbstractEventDispatcher::instance()) {
        // No event loop on this thread: nothing else to handle.
        std::this_thread::sleep_for(std::min(wait, std::chrono::milliseconds(5)));
        return;
    }
    // The timer bounds the wait; Wake ends it as soon as the watcher is done.
    QTimer limit;
    limit.setSingleShot(true);
    limit.start(static_cast<int>(wait.count()));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void CDelayedNotificationWindow::Wake() {
    if (QAbstractEventDispatcher* dispatcher =
            QAbstractEventDispatcher::instance(pCore->pReceiver->thread()))
        dispatcher->wakeUp();
}

CDirectoryChangeWatcher::NotifierFactory CDelayedNotificationWindow::Factory() {
    return [] { return std::make_unique<CDelayedNotificationWindow>(); };
}

QObject* CDelayedNotificationWindow::Receiver() const {
    return pCore->pReceiver;
}

} // namespace tw
