// The change handler every configured room gives its folder watcher: file
// events go to the history file reader, which reads and counts the hands.
#pragma once

#include "watch/DirectoryChangeHandler.h"
#include "reading/HistoryFileReader.h"

namespace tw {

class CDirectoryChangeHandlerHistory : public CDirectoryChangeHandler {
public:
    explicit CDirectoryChangeHandlerHistory(CHistoryFileReader& reader) : rReader(reader) {}
    ~CDirectoryChangeHandlerHistory() override { StopAllWatches(); }

    void FileAdded(const std::wstring& path) override { rReader.FileAdded(path); }
    void FileRemoved(const std::wstring& path) override { rReader.FileRemoved(path); }
    void FileModified(const std::wstring& path) override { rReader.FileModified(path); }
    void FileRenamed(const std::wstring& oldPath, const std::wstring& newPath) override {
        rReader.FileRenamed(oldPath, newPath);
    }

private:
    CHistoryFileReader& rReader;
};

} // namespace tw
