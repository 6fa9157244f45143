// Moving notices off the watcher's worker thread: the wrapper around a
// caller's handler, the notice records it queues, the notifier that carries
// them to the delivering thread, and the include/exclude wildcard filter.
#pragma once

#include "watch/DirectoryChangeHandler.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace tw {

// One queued notification. Made on the worker thread, owned by whoever holds
// it, delivered and freed on the delivering thread.
struct DirChangeNotice {
    DirChangeNotice() = default;
    // A stop notice freed without being delivered still releases the wait
    // for it, so a notifier that goes away never leaves a stop hanging.
    ~DirChangeNotice();
    DirChangeNotice(const DirChangeNotice&) = delete;
    DirChangeNotice& operator=(const DirChangeNotice&) = delete;

    std::shared_ptr<CDelayedDirectoryChangeHandler> pOwner;
    NoticeKind nKind = kNoticeAdded;
    std::wstring strPath;    // for watch notices and read errors: the watched folder
    std::wstring strNewPath; // renames only
    std::uint32_t nError = 0;
    bool bDelivered = false;
};

// Hands the notice to its owner and frees it; the notifiers call this on the
// delivering thread.
void DeliverNotice(std::unique_ptr<DirChangeNotice> notice);

// Carries notices to the thread that delivers them.
class CDelayedNotifier {
public:
    virtual ~CDelayedNotifier() = default;
    // Queues a notice for delivery; ownership passes on. False (and the
    // notice freed) when it cannot be queued.
    virtual bool PostNotice(std::unique_ptr<DirChangeNotice> notice) = 0;
    // True on the thread the notices are delivered on.
    virtual bool IsDeliveringThread() const = 0;
    // The "pump while waiting" step of a wait on the delivering thread:
    // delivers what is queued (and, for a user-interface thread, handles its
    // other events), waiting at most `wait` for something to arrive.
    virtual void PumpWhileWaiting(std::chrono::milliseconds wait) = 0;
    // Ends a PumpWhileWaiting in progress early; any thread may call it.
    virtual void Wake() = 0;
};

// True when `text` matches `pattern`: "*" stands for any run of characters,
// "?" for one character, everything else for itself (case-sensitive).
bool WildcardMatch(std::wstring_view text, std::wstring_view pattern);

// Splits a filter string at ";" into its patterns; empty pieces are skipped.
std::vector<std::wstring> SplitPatterns(std::wstring_view filter);

// Wraps a caller's handler: the worker thread calls the wrapper, which queues
// each notification; on the delivering thread a file notice is tested against
// the include and exclude patterns, which see the file's name only, and passed
// to the caller's handler. A wrapper lives in a shared_ptr (made by Create)
// because queued notices keep it alive until they are delivered; it only
// points at the caller's handler, which cuts it off when it goes.
class CDelayedDirectoryChangeHandler
    : public CDirectoryChangeHandler,
      public std::enable_shared_from_this<CDelayedDirectoryChangeHandler> {
public:
    // `notifier` null: the process's notification thread delivers. The
    // filters are ";"-separated wildcard patterns (empty: no filter).
    static std::shared_ptr<CDelayedDirectoryChangeHandler>
    Create(CDirectoryChangeHandler* inner, std::unique_ptr<CDelayedNotifier> notifier,
           std::wstring_view include, std::wstring_view exclude);
    ~CDelayedDirectoryChangeHandler() override;

    // Queuing slots, called by the worker thread.
    void FileAdded(const std::wstring& path) override;
    void FileRemoved(const std::wstring& path) override;
    void FileRenamed(const std::wstring& oldPath, const std::wstring& newPath) override;
    void FileModified(const std::wstring& path) override;
    void ReadChangesError(std::uint32_t error, const std::wstring& folder) override;
    void WatchStarted(std::uint32_t error, const std::wstring& folder) override;
    // Queues the stop notice; WaitStopDelivered then waits for it.
    void WatchStopped(const std::wstring& folder) override;

    // On the delivering thread: filter, then call the caller's handler.
    void DeliverNotice(DirChangeNotice& notice);

    // After this the caller's handler gets no more calls from this wrapper.
    // Waits for a call in progress on another thread; may be called from
    // inside a call.
    void Detach();

    CDelayedNotifier& Notifier() const { return *pNotifier; }

    // Waits until `ready()` holds (checked under `m`; whoever makes it true
    // notifies `cv` and calls Notifier().Wake()). On the delivering thread
    // the wait pumps, so notices keep being delivered meanwhile.
    template <class Pred>
    void WaitUntil(std::mutex& m, std::condition_variable& cv, Pred ready) const {
        const bool bPump = pNotifier->IsDeliveringThread();
        std::unique_lock<std::mutex> lock(m);
        while (!ready()) {
            if (bPump) {
                lock.unlock();
                pNotifier->PumpWhileWaiting(kPumpSlice);
                lock.lock();
            } else {
                cv.wait_for(lock, kWaitSlice);
            }
        }
    }
    // Returns once the last queued stop notice has been delivered (or freed).
    void WaitStopDelivered();

    static constexpr std::chrono::milliseconds kPumpSlice{50};
    static constexpr std::chrono::milliseconds kWaitSlice{5000};

private:
    friend struct DirChangeNotice;

    CDelayedDirectoryChangeHandler(CDirectoryChangeHandler* inner,
                                   std::unique_ptr<CDelayedNotifier> notifier,
                                   std::wstring_view include, std::wstring_view exclude);
    void Queue(NoticeKind kind, const std::wstring& path, const std::wstring& newPath,
               std::uint32_t error);
    // Notices of the watch's life always pass; a file's notice passes when
    // its name is included and not excluded (for a rename, either name).
    bool PassesFilter(const DirChangeNotice& notice) const;
    bool NamePasses(std::wstring_view path) const;
    void StopNoticeDone();

    std::unique_ptr<CDelayedNotifier> pNotifier;
    mutable std::recursive_mutex csDeliver; // held while the caller's handler runs
    CDirectoryChangeHandler* pInner = nullptr;
    std::vector<std::wstring> vecInclude;
    std::vector<std::wstring> vecExclude;

    std::mutex csStop;
    std::condition_variable cvStop;
    int nStopsPending = 0; // stop notices queued and not yet delivered
};

} // namespace tw
