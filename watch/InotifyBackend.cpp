// The Linux folder-watch backend: one worker thread per watcher polls an
// eventfd that carries start and stop requests and the inotify descriptor of
// every tree it watches.
#include "support/TextUtil.h"
#include "watch/DirWatchBackend.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/InotifyTree.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <new>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tw {

bool IsExistingFolder(const std::wstring& path) {
    struct stat st;
    return ::stat(ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

class CInotifyBackend final : public CDirWatchBackend {
public:
    explicit CInotifyBackend(WatchEndedFn onWatchEnded) : fnWatchEnded(std::move(onWatchEnded)) {}
    ~CInotifyBackend() override { Shutdown(); }

    std::uint32_t Start() override {
        fdWake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (fdWake < 0)
            return static_cast<std::uint32_t>(errno);
        try {
            thWorker = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            ::close(fdWake);
            fdWake = -1;
            return kWatchErrorNoThread;
        }
        return 0;
    }

    bool PostRequest(const std::shared_ptr<CDirWatchInfo>& watch) override {
        {
            std::lock_guard<std::mutex> lock(csRequests);
            if (bQuit || fdWake < 0)
                return false;
            vecRequests.push_back(watch);
        }
        Poke();
        return true;
    }

    void Shutdown() override {
        {
            std::lock_guard<std::mutex> lock(csRequests);
            bQuit = true;
        }
        if (fdWake >= 0)
            Poke();
        if (thWorker.joinable())
            thWorker.join();
        if (fdWake >= 0) {
            ::close(fdWake);
            fdWake = -1;
        }
    }

private:
    struct Watch {
        std::shared_ptr<CDirWatchInfo> pInfo;
        std::unique_ptr<CInotifyTree> pTree;
    };

    void Poke() {
        const std::uint64_t one = 1;
        ssize_t n = ::write(fdWake, &one, sizeof one);
        (void)n; // a full counter still wakes the worker
    }

    void Run();
    void CarryOut(const std::shared_ptr<CDirWatchInfo>& watch, CInotifyTree::Clock::time_point now);
    void ReapEnded();
    int PollTimeout(CInotifyTree::Clock::time_point now) const;

    WatchEndedFn fnWatchEnded;
    int fdWake = -1;
    std::thread thWorker;
    std::mutex csRequests;
    std::vector<std::shared_ptr<CDirWatchInfo>> vecRequests;
    bool bQuit = false;
    std::vector<Watch> vecActive; // the worker's own
};

int CInotifyBackend::PollTimeout(CInotifyTree::Clock::time_point now) const {
    int timeout = -1;
    for (const Watch& watch : vecActive)
        if (auto deadline = watch.pTree->NextMoveDeadline()) {
            auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - now).count();
            int ms = static_cast<int>(std::clamp<long long>(wait, 0, 60000));
            timeout = timeout < 0 ? ms : std::min(timeout, ms);
        }
    return timeout;
}

void CInotifyBackend::Run() {
    std::vector<pollfd> fds;
    for (;;) {
        fds.clear();
        fds.push_back({fdWake, POLLIN, 0});
        for (const Watch& watch : vecActive)
            fds.push_back({watch.pTree->Fd(), POLLIN, 0});
        int ready = ::poll(fds.data(), fds.size(), PollTimeout(CInotifyTree::Clock::now()));
        if (ready < 0 && errno != EINTR)
            std::this_thread::sleep_for(std::chrono::milliseconds(10)); // out of memory: retry
        const auto now = CInotifyTree::Clock::now();
        try {
            // Changes first: whatever happened before a request is reported
            // before the request is carried out.
            for (std::size_t i = 0; ready > 0 && i < vecActive.size(); ++i)
                if (fds[i + 1].revents != 0)
                    vecActive[i].pTree->ReadEvents(now);
            for (Watch& watch : vecActive)
                watch.pTree->FlushMoves(now);
        } catch (const std::bad_alloc&) {
            // Out of memory in the middle of a tree: whatever it holds may be
            // incomplete, so each tree scans itself again once memory allows.
            for (Watch& watch : vecActive)
                try {
                    watch.pTree->Resync();
                } catch (const std::bad_alloc&) {
                }
        }
        ReapEnded();

        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            ssize_t n = ::read(fdWake, &count, sizeof count);
            (void)n;
        }
        std::vector<std::shared_ptr<CDirWatchInfo>> requests;
        bool quit = false;
        {
            std::lock_guard<std::mutex> lock(csRequests);
            requests.swap(vecRequests);
            quit = bQuit;
        }
        for (const auto& request : requests)
            CarryOut(request, now);
        if (quit)
            break;
    }
    // Trees still open end with the worker, without notices.
    vecActive.clear();
}

void CInotifyBackend::CarryOut(const std::shared_ptr<CDirWatchInfo>& watch,
                               CInotifyTree::Clock::time_point now) {
    CDelayedDirectoryChangeHandler& handler = *watch->pHandler;
    switch (watch->State()) {
    case WatchState::StartRequested: {
        std::uint32_t error = 0;
        try {
            auto tree = std::make_unique<CInotifyTree>(watch->strFolder, handler);
            error = tree->Open();
            if (error == 0)
                vecActive.push_back({watch, std::move(tree)});
        } catch (const std::bad_alloc&) {
            error = kWatchErrorOutOfMemory;
        }
        handler.WatchStarted(error, watch->strFolder);
        watch->Finish(error == 0 ? WatchState::Listening : WatchState::StartRequested, error);
        break;
    }
    case WatchState::StopRequested: {
        auto it = std::find_if(vecActive.begin(), vecActive.end(),
                               [&](const Watch& active) { return active.pInfo == watch; });
        if (it == vecActive.end()) {
            watch->Finish(WatchState::Stopped, watch->Result()); // it ended on its own
            break;
        }
        try {
            it->pTree->ReadEvents(now);
            it->pTree->FlushAllMoves();
        } catch (const std::bad_alloc&) {
        }
        vecActive.erase(it);
        handler.WatchStopped(watch->strFolder);
        watch->Finish(WatchState::Stopped, 0);
        break;
    }
    default:
        watch->Finish(watch->State(), watch->Result());
        break;
    }
}

void CInotifyBackend::ReapEnded() {
    for (std::size_t i = 0; i < vecActive.size();) {
        if (!vecActive[i].pTree->Ended()) {
            ++i;
            continue;
        }
        std::shared_ptr<CDirWatchInfo> info = vecActive[i].pInfo;
        const std::uint32_t error = vecActive[i].pTree->EndError();
        vecActive.erase(vecActive.begin() + static_cast<std::ptrdiff_t>(i));
        if (fnWatchEnded)
            fnWatchEnded(info);
        info->pHandler->ReadChangesError(error, info->strFolder);
    }
}

} // namespace

std::unique_ptr<CDirWatchBackend> MakeDirWatchBackend(CDirWatchBackend::WatchEndedFn onWatchEnded) {
    return std::make_unique<CInotifyBackend>(std::move(onWatchEnded));
}

} // namespace tw
