#include "watch/DelayedNotificationThread.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tw {

namespace {

// The queue, shared by the core and its thread: the thread may outlive the
// core when the last notifier goes away on the notification thread itself.
struct NoticeQueue {
    std::mutex csQueue;
    std::condition_variable cvQueue;
    std::deque<std::unique_ptr<DirChangeNotice>> dqNotices;
    bool bQuit = false;
    bool bWake = false;
};

void RunNotificationLoop(std::shared_ptr<NoticeQueue> queue) {
    std::unique_lock<std::mutex> lock(queue->csQueue);
    for (;;) {
        queue->cvQueue.wait(lock, [&] { return queue->bQuit || !queue->dqNotices.empty(); });
        if (queue->bQuit)
            break;
        std::unique_ptr<DirChangeNotice> notice = std::move(queue->dqNotices.front());
        queue->dqNotices.pop_front();
        lock.unlock();
        DeliverNotice(std::move(notice));
        lock.lock();
    }
    // Notices still queued are freed, not delivered.
    std::deque<std::unique_ptr<DirChangeNotice>> rest;
    rest.swap(queue->dqNotices);
    lock.unlock();
}

} // namespace

class CNotificationThreadCore {
public:
    CNotificationThreadCore() : pQueue(std::make_shared<NoticeQueue>()) {
        thLoop = std::thread(RunNotificationLoop, pQueue);
        idLoop = thLoop.get_id();
    }

    ~CNotificationThreadCore() {
        {
            std::lock_guard<std::mutex> lock(pQueue->csQueue);
            pQueue->bQuit = true;
        }
        pQueue->cvQueue.notify_all();
        // The last notifier may be freed by a delivery on the thread itself.
        if (std::this_thread::get_id() == idLoop)
            thLoop.detach();
        else
            thLoop.join();
    }

    static std::shared_ptr<CNotificationThreadCore> Acquire() {
        static std::mutex csShared;
        static std::weak_ptr<CNotificationThreadCore> wpShared;
        std::lock_guard<std::mutex> lock(csShared);
        std::shared_ptr<CNotificationThreadCore> core = wpShared.lock();
        if (!core) {
            core = std::make_shared<CNotificationThreadCore>();
            wpShared = core;
        }
        return core;
    }

    bool Post(std::unique_ptr<DirChangeNotice> notice) {
        {
            std::lock_guard<std::mutex> lock(pQueue->csQueue);
            if (pQueue->bQuit)
                return false;
            pQueue->dqNotices.push_back(std::move(notice));
        }
        pQueue->cvQueue.notify_all();
        return true;
    }

    bool IsLoopThread() const { return std::this_thread::get_id() == idLoop; }

    // Runs on the notification thread inside a delivery: delivers what is
    // queued, first waiting up to `wait` when nothing is.
    void Pump(std::chrono::milliseconds wait) {
        std::unique_lock<std::mutex> lock(pQueue->csQueue);
        pQueue->cvQueue.wait_for(lock, wait, [&] {
            return pQueue->bQuit || pQueue->bWake || !pQueue->dqNotices.empty();
        });
        pQueue->bWake = false;
        while (!pQueue->dqNotices.empty()) {
            std::unique_ptr<DirChangeNotice> notice = std::move(pQueue->dqNotices.front());
            pQueue->dqNotices.pop_front();
            lock.unlock();
            DeliverNotice(std::move(notice));
            lock.lock();
        }
    }

    void Wake() {
        {
            std::lock_guard<std::mutex> lock(pQueue->csQueue);
            pQueue->bWake = true;
        }
        pQueue->cvQueue.notify_all();
    }

private:
    std::shared_ptr<NoticeQueue> pQueue;
    std::thread thLoop;
    std::thread::id idLoop;
};

CDelayedNotificationThread::CDelayedNotificationThread()
    : pCore(CNotificationThreadCore::Acquire()) {}

CDelayedNotificationThread::~CDelayedNotificationThread() = default;

bool CDelayedNotificationThread::PostNotice(std::unique_ptr<DirChangeNotice> notice) {
    return pCore->Post(std::move(notice));
}

bool CDelayedNotificationThread::IsDeliveringThread() const {
    return pCore->IsLoopThread();
}

void CDelayedNotificationThread::PumpWhileWaiting(std::chrono::milliseconds wait) {
    if (pCore->IsLoopThread())
        pCore->Pump(wait);
}

void CDelayedNotificationThread::Wake() {
    pCore->Wake();
}

} // namespace tw
