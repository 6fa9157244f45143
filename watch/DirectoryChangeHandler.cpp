#include "watch/DirectoryChangeHandler.h"

#include "watch/DelayedDirectoryChangeHandler.h"
#include "watch/DirectoryChangeWatcher.h"

#include <algorithm>

namespace tw {

CDirectoryChangeHandler::~CDirectoryChangeHandler() {
    // The derived part is gone already: no pending notice may reach this
    // object any more, so cut it off from its wrappers before anything else.
    CutOffNotices();
    StopAllWatches();
}

void CDirectoryChangeHandler::CutOffNotices() {
    std::vector<std::shared_ptr<CDelayedDirectoryChangeHandler>> wrappers;
    {
        std::lock_guard<std::mutex> lock(csHandler);
        for (const WrapperRef& ref : vecWrappers)
            if (auto wrapper = ref.wpWrapper.lock())
                wrappers.push_back(std::move(wrapper));
    }
    for (const auto& wrapper : wrappers)
        wrapper->Detach();
}

void CDirectoryChangeHandler::FileAdded(const std::wstring&) {}
void CDirectoryChangeHandler::FileRemoved(const std::wstring&) {}
void CDirectoryChangeHandler::FileRenamed(const std::wstring&, const std::wstring&) {}
void CDirectoryChangeHandler::ReadChangesError(std::uint32_t, const std::wstring&) {}
void CDirectoryChangeHandler::WatchStarted(std::uint32_t, const std::wstring&) {}
void CDirectoryChangeHandler::WatchStopped(const std::wstring&) {}

bool CDirectoryChangeHandler::StopAllWatches() {
    CDirectoryChangeWatcher* watcher = nullptr;
    {
        std::lock_guard<std::mutex> lock(csHandler);
        watcher = pWatcher;
    }
    if (!watcher)
        return true;
    return watcher->StopWatchesOf(this) > 0;
}

std::size_t CDirectoryChangeHandler::AttachedWrapperCount() const {
    std::lock_guard<std::mutex> lock(csHandler);
    return vecWrappers.size();
}

long CDirectoryChangeHandler::WatchCount() const {
    std::lock_guard<std::mutex> lock(csHandler);
    return nWatchCount;
}

CDirectoryChangeWatcher* CDirectoryChangeHandler::Watcher() const {
    std::lock_guard<std::mutex> lock(csHandler);
    return pWatcher;
}

void CDirectoryChangeHandler::AddWrapper(CDelayedDirectoryChangeHandler* wrapper,
                                         std::weak_ptr<CDelayedDirectoryChangeHandler> weak) {
    std::lock_guard<std::mutex> lock(csHandler);
    vecWrappers.push_back({wrapper, std::move(weak)});
}

void CDirectoryChangeHandler::RemoveWrapper(CDelayedDirectoryChangeHandler* wrapper) {
    std::lock_guard<std::mutex> lock(csHandler);
    vecWrappers.erase(
        std::remove_if(vecWrappers.begin(), vecWrappers.end(),
                       [&](const WrapperRef& ref) { return ref.pWrapper == wrapper; }),
        vecWrappers.end());
}

} // namespace tw
