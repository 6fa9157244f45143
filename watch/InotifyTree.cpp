#include "watch/InotifyTree.h"

#include "support/TextUtil.h"
#include "watch/DirectoryChangeHandler.h"
#include "watch/WatchPath.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tw {

namespace {

// What every folder of a tree is watched for. Attribute and access events
// are not notices; events of files already unlinked are not wanted either.
constexpr std::uint32_t kFolderMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_MOVED_FROM |
                                      IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_EXCL_UNLINK |
                                      IN_ONLYDIR;

constexpr std::size_t kEventBufferSize = 64 * 1024;

std::string JoinRel(const std::string& dir, const std::string& name) {
    return dir.empty() ? name : dir + '/' + name;
}

bool LStat(const std::string& path, struct stat& st) {
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

bool CInotifyTree::MayBeSame(const FileId& a, const FileId& b) {
    if (a.nInode != b.nInode)
        return false;
    return !a.bBirth || !b.bBirth || (a.nBirthSec == b.nBirthSec && a.nBirthNsec == b.nBirthNsec);
}

bool CInotifyTree::SureSame(const FileId& a, const FileId& b) {
    return a.nInode != 0 && a.nInode == b.nInode && a.bBirth && b.bBirth &&
           a.nBirthSec == b.nBirthSec && a.nBirthNsec == b.nBirthNsec;
}

bool CInotifyTree::StatFile(int dirFd, const char* path, FileFacts& facts) {
    struct statx stx;
    if (::statx(dirFd, path, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_TYPE | STATX_SIZE | STATX_INO | STATX_BTIME, &stx) != 0)
        return false;
    facts.bDir = S_ISDIR(stx.stx_mode);
    facts.nSize = static_cast<std::int64_t>(stx.stx_size);
    facts.id = FileId{};
    facts.id.nInode = stx.stx_ino;
    if (stx.stx_mask & STATX_BTIME) {
        facts.id.bBirth = true;
        facts.id.nBirthSec = stx.stx_btime.tv_sec;
        facts.id.nBirthNsec = stx.stx_btime.tv_nsec;
    }
    return true;
}

CInotifyTree::CInotifyTree(std::wstring folder, CDirectoryChangeHandler& sink)
    : strFolder(std::move(folder)), strNativeRoot(ToUtf8(strFolder)), sink(sink) {}

CInotifyTree::~CInotifyTree() {
    if (fdInotify >= 0)
        ::close(fdInotify); // ends every watch of the instance
}

std::uint32_t CInotifyTree::Open() {
    fdInotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fdInotify < 0)
        return static_cast<std::uint32_t>(errno);
    struct stat st;
    if (::stat(strNativeRoot.c_str(), &st) != 0)
        return static_cast<std::uint32_t>(errno);
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    // The root may be a link to a folder; folders below it are never followed.
    int wd = ::inotify_add_watch(fdInotify, strNativeRoot.c_str(), kFolderMask);
    if (wd < 0)
        return static_cast<std::uint32_t>(errno);
    pRoot = std::make_unique<DirNode>();
    pRoot->nWd = wd;
    pRoot->nDev = st.st_dev;
    pRoot->nInode = st.st_ino;
    mapWd[wd] = pRoot.get();
    Changes none;
    ScanDir(*pRoot, ScanMode::Quiet, none);
    return 0;
}

std::string CInotifyTree::NativePath(const std::string& rel) const {
    if (rel.empty())
        return strNativeRoot;
    if (!strNativeRoot.empty() && strNativeRoot.back() == '/')
        return strNativeRoot + rel;
    return strNativeRoot + '/' + rel;
}

std::wstring CInotifyTree::WidePath(const std::string& rel) const {
    if (rel.empty())
        return strFolder;
    return JoinWatchPath(strFolder, FromUtf8(rel));
}

void CInotifyTree::ReportAdded(const std::string& rel) {
    sink.FileAdded(WidePath(rel));
}
void CInotifyTree::ReportRemoved(const std::string& rel) {
    sink.FileRemoved(WidePath(rel));
}
void CInotifyTree::ReportModified(const std::string& rel) {
    sink.FileModified(WidePath(rel));
}
void CInotifyTree::ReportRenamed(const std::string& oldRel, const std::string& newRel) {
    sink.FileRenamed(WidePath(oldRel), WidePath(newRel));
}

void CInotifyTree::End(std::uint32_t error) {
    bEnded = true;
    nEndError = error;
}

void CInotifyTree::ReadEvents(Clock::time_point now) {
    if (fdInotify < 0 || bEnded)
        return;
    if (vecBuffer.empty())
        vecBuffer.resize(kEventBufferSize);
    for (;;) {
        ssize_t n = ::read(fdInotify, vecBuffer.data(), vecBuffer.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                End(static_cast<std::uint32_t>(errno));
            return;
        }
        if (n == 0)
            return;
        HandleEventBuffer(vecBuffer.data(), static_cast<std::size_t>(n), now);
        if (bEnded)
            return;
    }
}

void CInotifyTree::HandleEventBuffer(const char* data, std::size_t size, Clock::time_point now) {
    std::size_t off = 0;
    while (off + sizeof(inotify_event) <= size && !bEnded) {
        inotify_event ev;
        std::memcpy(&ev, data + off, sizeof ev);
        const std::size_t total = sizeof(inotify_event) + ev.len;
        if (off + total > size)
            break;
        const char* namePtr = data + off + sizeof(inotify_event);
        std::string name(namePtr, ::strnlen(namePtr, ev.len));
        HandleEvent(ev.wd, ev.mask, ev.cookie, name, now);
        off += total;
    }
}

void CInotifyTree::HandleEvent(int wd, std::uint32_t mask, std::uint32_t cookie,
                               const std::string& name, Clock::time_point now) {
    if (bEnded)
        return;
    if (mask & IN_Q_OVERFLOW) {
        Resync();
        return;
    }
    auto found = mapWd.find(wd);
    if (found == mapWd.end())
        return; // a folder we no longer watch
    DirNode& node = *found->second;
    if (mask & IN_IGNORED) {
        if (&node == pRoot.get())
            End(ENOENT);
        else
            DirWatchEnded(node);
        return;
    }
    if (mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
        // Folders below the root are followed through their parent's events.
        if (&node == pRoot.get())
            End(ENOENT);
        return;
    }
    if (name.empty())
        return;
    const bool isDir = (mask & IN_ISDIR) != 0;
    if (mask & IN_CREATE) {
        if (isDir)
            DirAppeared(node, name);
        else
            FileAppeared(node, name, false);
    } else if (mask & IN_MODIFY) {
        if (!isDir)
            FileWritten(node, name);
    } else if (mask & IN_DELETE) {
        if (isDir)
            DirDeleted(node, name);
        else
            FileDeleted(node, name);
    } else if (mask & IN_MOVED_FROM) {
        MoveFrom(node, name, isDir, cookie, now);
    } else if (mask & IN_MOVED_TO) {
        MoveTo(node, name, isDir, cookie);
    }
}

void CInotifyTree::FileAppeared(DirNode& node, const std::string& name, bool withContent) {
    const std::string rel = JoinRel(node.strRel, name);
    FileFacts facts;
    const bool exists = StatFile(AT_FDCWD, NativePath(rel).c_str(), facts);
    if (exists && facts.bDir)
        return; // replaced by a folder already; that folder's own event follows
    auto it = node.mapFiles.find(name);
    const bool sameFile = it != node.mapFiles.end() && exists && MayBeSame(it->second.id, facts.id);
    if (sameFile && it->second.bAnnounced)
        return; // a folder scan announced it already
    if (it != node.mapFiles.end() && !sameFile)
        ReportRemoved(rel); // another file had this name; its removal went unseen
    // Announced even when it is gone again already: a rename or removal
    // that follows must find it known.
    FileEntry entry;
    if (exists)
        entry.id = facts.id;
    entry.bAnnounced = true;
    // A created file's writes have events of their own; a file moved in
    // brings its content along.
    entry.nSize = (withContent && exists) ? facts.nSize : 0;
    node.mapFiles[name] = entry;
    ReportAdded(rel);
    if (entry.nSize > 0)
        ReportModified(rel);
}

void CInotifyTree::FileWritten(DirNode& node, const std::string& name) {
    const std::string rel = JoinRel(node.strRel, name);
    FileFacts facts;
    if (!StatFile(AT_FDCWD, NativePath(rel).c_str(), facts) || facts.bDir)
        return; // gone already; its removal event follows
    auto it = node.mapFiles.find(name);
    if (it == node.mapFiles.end()) {
        node.mapFiles[name] = FileEntry{facts.nSize, facts.id, false};
        ReportModified(rel);
        return;
    }
    FileEntry& entry = it->second;
    if (entry.id.nInode != 0 && !MayBeSame(entry.id, facts.id))
        return; // the name holds a newer file whose own events follow
    entry.id = facts.id;
    if (entry.nSize != facts.nSize) {
        entry.nSize = facts.nSize;
        ReportModified(rel);
    }
}

void CInotifyTree::FileDeleted(DirNode& node, const std::string& name) {
    node.mapFiles.erase(name);
    ReportRemoved(JoinRel(node.strRel, name));
}

void CInotifyTree::DirAppeared(DirNode& node, const std::string& name) {
    Changes changes;
    WatchNewDir(node, name, ScanMode::Report, changes);
    ApplyChanges(changes);
}

void CInotifyTree::DirDeleted(DirNode& node, const std::string& name) {
    auto it = node.mapDirs.find(name);
    if (it == node.mapDirs.end())
        return;
    struct stat st;
    if (LStat(NativePath(it->second->strRel), st) && S_ISDIR(st.st_mode) &&
        st.st_dev == it->second->nDev && st.st_ino == it->second->nInode)
        return; // the event is older than the folder now watched under this name
    Changes changes;
    CollectGone(*it->second, changes);
    RemoveChild(node, name);
    ApplyChanges(changes);
}

void CInotifyTree::DirWatchEnded(DirNode& node) {
    if (!InTree(&node)) {
        // A folder moved out and not yet given up: its expiry reports it.
        mapWd.erase(node.nWd);
        node.nWd = -1;
        return;
    }
    Changes changes;
    CollectGone(node, changes);
    DirNode* parent = node.pParent;
    std::string name = node.strName;
    RemoveChild(*parent, name);
    ApplyChanges(changes);
}

bool CInotifyTree::InTree(const DirNode* node) const {
    while (node && node->pParent)
        node = node->pParent;
    return node == pRoot.get();
}

void CInotifyTree::MoveFrom(DirNode& node, const std::string& name, bool isDir,
                            std::uint32_t cookie, Clock::time_point now) {
    PendingMove move;
    move.nCookie = cookie;
    move.strOldRel = JoinRel(node.strRel, name);
    move.nOldDev = node.nDev;
    move.bDir = isDir;
    move.tDeadline = now + kMoveGrace;
    if (isDir) {
        auto it = node.mapDirs.find(name);
        if (it != node.mapDirs.end()) {
            move.pDir = std::move(it->second);
            move.pDir->pParent = nullptr;
            node.mapDirs.erase(it);
        }
    } else {
        auto it = node.mapFiles.find(name);
        if (it != node.mapFiles.end()) {
            move.bKnown = true;
            move.entry = it->second;
            node.mapFiles.erase(it);
        }
    }
    dqMoves.push_back(std::move(move));
}

void CInotifyTree::MoveTo(DirNode& node, const std::string& name, bool isDir,
                          std::uint32_t cookie) {
    auto match = dqMoves.end();
    if (cookie != 0)
        for (auto it = dqMoves.begin(); it != dqMoves.end(); ++it)
            if (it->nCookie == cookie) {
                match = it;
                break;
            }
    if (match == dqMoves.end()) {
        // Moved in from outside the tree.
        if (isDir)
            DirAppeared(node, name);
        else
            FileAppeared(node, name, true);
        return;
    }
    PendingMove move = std::move(*match);
    dqMoves.erase(match);
    const std::string rel = JoinRel(node.strRel, name);
    if (move.bDir) {
        if (!move.pDir) {
            DirAppeared(node, name);
            return;
        }
        // A folder of the tree renamed or moved inside it: its watches stay,
        // its files are reported under their new paths.
        if (node.mapDirs.count(name)) {
            Changes changes;
            CollectGone(*node.mapDirs[name], changes);
            RemoveChild(node, name);
            ApplyChanges(changes);
        }
        RenameSubtree(*move.pDir, rel);
        move.pDir->strName = name;
        move.pDir->pParent = &node;
        node.mapDirs[name] = std::move(move.pDir);
        return;
    }
    FileEntry entry = move.entry;
    if (!move.bKnown) {
        FileFacts facts;
        entry = FileEntry{};
        if (StatFile(AT_FDCWD, NativePath(rel).c_str(), facts))
            entry.id = facts.id;
    }
    node.mapFiles[name] = entry; // a file it replaced is gone without a notice
    ReportRenamed(move.strOldRel, rel);
}

void CInotifyTree::RenameSubtree(DirNode& node, const std::string& newRel) {
    for (const auto& [name, entry] : node.mapFiles)
        ReportRenamed(JoinRel(node.strRel, name), JoinRel(newRel, name));
    for (auto& [name, child] : node.mapDirs)
        RenameSubtree(*child, JoinRel(newRel, name));
    node.strRel = newRel;
}

void CInotifyTree::ExpireMove(PendingMove& move) {
    if (!move.bDir) {
        ReportRemoved(move.strOldRel);
        return;
    }
    if (move.pDir) {
        Changes changes;
        CollectGone(*move.pDir, changes);
        ForgetWatches(*move.pDir);
        move.pDir.reset();
        ApplyChanges(changes);
    }
}

void CInotifyTree::FlushMoves(Clock::time_point now) {
    while (!dqMoves.empty() && dqMoves.front().tDeadline <= now && !bEnded) {
        PendingMove move = std::move(dqMoves.front());
        dqMoves.pop_front();
        ExpireMove(move);
    }
}

void CInotifyTree::FlushAllMoves() {
    while (!dqMoves.empty()) {
        PendingMove move = std::move(dqMoves.front());
        dqMoves.pop_front();
        ExpireMove(move);
    }
}

std::optional<CInotifyTree::Clock::time_point> CInotifyTree::NextMoveDeadline() const {
    if (dqMoves.empty())
        return std::nullopt;
    return dqMoves.front().tDeadline;
}

void CInotifyTree::Resync() {
    Changes changes;
    // Renames whose second half may be lost: the scan pairs them by inode.
    for (PendingMove& move : dqMoves) {
        if (move.bDir) {
            if (move.pDir) {
                CollectGone(*move.pDir, changes);
                ForgetWatches(*move.pDir);
            }
        } else if (move.bKnown) {
            changes.vecGone.push_back({move.strOldRel, move.entry, move.nOldDev});
        } else {
            ReportRemoved(move.strOldRel);
        }
    }
    dqMoves.clear();
    struct stat st;
    if (::stat(strNativeRoot.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
        st.st_dev != pRoot->nDev || st.st_ino != pRoot->nInode) {
        End(ENOENT);
        return;
    }
    ScanDir(*pRoot, ScanMode::Report, changes);
    ApplyChanges(changes);
}

CInotifyTree::DirNode* CInotifyTree::WatchNewDir(DirNode& parent, const std::string& name,
                                                 ScanMode mode, Changes& changes) {
    const std::string rel = JoinRel(parent.strRel, name);
    const std::string path = NativePath(rel);
    struct stat st;
    if (!LStat(path, st) || !S_ISDIR(st.st_mode))
        return nullptr;
    auto it = parent.mapDirs.find(name);
    if (it != parent.mapDirs.end()) {
        DirNode& child = *it->second;
        if (child.nDev == st.st_dev && child.nInode == st.st_ino) {
            if (mode == ScanMode::Report)
                ScanDir(child, mode, changes);
            return &child;
        }
        CollectGone(child, changes); // another folder had this name
        RemoveChild(parent, name);
    }
    int wd = ::inotify_add_watch(fdInotify, path.c_str(), kFolderMask | IN_DONT_FOLLOW);
    if (wd < 0)
        return nullptr; // unreadable, or no watches left: this folder goes unwatched
    if (mapWd.count(wd))
        return nullptr; // the same folder is watched already (mounted twice in the tree)
    auto node = std::make_unique<DirNode>();
    node->nWd = wd;
    node->strName = name;
    node->strRel = rel;
    node->pParent = &parent;
    node->nDev = st.st_dev;
    node->nInode = st.st_ino;
    DirNode* raw = node.get();
    parent.mapDirs[name] = std::move(node);
    mapWd[wd] = raw;
    ScanDir(*raw, mode, changes);
    return raw;
}

void CInotifyTree::ScanDir(DirNode& node, ScanMode mode, Changes& changes) {
    // Only the root may be reached through a link.
    const int noFollow = node.strRel.empty() ? 0 : O_NOFOLLOW;
    int dirFd =
        ::open(NativePath(node.strRel).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | noFollow);
    if (dirFd < 0)
        return; // unreadable: what is known stays as it is
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return;
    }
    std::map<std::string, FileFacts> seenFiles;
    std::set<std::string> seenDirs;
    while (const dirent* ent = ::readdir(dir)) {
        const std::string name = ent->d_name;
        if (name == "." || name == "..")
            continue;
        if (ent->d_type == DT_DIR) {
            seenDirs.insert(name);
            continue;
        }
        FileFacts facts;
        if (!StatFile(dirFd, ent->d_name, facts))
            continue; // vanished meanwhile
        if (facts.bDir)
            seenDirs.insert(name);
        else if (mode == ScanMode::Quiet)
            node.mapFiles.try_emplace(name, FileEntry{-1, facts.id, false});
        else
            seenFiles[name] = facts;
    }
    ::closedir(dir);

    if (mode == ScanMode::Report) {
        for (const auto& [name, seen] : seenFiles) {
            auto it = node.mapFiles.find(name);
            if (it != node.mapFiles.end() && MayBeSame(it->second.id, seen.id)) {
                it->second.id = seen.id;
                if (it->second.nSize != seen.nSize) {
                    it->second.nSize = seen.nSize;
                    ReportModified(JoinRel(node.strRel, name));
                }
                continue;
            }
            if (it != node.mapFiles.end()) {
                changes.vecGone.push_back({JoinRel(node.strRel, name), it->second, node.nDev});
                node.mapFiles.erase(it);
            }
            changes.vecFound.push_back({&node, name, seen.nSize, seen.id});
        }
        for (auto it = node.mapFiles.begin(); it != node.mapFiles.end();) {
            bool found = seenFiles.count(it->first) != 0;
            // Entries of new files are put in by ApplyChanges; whatever is
            // left and was not seen has vanished.
            if (!found) {
                changes.vecGone.push_back({JoinRel(node.strRel, it->first), it->second, node.nDev});
                it = node.mapFiles.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const std::string& name : seenDirs)
        WatchNewDir(node, name, mode, changes);
    if (mode == ScanMode::Report) {
        std::vector<std::string> vanished;
        for (const auto& [name, child] : node.mapDirs)
            if (!seenDirs.count(name))
                vanished.push_back(name);
        for (const std::string& name : vanished) {
            CollectGone(*node.mapDirs[name], changes);
            RemoveChild(node, name);
        }
    }
}

void CInotifyTree::CollectGone(const DirNode& node, Changes& changes) const {
    for (const auto& [name, entry] : node.mapFiles)
        changes.vecGone.push_back({JoinRel(node.strRel, name), entry, node.nDev});
    for (const auto& [name, child] : node.mapDirs)
        CollectGone(*child, changes);
}

void CInotifyTree::ForgetWatches(DirNode& node) {
    if (node.nWd >= 0) {
        ::inotify_rm_watch(fdInotify, node.nWd); // fails harmlessly when it ended already
        mapWd.erase(node.nWd);
        node.nWd = -1;
    }
    for (auto& [name, child] : node.mapDirs)
        ForgetWatches(*child);
}

void CInotifyTree::RemoveChild(DirNode& parent, const std::string& name) {
    auto it = parent.mapDirs.find(name);
    if (it == parent.mapDirs.end())
        return;
    ForgetWatches(*it->second);
    parent.mapDirs.erase(it);
}

void CInotifyTree::ApplyChanges(Changes& changes) {
    std::multimap<std::pair<std::uint64_t, std::uint64_t>, std::size_t> goneByInode;
    for (std::size_t i = 0; i < changes.vecGone.size(); ++i)
        if (changes.vecGone[i].entry.id.nInode != 0)
            goneByInode.emplace(
                std::make_pair(changes.vecGone[i].nDev, changes.vecGone[i].entry.id.nInode), i);
    std::vector<bool> paired(changes.vecGone.size(), false);

    for (const Changes::Found& found : changes.vecFound) {
        const std::string rel = JoinRel(found.pNode->strRel, found.strName);
        // Only a file known for certain to be the same one is a rename: a
        // rename keeps the read position, so a wrong one would lose hands.
        auto match = goneByInode.end();
        auto range = goneByInode.equal_range(std::make_pair(found.pNode->nDev, found.id.nInode));
        for (auto it = range.first; it != range.second; ++it)
            if (SureSame(changes.vecGone[it->second].entry.id, found.id)) {
                match = it;
                break;
            }
        if (match != goneByInode.end()) {
            // The same file under a new name.
            const Changes::Gone& gone = changes.vecGone[match->second];
            paired[match->second] = true;
            FileEntry entry = gone.entry;
            const bool resized = entry.nSize != found.nSize;
            entry.nSize = found.nSize;
            found.pNode->mapFiles[found.strName] = entry;
            ReportRenamed(gone.strRel, rel);
            if (resized)
                ReportModified(rel);
            goneByInode.erase(match);
            continue;
        }
        found.pNode->mapFiles[found.strName] = FileEntry{found.nSize, found.id, true};
        ReportAdded(rel);
        if (found.nSize > 0)
            ReportModified(rel);
    }
    for (std::size_t i = 0; i < changes.vecGone.size(); ++i)
        if (!paired[i])
            ReportRemoved(changes.vecGone[i].strRel);
}

} // namespace tw
