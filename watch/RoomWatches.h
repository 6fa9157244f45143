// The folder watches of a session: one watch per configured room, with the
// room's file filters, feeding the history file reader. A room whose folder
// is missing when the session starts, or goes away during it (deleted,
// moved, on a drive that went away), is logged and reported as not watched,
// and its watch starts by itself once the folder is there again.
#pragma once

#include "model/SessionModel.h"
#include "reading/HistoryFileReader.h"
#include "support/FileIdentity.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/HistoryChangeHandler.h"

#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tw {

// The number and the history-file filters of a room by its name; false for a
// name that is not a supported room.
struct RoomFilter {
    RoomNumber nRoom = 0;
    std::wstring strInclude;
    std::wstring strExclude;
};
bool RoomFilterFor(const std::wstring& roomName, const std::wstring& nickname, RoomFilter& filter);

class CRoomWatches {
public:
    using Clock = std::chrono::steady_clock;
    using WallClock = std::chrono::system_clock;

    // Files written at most this long before a session starts are tables
    // still open: their new hands count.
    static constexpr std::time_t kOpenTableAge = 20 * 60 * 60;
    // How often the rooms' folders are looked at (see CheckFolders).
    static constexpr std::chrono::milliseconds kFolderCheckPeriod{1000};

    // A configured room whose folder is not watched during the session.
    struct UnwatchedRoom {
        std::wstring strRoom;
        std::wstring strFolder;
        std::uint32_t nError = 0; // why: a system error code (ENOENT: no such folder)
    };

    // `makeNotifier` chooses the delivering thread of the watches (empty: the
    // process's notification thread).
    CRoomWatches(CSessionModel& model, CHistoryFileReader& reader,
                 CDirectoryChangeWatcher::NotifierFactory makeNotifier = {});
    ~CRoomWatches();
    CRoomWatches(const CRoomWatches&) = delete;
    CRoomWatches& operator=(const CRoomWatches&) = delete;

    // Starts (or restarts) the watch of every configured room, in the rooms'
    // key order, and logs each. Files of a room's tree that pass its filters
    // and were written since `now` − kOpenTableAge enter the file table at
    // their current size. A room whose folder does not exist is logged and
    // waits for it (CheckFolders).
    void StartWatches(std::time_t now);
    // Ends every watch; returns once the last notice was delivered.
    void StopWatches();
    // Call it often (every few hundred milliseconds) on the thread that
    // started the watches; at most once per kFolderCheckPeriod it makes sure
    // that each watched room's folder is still the folder its watch holds,
    // and starts the watch of each room whose folder is back. A deleted or
    // moved folder ends its watch at once through the kernel's events; this
    // check is what sees it come back, and what sees a watched folder lose
    // its place without an event of its own (a parent folder renamed, a
    // drive gone). It is a timer rather than a watch on the nearest existing
    // parent folder because a drive being mounted, and a change made on a
    // network share by another machine, make no event in the parent; one
    // look at a folder a second costs next to nothing.
    void CheckFolders(Clock::time_point now);

    // How many rooms are watched.
    std::size_t WatchCount() const;
    // The active rooms of the session whose folders are not watched, in key
    // order. On the thread that started the watches.
    std::vector<UnwatchedRoom> UnwatchedRooms() const;
    // Called whenever a room's folder goes or its watch starts again, and
    // when watches start or stop: on the delivering thread of the watches or
    // on the thread that calls this object.
    std::function<void()> fnWatchesChanged;

private:
    // What tells a folder from another that later takes its name.
    using FolderId = FileIdentity;
    static bool FolderIdOf(const std::wstring& folder, FolderId& id, std::uint32_t& error);

    struct RoomWatch {
        std::unique_ptr<CDirectoryChangeHandlerHistory> pHandler;
        std::unique_ptr<CDirectoryChangeWatcher> pWatcher;
        RoomFilter filter;
        std::wstring strFolder;
        bool bWatched = false;
        bool bWasWatched = false;      // at some time of the session
        FolderId id;                   // of the folder the watch holds
        std::uint32_t nError = 0;      // why it is not watched
        std::uint32_t nStartError = 0; // the last failed start, logged once
    };

    // Starts the watch of a room whose folder exists; true when it runs.
    bool StartRoom(RoomWatch& w);
    // The room's watch ended or its folder lost its place.
    void FolderGone(const std::wstring& name, std::uint32_t error);
    void RegisterOpenFiles(const std::wstring& folder, const RoomFilter& filter, std::time_t now);
    // The files of a folder whose watch started again: those read before go
    // on from their positions, those written during the session are read
    // from their start, older ones are taken as at the session's start.
    void ResumeFiles(const RoomWatch& w, std::time_t now);
    void Changed();

    // Starting a watch waits for its worker, and on the user-interface thread
    // the wait handles other events: a click on Stop, the next check. Such
    // calls made while this object is busy wait until it is done.
    struct Busy;
    void RunDeferred();

    CSessionModel& m;
    CHistoryFileReader& rReader;
    CDirectoryChangeWatcher::NotifierFactory fnMakeNotifier;
    // Guards the map and the rooms' states: a watch's end arrives on the
    // delivering thread. Never held while a watch starts or stops.
    mutable std::mutex csWatches;
    std::map<std::wstring, RoomWatch> mapWatches;
    Clock::time_point tNextCheck{};
    std::time_t tSessionStart = 0;
    int nBusy = 0;
    bool bStopDeferred = false;
    bool bStartDeferred = false;
    std::time_t tDeferredStart = 0;
};

} // namespace tw
