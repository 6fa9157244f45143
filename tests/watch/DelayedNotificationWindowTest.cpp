// Delivery of watch notices on the Qt user-interface thread.
#include "ui/DelayedNotificationWindow.h"

#include "WatchTestSupport.h"

#include <QCoreApplication>

#include <atomic>

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

// Runs the UI thread's events until `done` holds; false if it never does.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::seconds deadline = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class CNoticeCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::User + 0x400)
            ++nNotices;
        return false;
    }
    std::atomic<int> nNotices{0};
};

} // namespace

TEST(DelayedNotificationWindow, DeliversOnTheUiThreadThroughOneHiddenObject) {
    CTempTree root;
    ASSERT_TRUE(root.Ok());
    CRecordingHandler handler;
    CDelayedNotificationWindow probe;
    CNoticeCounter counter;
    probe.Receiver()->installEventFilter(&counter);

    CDirectoryChangeWatcher watcher(CDelayedNotificationWindow::Factory());
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler, L"*.txt"), 0u);
    root.Write("HH1.txt", "hand\n");
    const std::wstring path = root.WPath("HH1.txt");
    ASSERT_TRUE(PumpUntil([&] { return HasEvent(handler.Events(), kNoticeModified, path); }));

    for (const WatchEvent& e : handler.Events())
        EXPECT_EQ(e.idThread, std::this_thread::get_id());
    EXPECT_EQ(counter.nNotices.load(), 3); // started, added, modified

    // Stopping from the UI thread, outside any event loop: the wait itself
    // delivers what is still queued.
    root.Append("HH1.txt", "hand\n");
    ASSERT_TRUE(watcher.StopWatchingDirectory(root.WRoot()));
    auto events = handler.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().nKind, kNoticeWatchStopped);
    EXPECT_EQ(handler.Count(kNoticeModified), 2u);
}

TEST(DelayedNotificationWindow, StopFromInsideAUiCallbackDoesNotDeadlock) {
    CTempTree root;
    ASSERT_TRUE(root.Ok());
    CRecordingHandler handler;
    CDirectoryChangeWatcher watcher(CDelayedNotificationWindow::Factory());
    int stopped = -1;
    handler.fnOnModified = [&](const std::wstring&) {
        if (stopped < 0)
            stopped = watcher.StopWatchingDirectory(root.WRoot()) ? 1 : 0;
    };
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler), 0u);
    root.Write("a.txt", "hand\n");
    ASSERT_TRUE(PumpUntil([&] { return stopped >= 0; }));
    EXPECT_EQ(stopped, 1);
    EXPECT_EQ(handler.Events().back().nKind, kNoticeWatchStopped);
    EXPECT_EQ(watcher.WatchedDirectoryCount(), 0u);
}

TEST(DelayedNotificationWindow, WatchersShareTheHiddenObjectUntilTheLastGoes) {
    CTempTree first;
    CTempTree second;
    ASSERT_TRUE(first.Ok() && second.Ok());
    CRecordingHandler handler1;
    CRecordingHandler handler2;
    auto watcher1 =
        std::make_unique<CDirectoryChangeWatcher>(CDelayedNotificationWindow::Factory());
    CDirectoryChangeWatcher watcher2(CDelayedNotificationWindow::Factory());
    ASSERT_EQ(watcher1->WatchDirectory(first.WRoot(), &handler1), 0u);
    ASSERT_EQ(watcher2.WatchDirectory(second.WRoot(), &handler2), 0u);

    QObject* shared = CDelayedNotificationWindow().Receiver();
    EXPECT_EQ(shared, CDelayedNotificationWindow().Receiver());

    watcher1.reset();
    CNoticeCounter counter;
    shared->installEventFilter(&counter);
    second.Write("b.txt", "hand\n");
    const std::wstring path = second.WPath("b.txt");
    ASSERT_TRUE(PumpUntil([&] { return HasEvent(handler2.Events(), kNoticeModified, path); }));
    EXPECT_GE(counter.nNotices.load(), 2);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
