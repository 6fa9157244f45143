// The change handler every configured room gives its folder watcher: file
// events go to the history file reader, which reads and counts the hands.
#pragma once

#include "watch/DirectoryChangeHandler.h"
#include "reading/HistoryFileReader.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tw {

class CDirectoryChangeHandlerHistory : public CDirectoryChangeHandler {
public:
    // Told when the watch of the room's folder ended on its own (the folder
    // was deleted, moved away or unmounted), on the delivering thread.
    using WatchEndedFn = std::function<void(std::uint32_t error, const std::wstring& folder)>;

    explicit CDirectoryChangeHandlerHistory(CHistoryFileReader& reader,
                                            WatchEndedFn onWatchEnded = {})
        : rReader(reader), fnWatchEnded(std::move(onWatchEnded)) {}
    ~CDirectoryChangeHandlerHistory() override {
        StopAllWatches();
        // A watch that ended on its own may still have its end on the way.
        CutOffNotices();
    }

    void FileAdded(const std::wstring& path) override { rReader.FileAdded(path); }
    void FileRemoved(const std::wstring& path) override { rReader.FileRemoved(path); }
    void FileModified(const std::wstring& path) override { rReader.FileModified(path); }
    void FileRenamed(const std::wstring& oldPath, const std::wstring& newPath) override {
        rReader.FileRenamed(oldPath, newPath);
    }
    void ReadChangesError(std::uint32_t error, const std::wstring& folder) override {
        if (fnWatchEnded)
            fnWatchEnded(error, folder);
    }

private:
    CHistoryFileReader& rReader;
    const WatchEndedFn fnWatchEnded;
};

} // namespace tw
