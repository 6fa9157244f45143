// Delivery of folder-watch notices on the Qt user-interface thread.
#pragma once

#include "watch/DelayedDirectoryChangeHandler.h"
#include "watch/DirectoryChangeWatcher.h"

#include <QEvent>
#include <QObject>

#include <memory>

namespace tw {

class CNoticeReceiverCore;

// Posts every notice as an event to one hidden object that lives on the
// application's thread (the user-interface thread); the object delivers it
// there when the thread's event loop runs. All window notifiers share the
// object; it goes away with the last of them. A wait for the watcher on the
// user-interface thread keeps handling events, so notices still arrive while
// a watch is being stopped from that thread.
class CDelayedNotificationWindow : public CDelayedNotifier {
public:
    static constexpr QEvent::Type kNoticeEventType =
        static_cast<QEvent::Type>(QEvent::User + 0x400);

    CDelayedNotificationWindow();
    ~CDelayedNotificationWindow() override;

    bool PostNotice(std::unique_ptr<DirChangeNotice> notice) override;
    bool IsDeliveringThread() const override;
    void PumpWhileWaiting(std::chrono::milliseconds wait) override;
    void Wake() override;

    // For CDirectoryChangeWatcher: its watches deliver on the UI thread.
    static CDirectoryChangeWatcher::NotifierFactory Factory();
    // The hidden object the notices are posted to.
    QObject* Receiver() const;

private:
    std::shared_ptr<CNoticeReceiverCore> pCore;
};

} // namespace tw
