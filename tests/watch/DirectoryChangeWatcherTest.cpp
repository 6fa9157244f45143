// The watcher with its worker and the notification thread, on real folders.
#include "watch/DirectoryChangeWatcher.h"

#include "WatchTestSupport.h"

#include <atomic>
#include <cerrno>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

class DirectoryChangeWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(root.Ok()); }

    bool WaitForEvent(NoticeKind kind, const std::string& rel) {
        const std::wstring path = root.WPath(rel);
        return handler.WaitFor([&](const auto& events) { return HasEvent(events, kind, path); });
    }

    CTempTree root;
    CRecordingHandler handler;
};

} // namespace

TEST_F(DirectoryChangeWatcherTest, ReportsChangesOfATreeOnTheNotificationThread) {
    root.MkDir("sub");
    CDirectoryChangeWatcher watcher;
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler, L"*.txt", L""), 0u);

    root.Write("sub/a.txt", "hand 1\n");
    root.Write("sub/a.log", "not a history\n");
    ASSERT_TRUE(WaitForEvent(kNoticeModified, "sub/a.txt"));
    root.Append("sub/a.txt", "hand 2\n");
    ASSERT_TRUE(
        handler.WaitFor([](const auto& events) { return CountOf(events, kNoticeModified) == 2; }));
    root.Rename("sub/a.txt", "b.txt");
    root.Remove("b.txt");
    ASSERT_TRUE(WaitForEvent(kNoticeRemoved, "b.txt"));

    auto events = handler.Events();
    std::vector<NoticeKind> kinds;
    for (const WatchEvent& e : events) {
        kinds.push_back(e.nKind);
        EXPECT_NE(e.idThread, std::this_thread::get_id());
        EXPECT_EQ(e.idThread, events[0].idThread); // one delivering thread, in order
        EXPECT_EQ(e.strPath.find(L".log"), std::wstring::npos);
    }
    EXPECT_EQ(kinds, (std::vector<NoticeKind>{kNoticeWatchStarted, kNoticeAdded, kNoticeModified,
                                              kNoticeModified, kNoticeRenamed, kNoticeRemoved}));
    EXPECT_EQ(events[4].strNewPath, root.WPath("b.txt"));
}

TEST_F(DirectoryChangeWatcherTest, StopIsSynchronousAndDeliversEverythingBeforeIt) {
    CDirectoryChangeWatcher watcher;
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler), 0u);
    EXPECT_EQ(handler.WatchCount(), 1);
    EXPECT_EQ(handler.Watcher(), &watcher);
    EXPECT_EQ(handler.AttachedWrapperCount(), 1u);

    root.Write("last.txt", "the hand before the stop\n");
    ASSERT_TRUE(watcher.StopWatchingDirectory(root.WRoot()));
    // No waiting: by now the change and then WatchStopped were delivered.
    auto events = handler.Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_TRUE(HasEvent(events, kNoticeModified, root.WPath("last.txt")));
    EXPECT_EQ(events.back().nKind, kNoticeWatchStopped);
    EXPECT_EQ(events.back().strPath, root.WRoot());
    EXPECT_EQ(watcher.WatchedDirectoryCount(), 0u);
    EXPECT_EQ(handler.WatchCount(), 0);
    EXPECT_EQ(handler.Watcher(), nullptr);
    EXPECT_EQ(handler.AttachedWrapperCount(), 0u);
    EXPECT_FALSE(watcher.StopWatchingDirectory(root.WRoot()));
}

