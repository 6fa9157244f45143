// Shared pieces of the folder-watch tests: a temporary folder tree and a
// handler that records what it is told.
#pragma once

#include "support/TextUtil.h"
#include "watch/DirectoryChangeHandler.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace tw::test {

// A fresh folder under the system's temporary folder, removed afterwards.
class CTempTree {
public:
    CTempTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tw-watch-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            strRoot = pattern;
    }
    ~CTempTree() {
        std::error_code ec;
        std::filesystem::permissions(strRoot, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(strRoot, ec);
    }
    CTempTree(const CTempTree&) = delete;
    CTempTree& operator=(const CTempTree&) = delete;

    bool Ok() const { return !strRoot.empty(); }
    const std::string& Root() const { return strRoot; }
    std::wstring WRoot() const { return FromUtf8(strRoot); }
    std::string Path(const std::string& rel) const { return strRoot + "/" + rel; }
    std::wstring WPath(const std::string& rel) const { return FromUtf8(Path(rel)); }
    // The part of a reported path below the root ("" when it is not below it).
    std::string Rel(const std::wstring& path) const {
        std::string p = ToUtf8(path);
        return p.rfind(strRoot + "/", 0) == 0 ? p.substr(strRoot.size() + 1) : std::string();
    }

    void MkDir(const std::string& rel) const { std::filesystem::create_directories(Path(rel)); }
    void Write(const std::string& rel, const std::string& text) const {
        std::ofstream(Path(rel), std::ios::binary | std::ios::trunc) << text;
    }
    void Append(const std::string& rel, const std::string& text) const {
        std::ofstream(Path(rel), std::ios::binary | std::ios::app) << text;
    }
    void Remove(const std::string& rel) const { std::filesystem::remove_all(Path(rel)); }
    void Rename(const std::string& from, const std::string& to) const {
        std::filesystem::rename(Path(from), Path(to));
    }

private:
    std::string strRoot;
};

struct WatchEvent {
    NoticeKind nKind = kNoticeAdded;
    std::wstring strPath;
    std::wstring strNewPath;
    std::uint32_t nError = 0;
    std::thread::id idThread;
};

// Records every call; tests wait for what they expect with a generous
// deadline and fail only when it never comes.
class CRecordingHandler : public CDirectoryChangeHandler {
public:
    ~CRecordingHandler() override { StopAllWatches(); }

    void FileAdded(const std::wstring& path) override { Add(kNoticeAdded, path); }
    void FileRemoved(const std::wstring& path) override { Add(kNoticeRemoved, path); }
    void FileRenamed(const std::wstring& from, const std::wstring& to) override {
        Add(kNoticeRenamed, from, to);
    }
    void FileModified(const std::wstring& path) override {
        Add(kNoticeModified, path);
        if (fnOnModified)
            fnOnModified(path);
    }
    void ReadChangesError(std::uint32_t error, const std::wstring& folder) override {
        Add(kNoticeReadError, folder, {}, error);
    }
    void WatchStarted(std::uint32_t error, const std::wstring& folder) override {
        Add(kNoticeWatchStarted, folder, {}, error);
    }
    void WatchStopped(const std::wstring& folder) override { Add(kNoticeWatchStopped, folder); }

    std::vector<WatchEvent> Events() const {
        std::lock_guard<std::mutex> lock(csEvents);
        return vecEvents;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(csEvents);
        vecEvents.clear();
    }
    // `done` may also look at state other than the events: it is checked
    // again every few milliseconds, not only when an event arrives.
    bool WaitFor(const std::function<bool(const std::vector<WatchEvent>&)>& done,
                 std::chrono::seconds deadline = std::chrono::seconds(20)) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        std::unique_lock<std::mutex> lock(csEvents);
        while (!done(vecEvents)) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            cvEvents.wait_for(lock, std::chrono::milliseconds(10));
        }
        return true;
    }
    std::size_t Count(NoticeKind kind) const {
        std::lock_guard<std::mutex> lock(csEvents);
        std::size_t n = 0;
        for (const WatchEvent& e : vecEvents)
            n += e.nKind == kind;
        return n;
    }

    // Runs inside FileModified, on the delivering thread.
    std::function<void(const std::wstring&)> fnOnModified;

private:
    void Add(NoticeKind kind, const std::wstring& path, const std::wstring& newPath = {},
             std::uint32_t error = 0) {
        WatchEvent e;
        e.nKind = kind;
        e.strPath = path;
        e.strNewPath = newPath;
        e.nError = error;
        e.idThread = std::this_thread::get_id();
        {
            std::lock_guard<std::mutex> lock(csEvents);
            vecEvents.push_back(std::move(e));
        }
        cvEvents.notify_all();
    }

    mutable std::mutex csEvents;
    std::condition_variable cvEvents;
    std::vector<WatchEvent> vecEvents;
};

inline std::size_t CountOf(const std::vector<WatchEvent>& events, NoticeKind kind) {
    std::size_t n = 0;
    for (const WatchEvent& e : events)
        n += e.nKind == kind;
    return n;
}

inline bool HasEvent(const std::vector<WatchEvent>& events, NoticeKind kind,
                     const std::wstring& path) {
    for (const WatchEvent& e : events)
        if (e.nKind == kind && e.strPath == path)
            return true;
    return false;
}

} // namespace tw::test
