// One watched folder tree on Linux: its own inotify instance with a watch on
// every folder of the tree, and what is known of each file in it. It turns
// the kernel's events into file notices for a handler, on the thread that
// calls it. Events are taken as hints and checked against the file system, so
// that no change is lost and no file is announced twice:
// - a folder that appears is watched and then scanned, because files created
//   in it before its watch existed have no events; the files found are
//   announced (added, and modified when not empty);
// - a file is reported modified only when its size differs from the size last
//   reported, so writes that keep the size are not notices;
// - a rename is reported once, its two halves paired by the kernel's cookie;
//   a move out of the tree is a removal, a move into it an addition;
// - when the kernel's queue overflows, events are lost: the whole tree is
//   scanned again and compared with what was known, so every file that grew
//   is reported modified, new files added, vanished ones removed and files
//   found under a new name with the same inode renamed.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tw {

class CDirectoryChangeHandler;

class CInotifyTree {
public:
    using Clock = std::chrono::steady_clock;

    // How long the first half of a rename waits for its second half before
    // it counts as a move out of the tree.
    static constexpr std::chrono::milliseconds kMoveGrace{200};

    CInotifyTree(std::wstring folder, CDirectoryChangeHandler& sink);
    ~CInotifyTree();
    CInotifyTree(const CInotifyTree&) = delete;
    CInotifyTree& operator=(const CInotifyTree&) = delete;

    // Watches the tree and notes the files already in it (not reported).
    // 0, or the errno value (EACCES, ENOENT, ENOTDIR, EMFILE, ENOSPC...).
    std::uint32_t Open();
    // The inotify descriptor to poll; -1 before Open.
    int Fd() const { return fdInotify; }

    // Reads and handles every event queued now.
    void ReadEvents(Clock::time_point now);
    // Handles a buffer of inotify_event records as read from the descriptor.
    void HandleEventBuffer(const char* data, std::size_t size, Clock::time_point now);
    // Scans the whole tree again after lost events.
    void Resync();
    // Moves out of the tree whose grace ended by `now` are reported removed.
    void FlushMoves(Clock::time_point now);
    void FlushAllMoves();
    std::optional<Clock::time_point> NextMoveDeadline() const;

    // The watched folder itself went away (deleted, moved or unmounted) or
    // could no longer be read; nothing is reported after that.
    bool Ended() const { return bEnded; }
    std::uint32_t EndError() const { return nEndError; }
    // How many folders of the tree are watched.
    std::size_t WatchedFolderCount() const { return mapWd.size(); }

private:
    // What tells one file from another. Inode numbers are handed out again as
    // soon as a file is deleted, so the birth time goes with it where the
    // file system keeps one.
    struct FileId {
        std::uint64_t nInode = 0; // 0: unknown
        std::int64_t nBirthSec = 0;
        std::uint32_t nBirthNsec = 0;
        bool bBirth = false;
    };
    struct FileFacts {
        bool bDir = false;
        std::int64_t nSize = 0;
        FileId id;
    };
    struct FileEntry {
        std::int64_t nSize = -1; // last size reported; -1 unknown
        FileId id;
        bool bAnnounced = false; // reported added (by an event or a scan)
    };
    struct DirNode {
        int nWd = -1;
        std::string strName;
        std::string strRel; // below the root; empty for the root
        DirNode* pParent = nullptr;
        std::uint64_t nDev = 0;
        std::uint64_t nInode = 0;
        std::map<std::string, std::unique_ptr<DirNode>> mapDirs;
        std::map<std::string, FileEntry> mapFiles;
    };
    struct PendingMove {
        std::uint32_t nCookie = 0;
        std::string strOldRel;
        std::uint64_t nOldDev = 0;
        bool bDir = false;
        bool bKnown = false; // entry holds the file's state
        FileEntry entry;
        std::unique_ptr<DirNode> pDir; // a folder of the tree, still watched
        Clock::time_point tDeadline;
    };
    // Files a scan found gone and found new; paired by inode, then reported.
    struct Changes {
        struct Gone {
            std::string strRel;
            FileEntry entry;
            std::uint64_t nDev;
        };
        struct Found {
            DirNode* pNode;
            std::string strName;
            std::int64_t nSize;
            FileId id;
        };
        std::vector<Gone> vecGone;
        std::vector<Found> vecFound;
    };
    enum class ScanMode { Quiet, Report };

    // Not the same file for certain (different inode, or different birth).
    static bool MayBeSame(const FileId& a, const FileId& b);
    // The same file for certain: same inode and same known birth time.
    static bool SureSame(const FileId& a, const FileId& b);
    // Facts of a path (relative to dirFd, or AT_FDCWD), links not followed.
    static bool StatFile(int dirFd, const char* path, FileFacts& facts);

    void HandleEvent(int wd, std::uint32_t mask, std::uint32_t cookie, const std::string& name,
                     Clock::time_point now);
    void FileAppeared(DirNode& node, const std::string& name, bool withContent);
    void FileWritten(DirNode& node, const std::string& name);
    void FileDeleted(DirNode& node, const std::string& name);
    void DirAppeared(DirNode& node, const std::string& name);
    void DirDeleted(DirNode& node, const std::string& name);
    void DirWatchEnded(DirNode& node);
    void MoveFrom(DirNode& node, const std::string& name, bool isDir, std::uint32_t cookie,
                  Clock::time_point now);
    void MoveTo(DirNode& node, const std::string& name, bool isDir, std::uint32_t cookie);
    void ExpireMove(PendingMove& move);

    DirNode* WatchNewDir(DirNode& parent, const std::string& name, ScanMode mode, Changes& changes);
    void ScanDir(DirNode& node, ScanMode mode, Changes& changes);
    void CollectGone(const DirNode& node, Changes& changes) const;
    void ForgetWatches(DirNode& node);
    void RemoveChild(DirNode& parent, const std::string& name);
    void ApplyChanges(Changes& changes);
    void RenameSubtree(DirNode& node, const std::string& newRel);
    bool InTree(const DirNode* node) const;
    void End(std::uint32_t error);

    std::string NativePath(const std::string& rel) const;
    std::wstring WidePath(const std::string& rel) const;
    void ReportAdded(const std::string& rel);
    void ReportRemoved(const std::string& rel);
    void ReportModified(const std::string& rel);
    void ReportRenamed(const std::string& oldRel, const std::string& newRel);

    const std::wstring strFolder;
    std::string strNativeRoot;
    CDirectoryChangeHandler& sink;
    int fdInotify = -1;
    std::unique_ptr<DirNode> pRoot;
    std::unordered_map<int, DirNode*> mapWd;
    std::deque<PendingMove> dqMoves;
    std::vector<char> vecBuffer;
    bool bEnded = false;
    std::uint32_t nEndError = 0;
};

} // namespace tw
