// The folder watches of a session: one watch per configured room, with the
// room's file filters, feeding the history file reader.
#pragma once

#include "model/SessionModel.h"
#include "watch/DirectoryChangeWatcher.h"
#include "watch/HistoryChangeHandler.h"
#include "reading/HistoryFileReader.h"

#include <ctime>
#include <map>
#include <memory>
#include <string>

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
    // Files written at most this long before a session starts are tables
    // still open: their new hands count.
    static constexpr std::time_t kOpenTableAge = 20 * 60 * 60;

    // `makeNotifier` chooses the delivering thread of the watches (empty: the
    // process's notification thread).
    CRoomWatches(CSessionModel& model, CHistoryFileReader& reader,
                 CDirectoryChangeWatcher::NotifierFactory makeNotifier = {});
    ~CRoomWatches();
    CRoomWatches(const CRoomWatches&) = delete;
    CRoomWatches& operator=(const CRoomWatches&) = delete;

    // Starts (or restarts) the watch of every configured room whose folder
    // exists, in the rooms' key order, and logs each. Files of a room's tree
    // that pass its filters and were written since `now` − kOpenTableAge enter
    // the file table at their current size.
    void StartWatches(std::time_t now);
    // Ends every watch; returns once the last notice was delivered.
    void StopWatches();
    // How many rooms are watched.
    std::size_t WatchCount() const;

private:
    struct RoomWatch {
        std::unique_ptr<CDirectoryChangeHandlerHistory> pHandler;
        std::unique_ptr<CDirectoryChangeWatcher> pWatcher;
    };
    void RegisterOpenFiles(const std::wstring& folder, const RoomFilter& filter, std::time_t now);

    CSessionModel& m;
    CHistoryFileReader& rReader;
    CDirectoryChangeWatcher::NotifierFactory fnMakeNotifier;
    std::map<std::wstring, RoomWatch> mapWatches;
};

} // namespace tw
