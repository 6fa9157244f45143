// The Linux tree watch on its own, on the test's thread: the kernel queues
// events during each file operation, so reading them right after is exact.
#include "watch/InotifyTree.h"

#include "WatchTestSupport.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace tw;
using namespace tw::test;

namespace {

class InotifyTreeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.Ok());
        ASSERT_TRUE(outside.Ok());
    }

    std::unique_ptr<CInotifyTree> OpenTree() {
        auto tree = std::make_unique<CInotifyTree>(root.WRoot(), handler);
        EXPECT_EQ(tree->Open(), 0u);
        return tree;
    }

    // What the handler was told since the last call, as readable lines.
    std::vector<std::string> Take() {
        std::vector<std::string> lines;
        for (const WatchEvent& e : handler.Events()) {
            switch (e.nKind) {
            case kNoticeAdded:
                lines.push_back("added " + root.Rel(e.strPath));
                break;
            case kNoticeRemoved:
                lines.push_back("removed " + root.Rel(e.strPath));
                break;
            case kNoticeModified:
                lines.push_back("modified " + root.Rel(e.strPath));
                break;
            case kNoticeRenamed:
                lines.push_back("renamed " + root.Rel(e.strPath) + " -> " + root.Rel(e.strNewPath));
                break;
            default:
                lines.push_back("other");
            }
        }
        handler.Clear();
        return lines;
    }
    std::vector<std::string> TakeSorted() {
        auto lines = Take();
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    static void Read(CInotifyTree& tree) { tree.ReadEvents(CInotifyTree::Clock::now()); }

    CTempTree root;
    CTempTree outside;
    CRecordingHandler handler;
};

using Lines = std::vector<std::string>;

} // namespace

TEST_F(InotifyTreeTest, ReportsAddedAppendedAndRemovedFiles) {
    root.Write("old.txt", "hand 0\n");
    auto tree = OpenTree();
    Read(*tree);
    EXPECT_EQ(Take(), Lines{}); // files already there are not news

    root.Write("a.txt", "hand 1\n");
    Read(*tree);
    EXPECT_EQ(Take(), (Lines{"added a.txt", "modified a.txt"}));

    root.Append("a.txt", "hand 2\n");
    root.Append("a.txt", "hand 3\n"); // two appends, read as one change
    Read(*tree);
    EXPECT_EQ(Take(), Lines{"modified a.txt"});

    // A write that keeps the size is no change.
    int fd = ::open(root.Path("a.txt").c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "HAND", 4, 0), 4);
    ::close(fd);
    Read(*tree);
    EXPECT_EQ(Take(), Lines{});

    root.Append("old.txt", "hand 4\n");
    Read(*tree);
    EXPECT_EQ(Take(), Lines{"modified old.txt"});

    root.Remove("a.txt");
    Read(*tree);
    EXPECT_EQ(Take(), Lines{"removed a.txt"});
}

TEST_F(InotifyTreeTest, RenamesAreReportedOnceAndMovesAcrossTheEdge) {
    root.MkDir("sub");
    root.Write("a.tmp", "x");
    auto tree = OpenTree();

    root.Rename("a.tmp", "a.txt");
    Read(*tree);
    EXPECT_EQ(Take(), Lines{"renamed a.tmp -> a.txt"});

    root.Rename("a.txt", "sub/a.txt");
    Read(*tree);
    EXPECT_EQ(Take(), Lines{"renamed a.txt -> sub/a.txt"});

    // Moved out: a removal, once the rename's second half cannot come any more.
    std::filesystem::rename(root.Path("sub/a.txt"), outside.Path("a.txt"));
    Read(*tree);
    EXPECT_EQ(Take(), Lines{});
    ASSERT_TRUE(tree->NextMoveDeadline().has_value());
    tree->FlushMoves(*tree->NextMoveDeadline());
    EXPECT_EQ(Take(), Lines{"removed sub/a.txt"});

    // Moved in with its content: added and modified, so it is read.
    outside.Write("b.txt", "hand\n");
    std::filesystem::rename(outside.Path("b.txt"), root.Path("b.txt"));
    Read(*tree);
    EXPECT_EQ(Take(), (Lines{"added b.txt", "modified b.txt"}));
}

