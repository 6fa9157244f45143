#include "watch/DelayedDirectoryChangeHandler.h"

#include "watch/DelayedNotificationThread.h"
#include "watch/WatchPath.h"

#include <new>

namespace tw {

DirChangeNotice::~DirChangeNotice() {
    if (pOwner && nKind == kNoticeWatchStopped && !bDelivered)
        pOwner->StopNoticeDone();
}

void DeliverNotice(std::unique_ptr<DirChangeNotice> notice) {
    if (!notice || !notice->pOwner)
        return;
    // The notice keeps its owner alive until it is freed here.
    notice->pOwner->DeliverNotice(*notice);
}

bool WildcardMatch(std::wstring_view text, std::wstring_view pattern) {
    constexpr std::size_t npos = std::wstring_view::npos;
    std::size_t t = 0;
    std::size_t p = 0;
    std::size_t starP = npos; // pattern position after the last "*" seen
    std::size_t starT = 0;    // text position that "*" is currently tried from
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = ++p;
            starT = t;
            if (p == pattern.size())
                return true;
        } else if (p < pattern.size() && (pattern[p] == L'?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (starP != npos) {
            // Let the last "*" swallow one more character and try again.
            p = starP;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*')
        ++p;
    return p == pattern.size();
}

std::vector<std::wstring> SplitPatterns(std::wstring_view filter) {
    std::vector<std::wstring> patterns;
    std::size_t start = 0;
    while (start <= filter.size()) {
        std::size_t end = filter.find(L';', start);
        if (end == std::wstring_view::npos)
            end = filter.size();
        if (end > start)
            patterns.emplace_back(filter.substr(start, end - start));
        start = end + 1;
    }
    return patterns;
}

std::shared_ptr<CDelayedDirectoryChangeHandler>
CDelayedDirectoryChangeHandler::Create(CDirectoryChangeHandler* inner,
                                       std::unique_ptr<CDelayedNotifier> notifier,
                                       std::wstring_view include, std::wstring_view exclude) {
    if (!notifier)
        notifier = std::make_unique<CDelayedNotificationThread>();
    std::shared_ptr<CDelayedDirectoryChangeHandler> wrapper(
        new CDelayedDirectoryChangeHandler(inner, std::move(notifier), include, exclude));
    if (inner)
        inner->AddWrapper(wrapper.get(), wrapper);
    return wrapper;
}

CDelayedDirectoryChangeHandler::CDelayedDirectoryChangeHandler(
    CDirectoryChangeHandler* inner, std::unique_ptr<CDelayedNotifier> notifier,
    std::wstring_view include, std::wstring_view exclude)
    : pNotifier(std::move(notifier)), pInner(inner), vecInclude(SplitPatterns(include)),
      vecExclude(SplitPatterns(exclude)) {}

CDelayedDirectoryChangeHandler::~CDelayedDirectoryChangeHandler() {
    Detach();
}

void CDelayedDirectoryChangeHandler::Queue(NoticeKind kind, const std::wstring& path,
                                           const std::wstring& newPath, std::uint32_t error) {
    std::unique_ptr<DirChangeNotice> notice;
    try {
        notice = std::make_unique<DirChangeNotice>();
        notice->strPath = path;
        notice->strNewPath = newPath;
    } catch (const std::bad_alloc&) {
        if (kind == kNoticeWatchStopped)
            StopNoticeDone();
        return; // without memory the notification is dropped
    }
    notice->nKind = kind;
    notice->nError = error;
    notice->pOwner = shared_from_this();
    pNotifier->PostNotice(std::move(notice));
}

void CDelayedDirectoryChangeHandler::FileAdded(const std::wstring& path) {
    Queue(kNoticeAdded, path, {}, 0);
}
void CDelayedDirectoryChangeHandler::FileRemoved(const std::wstring& path) {
    Queue(kNoticeRemoved, path, {}, 0);
}
void CDelayedDirectoryChangeHandler::FileRenamed(const std::wstring& oldPath,
                                                 const std::wstring& newPath) {
    Queue(kNoticeRenamed, oldPath, newPath, 0);
}
void CDelayedDirectoryChangeHandler::FileModified(const std::wstring& path) {
    Queue(kNoticeModified, path, {}, 0);
}
void CDelayedDirectoryChangeHandler::ReadChangesError(std::uint32_t error,
                                                      const std::wstring& folder) {
    Queue(kNoticeReadError, folder, {}, error);
}
void CDelayedDirectoryChangeHandler::WatchStarted(std::uint32_t error, const std::wstring& folder) {
    Queue(kNoticeWatchStarted, folder, {}, error);
}
void CDelayedDirectoryChangeHandler::WatchStopped(const std::wstring& folder) {
    // The stopping thread waits for this notice, and with it for every
    // notice before it.
    {
        std::lock_guard<std::mutex> lock(csStop);
        ++nStopsPending;
    }
    Queue(kNoticeWatchStopped, folder, {}, 0);
}

void CDelayedDirectoryChangeHandler::DeliverNotice(DirChangeNotice& notice) {
    {
        std::lock_guard<std::recursive_mutex> lock(csDeliver);
        if (CDirectoryChangeHandler* inner = pInner) {
            // Whatever the caller's handler throws ends this delivery only.
            try {
                if (PassesFilter(notice)) {
                    switch (notice.nKind) {
                    case kNoticeAdded:
                        inner->FileAdded(notice.strPath);
                        break;
                    case kNoticeRemoved:
                        inner->FileRemoved(notice.strPath);
                        break;
                    case kNoticeModified:
                        inner->FileModified(notice.strPath);
                        break;
                    case kNoticeRenamed:
                        inner->FileRenamed(notice.strPath, notice.strNewPath);
                        break;
                    case kNoticeReadError:
                        inner->ReadChangesError(notice.nError, notice.strPath);
                        break;
                    case kNoticeWatchStarted:
                        inner->WatchStarted(notice.nError, notice.strPath);
                        break;
                    case kNoticeWatchStopped:
                        inner->WatchStopped(notice.strPath);
                        break;
                    }
                }
            } catch (...) {
            }
        }
    }
    notice.bDelivered = true;
    if (notice.nKind == kNoticeWatchStopped)
        StopNoticeDone();
}

bool CDelayedDirectoryChangeHandler::NamePasses(std::wstring_view path) const {
    std::size_t start = path.size();
    while (start > 0 && !IsWatchPathSeparator(path[start - 1]))
        --start;
    const std::wstring_view name = path.substr(start);
    bool included = vecInclude.empty();
    for (const std::wstring& pattern : vecInclude)
        if (WildcardMatch(name, pattern)) {
            included = true;
            break;
        }
    if (!included)
        return false;
    for (const std::wstring& pattern : vecExclude)
        if (WildcardMatch(name, pattern))
            return false;
    return true;
}

bool CDelayedDirectoryChangeHandler::PassesFilter(const DirChangeNotice& notice) const {
    // The life of a watch is never filtered away.
    if (notice.nKind == kNoticeReadError || notice.nKind == kNoticeWatchStarted ||
        notice.nKind == kNoticeWatchStopped)
        return true;
    if (NamePasses(notice.strPath))
        return true;
    // A file renamed into the patterns (a.tmp -> a.txt) is wanted as well.
    return notice.nKind == kNoticeRenamed && NamePasses(notice.strNewPath);
}

void CDelayedDirectoryChangeHandler::Detach() {
    CDirectoryChangeHandler* inner = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(csDeliver);
        inner = pInner;
        pInner = nullptr;
    }
    if (inner)
        inner->RemoveWrapper(this);
}

void CDelayedDirectoryChangeHandler::StopNoticeDone() {
    {
        std::lock_guard<std::mutex> lock(csStop);
        if (nStopsPending > 0)
            --nStopsPending;
    }
    cvStop.notify_all();
    pNotifier->Wake();
}

void CDelayedDirectoryChangeHandler::WaitStopDelivered() {
    WaitUntil(csStop, cvStop, [&] { return nStopsPending == 0; });
}

} // namespace tw