TEST_F(DirectoryChangeWatcherTest, StartAndStopRepeatedly) {
    CDirectoryChangeWatcher watcher;
    for (int i = 0; i < 15; ++i) {
        ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler), 0u);
        root.Append("h.txt", "hand\n");
        ASSERT_TRUE(watcher.StopWatchingDirectory(root.WRoot()));
    }
    EXPECT_EQ(handler.Count(kNoticeWatchStopped), 15u);
    EXPECT_EQ(handler.Count(kNoticeModified), 15u);
    EXPECT_TRUE(handler.WaitFor([](const auto& events) { return events.size() >= 15 * 3 + 1; }));
    EXPECT_EQ(handler.Count(kNoticeWatchStarted), 15u);

    // Watching a folder again ends its first watch; it is never held twice,
    // however it is spelt.
    handler.Clear();
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler), 0u);
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot() + L"/", &handler), 0u);
    EXPECT_EQ(watcher.WatchedDirectoryCount(), 1u);
    EXPECT_EQ(handler.WatchCount(), 1);
    EXPECT_EQ(handler.Count(kNoticeWatchStopped), 1u);
    root.Write("once.txt", "x");
    ASSERT_TRUE(WaitForEvent(kNoticeAdded, "once.txt"));
    ASSERT_TRUE(watcher.StopWatchingDirectory(root.WRoot()));
    EXPECT_EQ(handler.Count(kNoticeAdded), 1u);
}

TEST_F(DirectoryChangeWatcherTest, StopFromInsideACallbackDoesNotDeadlock) {
    CDirectoryChangeWatcher watcher;
    std::atomic<int> stopped{-1};
    handler.fnOnModified = [&](const std::wstring&) {
        if (stopped.load() < 0)
            stopped = watcher.StopWatchingDirectory(root.WRoot()) ? 1 : 0;
    };
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler), 0u);
    root.Write("a.txt", "hand\n");
    ASSERT_TRUE(handler.WaitFor([&](const auto&) { return stopped.load() >= 0; }));
    EXPECT_EQ(stopped.load(), 1);
    EXPECT_TRUE(handler.WaitFor([](const auto& events) {
        return !events.empty() && events.back().nKind == kNoticeWatchStopped;
    }));
    EXPECT_EQ(watcher.WatchedDirectoryCount(), 0u);
    // The watcher still works afterwards.
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler), 0u);
    root.Write("b.txt", "");
    EXPECT_TRUE(WaitForEvent(kNoticeAdded, "b.txt"));
}

TEST_F(DirectoryChangeWatcherTest, BadFoldersGiveErrorResults) {
    CDirectoryChangeWatcher watcher;
    EXPECT_EQ(watcher.WatchDirectory(L"", &handler), kWatchErrorInvalidParameter);
    EXPECT_EQ(watcher.WatchDirectory(root.WRoot(), nullptr), kWatchErrorInvalidParameter);
    EXPECT_EQ(watcher.WatchDirectory(root.WPath("missing"), &handler), kWatchErrorBadPathname);
    root.Write("file.txt", "");
    EXPECT_EQ(watcher.WatchDirectory(root.WPath("file.txt"), &handler), kWatchErrorBadPathname);
    EXPECT_EQ(watcher.WatchedDirectoryCount(), 0u);
    EXPECT_EQ(handler.AttachedWrapperCount(), 0u);
    EXPECT_FALSE(DescribeWatchError(kWatchErrorBadPathname).empty());
}

TEST_F(DirectoryChangeWatcherTest, UnreadableFolderGivesTheSystemError) {
    CDirectoryChangeWatcher watcher;
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    root.MkDir("locked");
    std::filesystem::permissions(root.Path("locked"), std::filesystem::perms::none);
    EXPECT_EQ(watcher.WatchDirectory(root.WPath("locked"), &handler),
              static_cast<std::uint32_t>(EACCES));
    const std::wstring locked = root.WPath("locked");
    EXPECT_TRUE(handler.WaitFor([&](const auto& events) {
        for (const WatchEvent& e : events)
            if (e.nKind == kNoticeWatchStarted && e.strPath == locked && e.nError == EACCES)
                return true;
        return false;
    }));
    EXPECT_EQ(watcher.WatchedDirectoryCount(), 0u);
}

TEST_F(DirectoryChangeWatcherTest, DeletedWatchedFolderEndsTheWatchWithAnError) {
    root.MkDir("w/s");
    CDirectoryChangeWatcher watcher;
    ASSERT_EQ(watcher.WatchDirectory(root.WPath("w"), &handler), 0u);
    root.Remove("w");
    ASSERT_TRUE(handler.WaitFor(
        [&](const auto& events) { return HasEvent(events, kNoticeReadError, root.WPath("w")); }));
    EXPECT_TRUE(handler.WaitFor([&](const auto&) { return handler.AttachedWrapperCount() == 0; }));
    EXPECT_EQ(watcher.FindWatchedDirectory(root.WPath("w")), nullptr);
    EXPECT_EQ(handler.WatchCount(), 0);
    EXPECT_FALSE(watcher.StopWatchingDirectory(root.WPath("w")));
}