TEST_F(InotifyTreeTest, NewFolderWithFilesInsideIsScanned) {
    auto tree = OpenTree();

    // A folder moved in with files: the kernel reports the folder only.
    outside.MkDir("d1/d2");
    outside.Write("d1/x.txt", "x");
    outside.Write("d1/d2/y.txt", "yy");
    outside.Write("d1/empty.txt", "");
    std::filesystem::rename(outside.Path("d1"), root.Path("d1"));
    Read(*tree);
    EXPECT_EQ(TakeSorted(), (Lines{"added d1/d2/y.txt", "added d1/empty.txt", "added d1/x.txt",
                                   "modified d1/d2/y.txt", "modified d1/x.txt"}));
    EXPECT_EQ(tree->WatchedFolderCount(), 3u);

    root.Append("d1/d2/y.txt", "more");
    Read(*tree);
    EXPECT_EQ(Take(), Lines{"modified d1/d2/y.txt"});

    // Created and filled before the events are read: the files' own events
    // and the folder scan must not announce them twice.
    root.MkDir("n/m");
    root.Write("n/m/z.txt", "z");
    root.Write("n/top.txt", "t");
    Read(*tree);
    EXPECT_EQ(TakeSorted(), (Lines{"added n/m/z.txt", "added n/top.txt", "modified n/m/z.txt",
                                   "modified n/top.txt"}));
    root.Append("n/m/z.txt", "zz");
    Read(*tree);
    EXPECT_EQ(Take(), Lines{"modified n/m/z.txt"});
}

TEST_F(InotifyTreeTest, FolderRenameCarriesItsFilesAlong) {
    root.MkDir("d/s");
    root.Write("d/a.txt", "a");
    root.Write("d/s/b.txt", "b");
    auto tree = OpenTree();

    root.Rename("d", "e");
    Read(*tree);
    EXPECT_EQ(TakeSorted(),
              (Lines{"renamed d/a.txt -> e/a.txt", "renamed d/s/b.txt -> e/s/b.txt"}));

    root.Append("e/s/b.txt", "more");
    root.Write("e/s/c.txt", "");
    Read(*tree);
    EXPECT_EQ(Take(), (Lines{"modified e/s/b.txt", "added e/s/c.txt"}));

    root.Remove("e");
    Read(*tree);
    EXPECT_EQ(TakeSorted(), (Lines{"removed e/a.txt", "removed e/s/b.txt", "removed e/s/c.txt"}));
    EXPECT_EQ(tree->WatchedFolderCount(), 1u);
}

TEST_F(InotifyTreeTest, QueueOverflowRescanReportsWhatTheLostEventsHid) {
    auto tree = OpenTree();
    root.MkDir("sub/del");
    root.Write("grow.txt", "1");
    root.Write("same.txt", "2");
    root.Write("gone.txt", "3");
    root.Write("ren.txt", "4");
    root.Write("sub/del/in.txt", "5");
    Read(*tree);
    Take();

    root.Append("grow.txt", " and the next hand");
    // new.txt is made first: a file created right after a deletion may get
    // the deleted one's inode and birth tick, and is then taken for a rename.
    root.Write("new.txt", "n");
    root.Remove("gone.txt");
    root.Rename("ren.txt", "ren2.txt");
    root.MkDir("fresh");
    root.Write("fresh/f.txt", "f");
    root.Remove("sub/del");
    // The kernel drops its queue and says so with one overflow event.
    std::vector<char> sink(64 * 1024);
    while (::read(tree->Fd(), sink.data(), sink.size()) > 0) {
    }
    inotify_event overflow{};
    overflow.wd = -1;
    overflow.mask = IN_Q_OVERFLOW;
    tree->HandleEventBuffer(reinterpret_cast<const char*>(&overflow), sizeof overflow,
                            CInotifyTree::Clock::now());

    EXPECT_EQ(TakeSorted(), (Lines{"added fresh/f.txt", "added new.txt", "modified fresh/f.txt",
                                   "modified grow.txt", "modified new.txt", "removed gone.txt",
                                   "removed sub/del/in.txt", "renamed ren.txt -> ren2.txt"}));

    root.Append("fresh/f.txt", "g");
    root.Append("ren2.txt", "h");
    Read(*tree);
    EXPECT_EQ(TakeSorted(), (Lines{"modified fresh/f.txt", "modified ren2.txt"}));
}

