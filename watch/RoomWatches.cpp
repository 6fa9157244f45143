#include "watch/RoomWatches.h"

#include "support/TextUtil.h"
#include "watch/DelayedDirectoryChangeHandler.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <system_error>

namespace tw {

bool RoomFilterFor(const std::wstring& name, const std::wstring& nickname, RoomFilter& filter) {
    filter = RoomFilter{};
    filter.nRoom = RoomNumberFromName(name);
    switch (filter.nRoom) {
    case kRoomNone:
        return false;
    case kRoomPokerStars:
    case kRoomPokerStars2:
        filter.strInclude = L"HH*.txt";
        break;
    case kRoomTitan:
    case kRoomWilliamHill:
    case kRoomBetfair:
        filter.strInclude = L"*.xml";
        break;
    default:
        if (IsUPoker(filter.nRoom) || IsPokerBros(filter.nRoom)) {
            // Only the files of the hero's own hands.
            filter.strInclude = L"*" + nickname + L".txt";
            filter.strExclude = L"*nohero.txt";
        } else {
            // PartyPoker, 888poker and Tiger Gaming write plain text files.
            filter.strInclude = L"*.txt";
        }
        break;
    }
    return true;
}

namespace {

// A history file of a room's tree, as a walk found it.
struct TreeFile {
    std::wstring strPath;
    std::int64_t nSize = 0;
    CRoomWatches::WallClock::time_point tWritten;
};

// The regular files of the tree under `folder` that pass the room's filters.
std::vector<TreeFile> FilesOfTree(const std::wstring& folder, const RoomFilter& filter) {
    namespace fs = std::filesystem;
    const auto includes = SplitPatterns(filter.strInclude);
    const auto excludes = SplitPatterns(filter.strExclude);
    std::vector<TreeFile> files;
    std::error_code ec;
    fs::recursive_directory_iterator it(ToUtf8(folder),
                                        fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code fe;
        if (!it->is_regular_file(fe))
            continue;
        const std::wstring name = FromUtf8(it->path().filename().string());
        bool in = includes.empty();
        for (const auto& p : includes)
            in = in || WildcardMatch(name, p);
        for (const auto& p : excludes)
            in = in && !WildcardMatch(name, p);
        if (!in)
            continue;
        const auto written = fs::last_write_time(it->path(), fe);
        if (fe)
            continue;
        const auto size = it->file_size(fe);
        if (fe)
            continue;
        files.push_back({FromUtf8(it->path().string()), static_cast<std::int64_t>(size),
                         std::chrono::time_point_cast<CRoomWatches::WallClock::duration>(
                             std::chrono::file_clock::to_sys(written))});
    }
    return files;
}

} // namespace

struct CRoomWatches::Busy {
    explicit Busy(int& depth) : nDepth(depth) { ++nDepth; }
    ~Busy() { --nDepth; }
    int& nDepth;
};

CRoomWatches::CRoomWatches(CSessionModel& model, CHistoryFileReader& reader,
                           CDirectoryChangeWatcher::NotifierFactory makeNotifier)
    : m(model), rReader(reader), fnMakeNotifier(std::move(makeNotifier)) {}

CRoomWatches::~CRoomWatches() {
    // Whoever listened may be gone already.
    fnWatchesChanged = nullptr;
    StopWatches();
}

bool CRoomWatches::FolderIdOf(const std::wstring& folder, FolderId& id, std::uint32_t& error) {
    if (folder.empty()) {
        error = ENOENT;
        return false;
    }
    // The folder itself may be a link to a folder.
    bool isFolder = false;
    if (const int rc = ReadFileIdentity(folder, id, &isFolder); rc != 0) {
        error = static_cast<std::uint32_t>(rc);
        return false;
    }
    if (!isFolder) {
        error = ENOTDIR;
        return false;
    }
    return true;
}

void CRoomWatches::StartWatches(std::time_t now) {
    if (nBusy > 0) {
        bStartDeferred = true;
        bStopDeferred = false;
        tDeferredStart = now;
        return;
    }
    {
        Busy busy(nBusy);
        rReader.SetSessionStart(now);
        tSessionStart = now;
        for (const auto& [name, room] : m.Rooms()) {
            RoomFilter filter;
            if (!RoomFilterFor(name, room.strNickname, filter))
                continue;
            if (room.nRoomNumber != filter.nRoom) {
                // The reader picks the parser by this number. The record is
                // assigned over, so `room` stays valid and shows it.
                CPokerRoom numbered = room;
                numbered.nRoomNumber = filter.nRoom;
                m.SetRoom(name, numbered);
            }
            m.LogLine(Format(L"Nickname = %ls PokerRoom number = %d PokerRoom name = %ls",
                             room.strNickname.c_str(), room.nRoomNumber, name.c_str()));
            m.LogLine(Format(L"PokerRoom path = %ls", room.strHistoryPath.c_str()));

            RoomWatch* w = nullptr;
            std::wstring before;
            {
                std::lock_guard<std::mutex> lock(csWatches);
                w = &mapWatches[name];
                if (!w->pWatcher) {
                    const std::wstring key = name;
                    w->pHandler = std::make_unique<CDirectoryChangeHandlerHistory>(
                        rReader, [this, key](std::uint32_t error, const std::wstring&) {
                            FolderGone(key, error);
                        });
                    w->pWatcher = std::make_unique<CDirectoryChangeWatcher>(fnMakeNotifier);
                }
                before = w->strFolder;
                w->filter = filter;
                w->strFolder = room.strHistoryPath;
                w->bWatched = false;
                w->bWasWatched = false;
                w->nError = ENOENT;
                w->nStartError = 0;
            }
            for (const std::wstring& folder : {before, room.strHistoryPath})
                if (!folder.empty() && w->pWatcher->FindWatchedDirectory(folder))
                    w->pWatcher->StopWatchingDirectory(folder);

            if (room.strHistoryPath.empty()) {
                m.LogLine(
                    Format(L"PokerRoom %ls: no history folder is set: not watched", name.c_str()));
                continue;
            }
            FolderId id;
            std::uint32_t error = 0;
            if (!FolderIdOf(room.strHistoryPath, id, error)) {
                {
                    std::lock_guard<std::mutex> lock(csWatches);
                    w->nError = error;
                }
                if (error == ENOENT)
                    m.LogLine(Format(L"PokerRoom %ls: history folder %ls does not exist: not "
                                     L"watched until it does",
                                     name.c_str(), room.strHistoryPath.c_str()));
                else
                    m.LogLine(Format(L"PokerRoom %ls: history folder %ls cannot be reached (%ls): "
                                     L"not watched until it can",
                                     name.c_str(), room.strHistoryPath.c_str(),
                                     DescribeWatchError(error).c_str()));
                continue;
            }
            // After the watch runs, so that no file falls between the two: a
            // file added meanwhile is reported as added and read from its start.
            if (StartRoom(*w))
                RegisterOpenFiles(room.strHistoryPath, filter, now);
        }
    }
    Changed();
    RunDeferred();
}

bool CRoomWatches::StartRoom(RoomWatch& w) {
    const std::uint32_t rc = w.pWatcher->WatchDirectory(w.strFolder, w.pHandler.get(),
                                                        w.filter.strInclude, w.filter.strExclude);
    if (rc != 0) {
        bool first = false;
        {
            std::lock_guard<std::mutex> lock(csWatches);
            first = w.nStartError != rc;
            w.nStartError = rc;
            w.nError = rc;
        }
        // It is tried again every check: said once per reason.
        if (first)
            m.LogLine(L"Failed to start watch:\n" + DescribeWatchError(rc));
        return false;
    }
    m.LogLine(L"Start WatchDirectory OK!\n" + DescribeWatchError(0));
    FolderId id;
    std::uint32_t error = 0;
    FolderIdOf(w.strFolder, id, error); // failing, the next check finds the folder gone
    std::lock_guard<std::mutex> lock(csWatches);
    w.bWatched = true;
    w.bWasWatched = true;
    w.id = id;
    w.nError = 0;
    w.nStartError = 0;
    return true;
}

void CRoomWatches::FolderGone(const std::wstring& name, std::uint32_t error) {
    {
        std::lock_guard<std::mutex> lock(csWatches);
        auto it = mapWatches.find(name);
        if (it == mapWatches.end() || !it->second.bWatched)
            return;
        RoomWatch& w = it->second;
        // The end of an earlier watch of the folder, told after a newer one
        // started: a watch that ends leaves the watcher's table first.
        if (w.pWatcher->FindWatchedDirectory(w.strFolder))
            return;
        w.bWatched = false;
        w.nError = error != 0 ? error : ENOENT;
        // Logged before anyone can see the room unwatched.
        m.LogLine(Format(L"PokerRoom %ls: history folder %ls is gone (%ls): not watched until it "
                         L"is there again",
                         name.c_str(), w.strFolder.c_str(), DescribeWatchError(error).c_str()));
    }
    Changed();
}

void CRoomWatches::CheckFolders(Clock::time_point now) {
    if (nBusy > 0 || now < tNextCheck)
        return;
    tNextCheck = now + kFolderCheckPeriod;
    bool resumed = false;
    {
        Busy busy(nBusy);
        std::vector<std::wstring> names;
        {
            std::lock_guard<std::mutex> lock(csWatches);
            for (const auto& [name, w] : mapWatches)
                names.push_back(name);
        }
        // The map keeps its rooms meanwhile: a stop or start asked for during
        // a wait below is carried out afterwards.
        for (const std::wstring& name : names) {
            RoomWatch* w = nullptr;
            bool watched = false;
            FolderId held;
            {
                std::lock_guard<std::mutex> lock(csWatches);
                auto it = mapWatches.find(name);
                if (it == mapWatches.end())
                    continue;
                w = &it->second;
                watched = w->bWatched;
                held = w->id;
            }
            FolderId id;
            std::uint32_t error = 0;
            const bool there = FolderIdOf(w->strFolder, id, error);
            if (watched) {
                if (there && id == held)
                    continue;
                // The path leads elsewhere now (a parent folder renamed, a
                // drive gone): the watch holds a folder no longer there.
                w->pWatcher->StopWatchingDirectory(w->strFolder);
                FolderGone(name, there ? ENOENT : error);
                continue;
            }
            const bool again = w->bWasWatched;
            if (!there || !StartRoom(*w))
                continue;
            m.LogLine(Format(L"PokerRoom %ls: history folder %ls is there %ls: watched from now on",
                             name.c_str(), w->strFolder.c_str(), again ? L"again" : L"now"));
            ResumeFiles(*w, std::time(nullptr));
            resumed = true;
        }
    }
    if (resumed)
        Changed();
    RunDeferred();
}

void CRoomWatches::RegisterOpenFiles(const std::wstring& folder, const RoomFilter& filter,
                                     std::time_t now) {
    for (const TreeFile& f : FilesOfTree(folder, filter))
        if (WallClock::to_time_t(f.tWritten) >= now - kOpenTableAge)
            rReader.FileOpenedBefore(f.strPath, f.nSize);
}

void CRoomWatches::ResumeFiles(const RoomWatch& w, std::time_t now) {
    const std::vector<TreeFile> files = FilesOfTree(w.strFolder, w.filter);
    std::vector<std::wstring> paths;
    paths.reserve(files.size());
    for (const TreeFile& f : files)
        paths.push_back(f.strPath);
    const std::vector<std::wstring> unknown = rReader.FilesFoundOnResume(w.strFolder, paths);
    const std::set<std::wstring> isUnknown(unknown.begin(), unknown.end());
    for (const TreeFile& f : files) {
        if (!isUnknown.count(f.strPath))
            continue;
        const std::time_t written = WallClock::to_time_t(f.tWritten);
        if (written >= tSessionStart) {
            // Written during the session while the folder was not watched
            // (a new table, one moved in): read from its start.
            rReader.FileAdded(f.strPath);
            rReader.FileModified(f.strPath);
        } else if (written >= now - kOpenTableAge) {
            // There before the session (a drive mounted again, a folder moved
            // back): as at the session's start, only what is written from now
            // on counts, and older files not at all.
            rReader.FileOpenedBefore(f.strPath, f.nSize);
        }
    }
}

void CRoomWatches::StopWatches() {
    if (nBusy > 0) {
        bStopDeferred = true;
        bStartDeferred = false;
        return;
    }
    {
        Busy busy(nBusy);
        std::vector<std::pair<CDirectoryChangeWatcher*, std::wstring>> watches;
        {
            std::lock_guard<std::mutex> lock(csWatches);
            for (const auto& [name, w] : mapWatches)
                if (w.pWatcher && !w.strFolder.empty())
                    watches.emplace_back(w.pWatcher.get(), w.strFolder);
        }
        for (const auto& [watcher, folder] : watches)
            watcher->StopWatchingDirectory(folder);
        // Destroying a watcher ends whatever it still watches; a watch's end
        // still on its way finds its room gone.
        std::map<std::wstring, RoomWatch> ended;
        {
            std::lock_guard<std::mutex> lock(csWatches);
            ended.swap(mapWatches);
        }
        ended.clear();
    }
    Changed();
    RunDeferred();
}

void CRoomWatches::RunDeferred() {
    if (nBusy > 0)
        return;
    if (bStopDeferred) {
        bStopDeferred = false;
        StopWatches();
    }
    if (bStartDeferred) {
        bStartDeferred = false;
        StartWatches(tDeferredStart);
    }
}

void CRoomWatches::Changed() {
    if (fnWatchesChanged)
        fnWatchesChanged();
}

std::size_t CRoomWatches::WatchCount() const {
    std::lock_guard<std::mutex> lock(csWatches);
    std::size_t n = 0;
    for (const auto& [name, w] : mapWatches)
        n += w.pWatcher ? w.pWatcher->WatchedDirectoryCount() : 0;
    return n;
}

std::vector<CRoomWatches::UnwatchedRoom> CRoomWatches::UnwatchedRooms() const {
    std::vector<UnwatchedRoom> rooms;
    std::lock_guard<std::mutex> lock(csWatches);
    for (const auto& [name, w] : mapWatches) {
        if (w.bWatched)
            continue;
        // The hands of an inactive room do not count: whether it is watched
        // changes nothing.
        const CPokerRoom* room = m.FindRoom(name);
        if (room && room->bActive)
            rooms.push_back({name, w.strFolder, w.nError});
    }
    return rooms;
}

} // namespace tw
