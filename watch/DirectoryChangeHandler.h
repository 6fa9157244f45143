// The base class of every folder-change callback, with the kinds of notice a
// watcher hands to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tw {

class CDirectoryChangeWatcher;
class CDelayedDirectoryChangeHandler;

// What one notice reports. 1 to 4 are file changes, 5 to 7 the life of a watch.
enum NoticeKind : std::uint32_t {
    kNoticeAdded = 1,
    kNoticeRemoved = 2,
    kNoticeModified = 3,
    kNoticeRenamed = 4,
    kNoticeReadError = 5,
    kNoticeWatchStarted = 6,
    kNoticeWatchStopped = 7,
};

// Receives the changes of watched folders. Paths are full paths: the watched
// folder as it was given, a separator unless it already ends with one, then
// the file's path below it. Only files are reported; folders are watched but
// their own creation, removal and renaming are not notices.
//
// A handler is given to CDirectoryChangeWatcher::WatchDirectory; its calls
// then arrive on the watcher's delivering thread, one at a time, in the order
// the changes happened. A handler may serve several folders of one watcher.
//
// Lifetime: the caller owns its handler (a member, a local, a unique_ptr);
// the watcher and its queued notices only point at it. Destroying a handler
// cuts it off from every pending notice at once and then ends its watches. A
// derived handler whose watches may still run should call StopAllWatches in
// its own destructor, before its own members are gone.
class CDirectoryChangeHandler {
public:
    CDirectoryChangeHandler() = default;
    virtual ~CDirectoryChangeHandler();
    CDirectoryChangeHandler(const CDirectoryChangeHandler&) = delete;
    CDirectoryChangeHandler& operator=(const CDirectoryChangeHandler&) = delete;

    virtual void FileAdded(const std::wstring& path);
    virtual void FileRemoved(const std::wstring& path);
    virtual void FileRenamed(const std::wstring& oldPath, const std::wstring& newPath);
    virtual void FileModified(const std::wstring& path) = 0;
    // The watch of `folder` broke down and has ended (the folder was deleted,
    // moved or unmounted, or could no longer be read); error is a system code.
    virtual void ReadChangesError(std::uint32_t error, const std::wstring& folder);
    // The outcome of starting the watch of `folder`: 0 or the error.
    virtual void WatchStarted(std::uint32_t error, const std::wstring& folder);
    virtual void WatchStopped(const std::wstring& folder);

    // Ends every watch that uses this handler in the watcher it serves. True
    // when it served no watcher or at least one watch was ended.
    bool StopAllWatches();

    // How many watches may still call this handler: those running, and those
    // ended whose last notices are still on their way.
    std::size_t AttachedWrapperCount() const;
    // How many watches of Watcher() use this handler.
    long WatchCount() const;
    CDirectoryChangeWatcher* Watcher() const;

protected:
    // Cuts the handler off from every notice still on its way to it, waiting
    // for a call in progress on another thread. The base destructor does it
    // too, but only after the derived part is gone: a derived handler whose
    // watch may have ended on its own (its last notices still queued) calls
    // it in its own destructor, after StopAllWatches.
    void CutOffNotices();

private:
    friend class CDirectoryChangeWatcher;
    friend class CDelayedDirectoryChangeHandler;

    void AddWrapper(CDelayedDirectoryChangeHandler* wrapper,
                    std::weak_ptr<CDelayedDirectoryChangeHandler> weak);
    void RemoveWrapper(CDelayedDirectoryChangeHandler* wrapper);

    mutable std::mutex csHandler; // guards the members below
    CDirectoryChangeWatcher* pWatcher = nullptr;
    long nWatchCount = 0;
    struct WrapperRef {
        CDelayedDirectoryChangeHandler* pWrapper;
        std::weak_ptr<CDelayedDirectoryChangeHandler> wpWrapper;
    };
    std::vector<WrapperRef> vecWrappers; // the wrappers that may still call this handler
};

} // namespace tw