TEST_F(InotifyTreeTest, EndsWhenTheWatchedFolderGoes) {
    root.MkDir("w/s");
    CInotifyTree tree(root.WPath("w"), handler);
    ASSERT_EQ(tree.Open(), 0u);
    root.Rename("w", "moved");
    Read(tree);
    EXPECT_TRUE(tree.Ended());
    EXPECT_EQ(tree.EndError(), static_cast<std::uint32_t>(ENOENT));

    root.MkDir("v");
    CInotifyTree gone(root.WPath("v"), handler);
    ASSERT_EQ(gone.Open(), 0u);
    root.Remove("v");
    Read(gone);
    EXPECT_TRUE(gone.Ended());

    CInotifyTree missing(root.WPath("missing"), handler);
    EXPECT_EQ(missing.Open(), static_cast<std::uint32_t>(ENOENT));
    root.Write("file", "");
    CInotifyTree notAFolder(root.WPath("file"), handler);
    EXPECT_EQ(notAFolder.Open(), static_cast<std::uint32_t>(ENOTDIR));
}

TEST_F(InotifyTreeTest, OddNamesAndUnreadableFoldersAreHarmless) {
    auto tree = OpenTree();
    const std::string names[] = {"bad\xff\xfe.txt", "new\nline.txt", " spaced .txt",
                                 "\xc3\xbcn\xc3\xaf.txt"};
    for (const std::string& name : names)
        root.Write(name, "x");
    root.MkDir("locked");
    std::filesystem::permissions(root.Path("locked"), std::filesystem::perms::none);
    Read(*tree);
    EXPECT_EQ(handler.Count(kNoticeAdded), 4u);
    EXPECT_TRUE(HasEvent(handler.Events(), kNoticeAdded, root.WPath("\xc3\xbcn\xc3\xaf.txt")));
    std::filesystem::permissions(root.Path("locked"), std::filesystem::perms::owner_all);
    handler.Clear();
    root.Write("after.txt", "");
    Read(*tree);
    EXPECT_EQ(Take(), Lines{"added after.txt"});
}

TEST_F(InotifyTreeTest, RealQueueOverflowLosesNoFileAndNoAppend) {
    long limit = 0;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
    if (limit <= 0 || limit > 100000)
        GTEST_SKIP() << "event queue limit " << limit << " is too large to fill in a test";
    auto tree = OpenTree();
    root.Write("hist.txt", "hand 1\n");
    Read(*tree);
    handler.Clear();

    // Nothing is read meanwhile, so the kernel's queue fills up and overflows.
    const long files = limit + 50;
    for (long i = 0; i < files; ++i) {
        int fd = ::open(root.Path("f" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    root.Append("hist.txt", "hand 2\n"); // its event is among the lost ones
    Read(*tree);

    std::set<std::wstring> added;
    for (const WatchEvent& e : handler.Events()) {
        if (e.nKind == kNoticeAdded) {
            EXPECT_TRUE(added.insert(e.strPath).second) << "announced twice";
        }
    }
    EXPECT_EQ(added.size(), static_cast<std::size_t>(files));
    EXPECT_TRUE(HasEvent(handler.Events(), kNoticeModified, root.WPath("hist.txt")));
}
