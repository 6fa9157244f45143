// Watching folder trees for file changes. Each watcher runs one worker
// thread that turns the system's change events into notices; the notices are
// filtered and delivered to the caller's handler on a delivering thread
// (the process's notification thread, or the user-interface thread when the
// watcher is given a window notifier factory).
#pragma once

#include "watch/DelayedDirectoryChangeHandler.h"
#include "watch/DirectoryChangeHandler.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tw {

class CDirWatchBackend;

// Results of WatchDirectory besides 0 and the system's own error codes
// (errno values on Linux).
inline constexpr std::uint32_t kWatchErrorOutOfMemory = 14;
inline constexpr std::uint32_t kWatchErrorInvalidParameter = 87;
inline constexpr std::uint32_t kWatchErrorBadPathname = 161;
inline constexpr std::uint32_t kWatchErrorNoThread = 164;

// A message text for a watch result, for the work log.
std::wstring DescribeWatchError(std::uint32_t error);

enum class WatchState {
    Idle = 0,
    StartRequested = 1,
    StopRequested = 2,
    Stopped = 3,
    Listening = 5
};

// One watched folder tree: its folder, the wrapper that queues its notices,
// and the state the caller and the worker hand each other.
class CDirWatchInfo {
public:
    CDirWatchInfo(std::wstring folder, CDirectoryChangeHandler* callerHandler,
                  std::shared_ptr<CDelayedDirectoryChangeHandler> handler)
        : strFolder(std::move(folder)), pCallerHandler(callerHandler),
          pHandler(std::move(handler)) {}

    const std::wstring strFolder; // as the caller gave it
    // The caller's handler, for its watch count; valid while the watch is in
    // the table (a handler's destructor takes its watches out first).
    CDirectoryChangeHandler* const pCallerHandler;
    const std::shared_ptr<CDelayedDirectoryChangeHandler> pHandler; // the wrapper

    WatchState State() const;
    std::uint32_t Result() const;

    // Caller: sets the state of a new request (the worker reads it).
    void BeginRequest(WatchState request);
    // Worker: the request is carried out; wakes the caller.
    void Finish(WatchState state, std::uint32_t result);
    // Caller: waits for Finish, pumping when on the delivering thread.
    void WaitDone();

private:
    mutable std::mutex csRecord;
    std::condition_variable cvDone;
    WatchState nState = WatchState::Idle;
    std::uint32_t nResult = 0;
    bool bDone = false;
};

class CDirectoryChangeWatcher {
public:
    // Makes the notifier of each new watch; empty: the process's
    // notification thread delivers.
    using NotifierFactory = std::function<std::unique_ptr<CDelayedNotifier>()>;

    explicit CDirectoryChangeWatcher(NotifierFactory makeNotifier = {});
    // Ends every watch (each reports WatchStopped first) and the worker.
    virtual ~CDirectoryChangeWatcher();
    CDirectoryChangeWatcher(const CDirectoryChangeWatcher&) = delete;
    CDirectoryChangeWatcher& operator=(const CDirectoryChangeWatcher&) = delete;

    // Starts watching the tree under `folder` for `handler`, with ";"-separated
    // wildcard include and exclude filters on file names (empty: none); a
    // file's notices reach the handler when its name is included and not
    // excluded, those of the watch's own life always. A folder that is
    // watched already is stopped and watched anew. Returns once the watch
    // runs: 0, kWatchErrorInvalidParameter (empty folder, no handler),
    // kWatchErrorBadPathname (missing, or not a folder), kWatchErrorNoThread,
    // or the system's error (EACCES, EMFILE, ENOSPC...).
    std::uint32_t WatchDirectory(const std::wstring& folder, CDirectoryChangeHandler* handler,
                                 const std::wstring& include = {},
                                 const std::wstring& exclude = {});
    // Ends the watch of `folder`. Returns once the handler has been given
    // every notice of the watch, WatchStopped last; true when it was watched.
    bool StopWatchingDirectory(const std::wstring& folder);
    // The watch of `folder`, or null.
    std::shared_ptr<CDirWatchInfo> FindWatchedDirectory(const std::wstring& folder) const;
    // How many folders are watched.
    std::size_t WatchedDirectoryCount() const;

private:
    friend class CDirectoryChangeHandler;

    // The worker, started on first use; null with the error in `error`.
    CDirWatchBackend* EnsureWorker(std::uint32_t& error);
    CDirWatchBackend* Worker();
    // Both under csTable; they keep the handlers' watch counts in step.
    void InsertLocked(const std::shared_ptr<CDirWatchInfo>& watch);
    std::shared_ptr<CDirWatchInfo> TakeOutLocked(std::size_t slot);
    // Stops a watch that is out of the table and releases the handler.
    void EndWatch(const std::shared_ptr<CDirWatchInfo>& watch);
    std::size_t StopWatchesOf(CDirectoryChangeHandler* handler);
    void WatchEndedByWorker(const std::shared_ptr<CDirWatchInfo>& watch);

    NotifierFactory fnMakeNotifier;
    mutable std::mutex csTable; // never held while waiting for the worker
    std::vector<std::shared_ptr<CDirWatchInfo>> vecWatches; // null slots are reused
    std::mutex csWorker;
    std::unique_ptr<CDirWatchBackend> pBackend;
};

} // namespace tw
