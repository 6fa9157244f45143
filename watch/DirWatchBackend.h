// What a platform offers the folder watcher: one worker thread that carries
// out start and stop requests of watches and reports each watched tree's file
// changes to the watch's wrapper handler. The Linux backend is built on
// inotify; another platform adds its own MakeDirWatchBackend.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace tw {

class CDirWatchInfo;

class CDirWatchBackend {
public:
    // Called on the worker thread when a watch ended on its own (its folder
    // went away or could no longer be read), before ReadChangesError is
    // queued to the watch's handler: a handler told of the end finds the
    // folder unwatched already and may watch it anew.
    using WatchEndedFn = std::function<void(const std::shared_ptr<CDirWatchInfo>&)>;

    virtual ~CDirWatchBackend() = default;

    // Starts the worker thread: 0, or a system error code.
    virtual std::uint32_t Start() = 0;
    // Hands the request the watch's state names (StartRequested or
    // StopRequested) to the worker, which carries it out and then calls the
    // watch's Finish. False when the worker cannot take requests.
    virtual bool PostRequest(const std::shared_ptr<CDirWatchInfo>& watch) = 0;
    // Ends the worker; watches it still serves end without notices.
    virtual void Shutdown() = 0;
};

// True when `path` names an existing folder (a link to one counts).
bool IsExistingFolder(const std::wstring& path);

std::unique_ptr<CDirWatchBackend> MakeDirWatchBackend(CDirWatchBackend::WatchEndedFn onWatchEnded);

} // namespace tw
