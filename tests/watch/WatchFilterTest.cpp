#include "watch/DelayedDirectoryChangeHandler.h"

#include "WatchTestSupport.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace tw;
using namespace tw::test;

namespace {

// Delivers each notice at once on the posting thread.
class CImmediateNotifier : public CDelayedNotifier {
public:
    bool PostNotice(std::unique_ptr<DirChangeNotice> notice) override {
        DeliverNotice(std::move(notice));
        return true;
    }
    bool IsDeliveringThread() const override { return true; }
    void PumpWhileWaiting(std::chrono::milliseconds) override {}
    void Wake() override {}
};

std::shared_ptr<CDelayedDirectoryChangeHandler>
Wrap(CDirectoryChangeHandler& inner, const std::wstring& include, const std::wstring& exclude) {
    return CDelayedDirectoryChangeHandler::Create(&inner, std::make_unique<CImmediateNotifier>(),
                                                  include, exclude);
}

} // namespace

TEST(WildcardMatch, StarsQuestionMarksAndBacktracking) {
    EXPECT_TRUE(WildcardMatch(L"HH20240101 Altair II.txt", L"HH*.txt"));
    EXPECT_TRUE(WildcardMatch(L"HH.txt", L"HH*.txt"));
    EXPECT_FALSE(WildcardMatch(L"xHH1.txt", L"HH*.txt"));
    EXPECT_FALSE(WildcardMatch(L"HH1.txt.bak", L"HH*.txt"));
    EXPECT_TRUE(WildcardMatch(L"", L"*"));
    EXPECT_TRUE(WildcardMatch(L"anything at all", L"*"));
    EXPECT_TRUE(WildcardMatch(L"", L""));
    EXPECT_FALSE(WildcardMatch(L"a", L""));
    EXPECT_TRUE(WildcardMatch(L"abc", L"a?c"));
    EXPECT_FALSE(WildcardMatch(L"ac", L"a?c"));
    // A "*" must give back characters it took too early.
    EXPECT_TRUE(WildcardMatch(L"aab", L"*ab"));
    EXPECT_TRUE(WildcardMatch(L"aXbYbZc", L"a*b*c"));
    EXPECT_FALSE(WildcardMatch(L"aXbYbZ", L"a*b*c"));
    EXPECT_TRUE(WildcardMatch(L"t1 HeroHero.txt", L"*Hero.txt"));
    EXPECT_FALSE(WildcardMatch(L"t1 Hero.txt.txt", L"*Hero.txt"));
    EXPECT_TRUE(WildcardMatch(L"abc", L"**c"));
    // Case-sensitive, character by character.
    EXPECT_FALSE(WildcardMatch(L"A.TXT", L"*.txt"));
    EXPECT_TRUE(WildcardMatch(L"€ table.txt", L"? table.txt"));
}

TEST(WatchFilter, FileNamePatternsSeeOnlyTheFileName) {
    CRecordingHandler inner;
    auto wrapper = Wrap(inner, L"*.txt;;*.xml;", L"");
    wrapper->FileModified(L"/w/sub/a.txt");
    wrapper->FileModified(L"/w/sub/a.log");
    wrapper->FileModified(L"/w/dir.txt/a.log"); // the folder part never matches
    wrapper->FileModified(L"/w/b.xml");
    wrapper->FileModified(L"/w/A.TXT");
    auto events = inner.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].strPath, L"/w/sub/a.txt");
    EXPECT_EQ(events[1].strPath, L"/w/b.xml");
}

TEST(WatchFilter, ExcludeWinsOverInclude) {
    // A room's own files end in the nickname; its "nohero" files do too.
    CRecordingHandler inner;
    auto wrapper = Wrap(inner, L"*hero.txt", L"*nohero.txt");
    wrapper->FileAdded(L"/w/t1 hero.txt");
    wrapper->FileAdded(L"/w/t1 nohero.txt");
    wrapper->FileAdded(L"/w/t1 villain.txt");
    auto events = inner.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].strPath, L"/w/t1 hero.txt");
}

TEST(WatchFilter, RenameIntoThePatternsIsDelivered) {
    CRecordingHandler inner;
    auto wrapper = Wrap(inner, L"*.txt", L"");
    wrapper->FileRenamed(L"/w/a.tmp", L"/w/a.txt");
    wrapper->FileRenamed(L"/w/a.tmp", L"/w/b.tmp");
    // Names are taken from each path on its own, also across folders.
    wrapper->FileRenamed(L"/w/long-folder-name/a.tmp", L"/w/s/b.txt");
    auto events = inner.Events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].nKind, kNoticeRenamed);
    EXPECT_EQ(events[0].strNewPath, L"/w/a.txt");
    EXPECT_EQ(events[1].strNewPath, L"/w/s/b.txt");
}

TEST(WatchFilter, WatchNoticesAreNeverFilteredAway) {
    CRecordingHandler inner;
    auto wrapper = Wrap(inner, L"*.none", L"*");
    wrapper->WatchStarted(0, L"/w");
    wrapper->ReadChangesError(2, L"/w");
    wrapper->WatchStopped(L"/w");
    wrapper->FileAdded(L"/w/a.none");
    auto events = inner.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].nKind, kNoticeWatchStarted);
    EXPECT_EQ(events[1].nKind, kNoticeReadError);
    EXPECT_EQ(events[1].nError, 2u);
    EXPECT_EQ(events[2].nKind, kNoticeWatchStopped);
}

TEST(WatchFilter, ThrowingHandlerEndsOnlyItsOwnDelivery) {
    class CThrowingHandler : public CRecordingHandler {
    public:
        void FileAdded(const std::wstring& path) override {
            CRecordingHandler::FileAdded(path);
            throw std::runtime_error("handler failed");
        }
    } inner;
    auto wrapper = Wrap(inner, L"", L"");
    wrapper->WatchStarted(0, L"/w");
    wrapper->FileAdded(L"/w/a.txt"); // its exception stays inside the delivery
    wrapper->FileModified(L"/w/a.txt");
    wrapper->WatchStopped(L"/w");
    wrapper->WaitStopDelivered();
    auto events = inner.Events();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].nKind, kNoticeWatchStarted);
    EXPECT_EQ(events[1].nKind, kNoticeAdded);
    EXPECT_EQ(events[2].nKind, kNoticeModified);
    EXPECT_EQ(events[3].nKind, kNoticeWatchStopped);
}
