#include "watch/DirectoryChangeWatcher.h"

#include "support/TextUtil.h"
#include "watch/DirWatchBackend.h"
#include "watch/WatchPath.h"

#include <new>
#include <system_error>

namespace tw {

std::wstring DescribeWatchError(std::uint32_t error) {
    switch (error) {
    case 0:
        return L"The operation completed successfully.";
    case kWatchErrorOutOfMemory:
        return L"Not enough memory to start the watch.";
    case kWatchErrorInvalidParameter:
        return L"No folder or no handler was given.";
    case kWatchErrorBadPathname:
        return L"The folder does not exist or is not a folder.";
    case kWatchErrorNoThread:
        return L"The watch thread could not be started.";
    default:
        return FromUtf8(std::system_category().message(static_cast<int>(error)));
    }
}

WatchState CDirWatchInfo::State() const {
    std::lock_guard<std::mutex> lock(csRecord);
    return nState;
}

std::uint32_t CDirWatchInfo::Result() const {
    std::lock_guard<std::mutex> lock(csRecord);
    return nResult;
}

void CDirWatchInfo::BeginRequest(WatchState request) {
    std::lock_guard<std::mutex> lock(csRecord);
    nState = request;
    bDone = false;
}

void CDirWatchInfo::Finish(WatchState state, std::uint32_t result) {
    {
        std::lock_guard<std::mutex> lock(csRecord);
        nState = state;
        nResult = result;
        bDone = true;
    }
    cvDone.notify_all();
    pHandler->Notifier().Wake();
}

void CDirWatchInfo::WaitDone() {
    pHandler->WaitUntil(csRecord, cvDone, [&] { return bDone; });
}

CDirectoryChangeWatcher::CDirectoryChangeWatcher(NotifierFactory makeNotifier)
    : fnMakeNotifier(std::move(makeNotifier)) {}

CDirectoryChangeWatcher::~CDirectoryChangeWatcher() {
    std::vector<std::shared_ptr<CDirWatchInfo>> watches;
    {
        std::lock_guard<std::mutex> lock(csTable);
        for (std::size_t i = 0; i < vecWatches.size(); ++i)
            if (vecWatches[i])
                watches.push_back(TakeOutLocked(i));
        vecWatches.clear();
    }
    for (const auto& watch : watches)
        EndWatch(watch);
    std::unique_ptr<CDirWatchBackend> backend;
    {
        std::lock_guard<std::mutex> lock(csWorker);
        backend = std::move(pBackend);
    }
    if (backend)
        backend->Shutdown();
}

CDirWatchBackend* CDirectoryChangeWatcher::EnsureWorker(std::uint32_t& error) {
    std::lock_guard<std::mutex> lock(csWorker);
    error = 0;
    if (!pBackend) {
        std::unique_ptr<CDirWatchBackend> backend;
        try {
            backend = MakeDirWatchBackend(
                [this](const std::shared_ptr<CDirWatchInfo>& watch) { WatchEndedByWorker(watch); });
        } catch (const std::bad_alloc&) {
            error = kWatchErrorOutOfMemory;
            return nullptr;
        }
        error = backend->Start();
        if (error != 0)
            return nullptr;
        pBackend = std::move(backend);
    }
    return pBackend.get();
}

CDirWatchBackend* CDirectoryChangeWatcher::Worker() {
    std::lock_guard<std::mutex> lock(csWorker);
    return pBackend.get();
}

std::uint32_t CDirectoryChangeWatcher::WatchDirectory(const std::wstring& folder,
                                                      CDirectoryChangeHandler* handler,
                                                      const std::wstring& include,
                                                      const std::wstring& exclude) {
    if (folder.empty() || !handler)
        return kWatchErrorInvalidParameter;
    if (!IsExistingFolder(folder))
        return kWatchErrorBadPathname;
    // A folder is watched at most once per watcher.
    StopWatchingDirectory(folder);

    std::uint32_t error = 0;
    CDirWatchBackend* worker = EnsureWorker(error);
    if (!worker)
        return error;

    std::shared_ptr<CDirWatchInfo> watch;
    try {
        std::unique_ptr<CDelayedNotifier> notifier;
        if (fnMakeNotifier)
            notifier = fnMakeNotifier();
        auto wrapper =
            CDelayedDirectoryChangeHandler::Create(handler, std::move(notifier), include, exclude);
        watch = std::make_shared<CDirWatchInfo>(folder, handler, std::move(wrapper));
    } catch (const std::bad_alloc&) {
        return kWatchErrorOutOfMemory;
    } catch (const std::system_error&) {
        return kWatchErrorNoThread; // the notification thread could not start
    }

    watch->BeginRequest(WatchState::StartRequested);
    if (!worker->PostRequest(watch))
        return kWatchErrorNoThread;
    watch->WaitDone();
    if (std::uint32_t result = watch->Result(); result != 0)
        return result; // WatchStarted(result) is on its way to the handler

    // A handler serves one watcher at a time.
    CDirectoryChangeWatcher* other = handler->Watcher();
    if (other && other != this)
        other->StopWatchesOf(handler);

    std::shared_ptr<CDirWatchInfo> displaced;
    {
        std::lock_guard<std::mutex> lock(csTable);
        const std::wstring key = WatchedFolderKey(folder);
        for (std::size_t i = 0; i < vecWatches.size(); ++i)
            if (vecWatches[i] && WatchedFolderKey(vecWatches[i]->strFolder) == key) {
                displaced = TakeOutLocked(i); // another thread started the same folder
                break;
            }
        InsertLocked(watch);
    }
    if (displaced)
        EndWatch(displaced);
    return 0;
}

void CDirectoryChangeWatcher::InsertLocked(const std::shared_ptr<CDirWatchInfo>& watch) {
    bool placed = false;
    for (auto& slot : vecWatches)
        if (!slot) {
            slot = watch;
            placed = true;
            break;
        }
    if (!placed)
        vecWatches.push_back(watch);
    CDirectoryChangeHandler* handler = watch->pCallerHandler;
    std::lock_guard<std::mutex> lock(handler->csHandler);
    if (handler->pWatcher != this) {
        handler->pWatcher = this;
        handler->nWatchCount = 0;
    }
    ++handler->nWatchCount;
}

std::shared_ptr<CDirWatchInfo> CDirectoryChangeWatcher::TakeOutLocked(std::size_t slot) {
    std::shared_ptr<CDirWatchInfo> watch = std::move(vecWatches[slot]);
    vecWatches[slot].reset();
    CDirectoryChangeHandler* handler = watch->pCallerHandler;
    std::lock_guard<std::mutex> lock(handler->csHandler);
    if (handler->pWatcher == this && --handler->nWatchCount <= 0) {
        handler->nWatchCount = 0;
        handler->pWatcher = nullptr;
    }
    return watch;
}

void CDirectoryChangeWatcher::EndWatch(const std::shared_ptr<CDirWatchInfo>& watch) {
    watch->BeginRequest(WatchState::StopRequested);
    if (CDirWatchBackend* worker = Worker(); worker && worker->PostRequest(watch))
        watch->WaitDone();
    // Every notice of the watch, the stop notice last, has reached the handler.
    watch->pHandler->WaitStopDelivered();
    watch->pHandler->Detach();
}

bool CDirectoryChangeWatcher::StopWatchingDirectory(const std::wstring& folder) {
    std::shared_ptr<CDirWatchInfo> watch;
    {
        std::lock_guard<std::mutex> lock(csTable);
        const std::wstring key = WatchedFolderKey(folder);
        for (std::size_t i = 0; i < vecWatches.size(); ++i)
            if (vecWatches[i] && WatchedFolderKey(vecWatches[i]->strFolder) == key) {
                watch = TakeOutLocked(i);
                break;
            }
    }
    if (!watch)
        return false;
    EndWatch(watch);
    return true;
}

std::size_t CDirectoryChangeWatcher::StopWatchesOf(CDirectoryChangeHandler* handler) {
    std::vector<std::shared_ptr<CDirWatchInfo>> watches;
    {
        std::lock_guard<std::mutex> lock(csTable);
        for (std::size_t i = 0; i < vecWatches.size(); ++i)
            if (vecWatches[i] && vecWatches[i]->pCallerHandler == handler)
                watches.push_back(TakeOutLocked(i));
    }
    for (const auto& watch : watches)
        EndWatch(watch);
    return watches.size();
}

void CDirectoryChangeWatcher::WatchEndedByWorker(const std::shared_ptr<CDirWatchInfo>& watch) {
    // The handler keeps its wrapper until the ReadChangesError queued next
    // has been delivered; only the table entry goes now.
    std::lock_guard<std::mutex> lock(csTable);
    for (std::size_t i = 0; i < vecWatches.size(); ++i)
        if (vecWatches[i] == watch) {
            TakeOutLocked(i);
            break;
        }
}

std::shared_ptr<CDirWatchInfo>
CDirectoryChangeWatcher::FindWatchedDirectory(const std::wstring& folder) const {
    if (folder.empty())
        return nullptr;
    std::lock_guard<std::mutex> lock(csTable);
    const std::wstring key = WatchedFolderKey(folder);
    for (std::size_t i = 0; i < vecWatches.size(); ++i)
        if (vecWatches[i] && WatchedFolderKey(vecWatches[i]->strFolder) == key)
            return vecWatches[i];
    return nullptr;
}

std::size_t CDirectoryChangeWatcher::WatchedDirectoryCount() const {
    std::lock_guard<std::mutex> lock(csTable);
    std::size_t n = 0;
    for (const auto& slot : vecWatches)
        if (slot)
            ++n;
    return n;
}

} // namespace tw
