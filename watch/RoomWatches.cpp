#include "watch/RoomWatches.h"

#include "support/TextUtil.h"
#include "watch/DelayedDirectoryChangeHandler.h"

#include <chrono>
#include <filesystem>
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

CRoomWatches::CRoomWatches(CSessionModel& model, CHistoryFileReader& reader,
                           CDirectoryChangeWatcher::NotifierFactory makeNotifier)
    : m(model), rReader(reader), fnMakeNotifier(std::move(makeNotifier)) {}

CRoomWatches::~CRoomWatches() {
    StopWatches();
}

void CRoomWatches::StartWatches(std::time_t now) {
    rReader.SetSessionStart(now);
    for (auto& [name, room] : m.mapRooms) {
        RoomFilter filter;
        if (!RoomFilterFor(name, room.strNickname, filter))
            continue;
        room.nRoomNumber = filter.nRoom;
        std::error_code ec;
        const std::filesystem::path folder(ToUtf8(room.strHistoryPath));
        if (room.strHistoryPath.empty() || !std::filesystem::exists(folder, ec))
            continue; // no folder: no watch, no log line
        m.LogLine(Format(L"Nickname = %ls PokerRoom number = %d PokerRoom name = %ls",
                         room.strNickname.c_str(), room.nRoomNumber, name.c_str()));
        m.LogLine(Format(L"PokerRoom path = %ls", room.strHistoryPath.c_str()));

        RoomWatch& w = mapWatches[name];
        if (!w.pWatcher) {
            w.pHandler = std::make_unique<CDirectoryChangeHandlerHistory>(rReader);
            w.pWatcher =
                std::make_unique<CDirectoryChangeWatcher>(FileNamePatterns, fnMakeNotifier);
        }
        if (w.pWatcher->FindWatchedDirectory(room.strHistoryPath))
            w.pWatcher->StopWatchingDirectory(room.strHistoryPath);
        const std::uint32_t rc = w.pWatcher->WatchDirectory(room.strHistoryPath, w.pHandler.get(),
                                                            filter.strInclude, filter.strExclude);
        if (rc != 0)
            m.LogLine(L"Failed to start watch:\n" + DescribeWatchError(rc));
        else
            m.LogLine(L"Start WatchDirectory OK!\n" + DescribeWatchError(0));
        // After the watch runs, so that no file falls between the two: a
        // file added meanwhile is reported as added and read from its start.
        if (rc == 0)
            RegisterOpenFiles(room.strHistoryPath, filter, now);
    }
}

void CRoomWatches::RegisterOpenFiles(const std::wstring& folder, const RoomFilter& filter,
                                     std::time_t now) {
    namespace fs = std::filesystem;
    const auto includes = SplitPatterns(filter.strInclude);
    const auto excludes = SplitPatterns(filter.strExclude);
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
        const auto writtenAt = std::chrono::system_clock::to_time_t(
            std::chrono::time_point_cast<std::chrono::system_clock::duration>(
                std::chrono::file_clock::to_sys(written)));
        if (writtenAt < now - kOpenTableAge)
            continue;
        const auto size = it->file_size(fe);
        if (fe)
            continue;
        rReader.FileOpenedBefore(FromUtf8(it->path().string()), static_cast<std::int64_t>(size));
    }
}

void CRoomWatches::StopWatches() {
    for (auto& [name, w] : mapWatches) {
        if (w.pWatcher) {
            auto room = m.mapRooms.find(name);
            if (room != m.mapRooms.end())
                w.pWatcher->StopWatchingDirectory(room->second.strHistoryPath);
        }
    }
    // Destroying a watcher ends whatever it still watches.
    mapWatches.clear();
}

std::size_t CRoomWatches::WatchCount() const {
    std::size_t n = 0;
    for (const auto& [name, w] : mapWatches)
        n += w.pWatcher ? w.pWatcher->WatchedDirectoryCount() : 0;
    return n;
}

} // namespace tw
