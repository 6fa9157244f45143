// Delivery of watch notices on the process's own notification thread: one
// thread with a queue, shared by every CDelayedNotificationThread, running
// while at least one of them lives.
#pragma once

#include "watch/DelayedDirectoryChangeHandler.h"

#include <memory>

namespace tw {

class CNotificationThreadCore;

class CDelayedNotificationThread : public CDelayedNotifier {
public:
    // Joins the running notification thread or starts it. Throws
    // std::system_error when no thread can be started.
    CDelayedNotificationThread();
    // The last notifier to go ends the thread (and frees what is still queued).
    ~CDelayedNotificationThread() override;

    bool PostNotice(std::unique_ptr<DirChangeNotice> notice) override;
    bool IsDeliveringThread() const override;
    void PumpWhileWaiting(std::chrono::milliseconds wait) override;
    void Wake() override;

private:
    std::shared_ptr<CNotificationThreadCore> pCore;
};

} // namespace tw