TEST_F(DirectoryChangeWatcherTest, NewSubfolderWithFilesInsideIsReported) {
    CTempTree outside;
    outside.MkDir("day/table");
    outside.Write("day/table/HH1.txt", "hand\n");
    outside.Write("day/HH2.txt", "hand\n");
    CDirectoryChangeWatcher watcher;
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler, L"HH*.txt"), 0u);
    std::filesystem::rename(outside.Path("day"), root.Path("day"));
    ASSERT_TRUE(WaitForEvent(kNoticeModified, "day/table/HH1.txt"));
    ASSERT_TRUE(WaitForEvent(kNoticeModified, "day/HH2.txt"));
    root.Append("day/table/HH1.txt", "hand\n");
    ASSERT_TRUE(
        handler.WaitFor([](const auto& events) { return CountOf(events, kNoticeModified) == 3; }));
    ASSERT_TRUE(watcher.StopWatchingDirectory(root.WRoot()));
    EXPECT_EQ(handler.Count(kNoticeAdded), 2u);
}

TEST_F(DirectoryChangeWatcherTest, HandlerLifetimeAgainstItsWatches) {
    CDirectoryChangeWatcher watcher;
    CTempTree second;
    ASSERT_TRUE(second.Ok());

    // Destroying a handler that is still watching ends its watches first.
    auto doomed = std::make_unique<CRecordingHandler>();
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), doomed.get()), 0u);
    ASSERT_EQ(watcher.WatchDirectory(second.WRoot(), doomed.get()), 0u);
    EXPECT_EQ(doomed->WatchCount(), 2);
    doomed.reset();
    EXPECT_EQ(watcher.WatchedDirectoryCount(), 0u);
    root.Write("a.txt", "x");

    // The caller owns its handler: the end of its watch lets go of it and
    // leaves it alive.
    static std::atomic<int> destroyed;
    destroyed = 0;
    struct CCountedHandler : CRecordingHandler {
        ~CCountedHandler() override { ++destroyed; }
    };
    auto owned = std::make_unique<CCountedHandler>();
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), owned.get()), 0u);
    EXPECT_EQ(owned->AttachedWrapperCount(), 1u);
    ASSERT_TRUE(watcher.StopWatchingDirectory(root.WRoot()));
    EXPECT_EQ(owned->AttachedWrapperCount(), 0u);
    EXPECT_EQ(destroyed.load(), 0);
    EXPECT_EQ(owned->Count(kNoticeWatchStopped), 1u);

    // A handler serves one watcher: watching with another ends the first's.
    CDirectoryChangeWatcher other;
    ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler), 0u);
    ASSERT_EQ(other.WatchDirectory(second.WRoot(), &handler), 0u);
    EXPECT_EQ(watcher.WatchedDirectoryCount(), 0u);
    EXPECT_EQ(handler.Watcher(), &other);
    EXPECT_TRUE(handler.StopAllWatches());
    EXPECT_EQ(other.WatchedDirectoryCount(), 0u);
}

TEST_F(DirectoryChangeWatcherTest, DestroyingTheWatcherEndsItsWatches) {
    CTempTree second;
    ASSERT_TRUE(second.Ok());
    {
        CDirectoryChangeWatcher watcher;
        ASSERT_EQ(watcher.WatchDirectory(root.WRoot(), &handler), 0u);
        ASSERT_EQ(watcher.WatchDirectory(second.WRoot(), &handler), 0u);
    }
    EXPECT_EQ(handler.Count(kNoticeWatchStopped), 2u);
    EXPECT_EQ(handler.Watcher(), nullptr);
    EXPECT_EQ(handler.AttachedWrapperCount(), 0u);
}
