#include "reading/HistoryFileReader.h"

#include "parsing/HandEngine.h"
#include "parsing/formats/ipoker/IPoker.h"
#include "support/TextUtil.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>

namespace tw {

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'/' || c == L'\\';
}

// True when `path` lies in the tree of `folder` (as a whole path component).
bool InFolder(const std::wstring& path, std::wstring folder) {
    if (!folder.empty() && IsSeparator(folder.back()))
        folder.pop_back();
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           IsSeparator(path[folder.size()]);
}

// Stores a file's read position, kept in a local while the file is read,
// back into the file table however the reading ends: a parser that throws
// ends the notice, and what was read up to then stays read.
class StoredOnExit {
public:
    StoredOnExit(CSessionModel& model, const std::wstring& path, const std::int64_t& pos)
        : m(model), strPath(path), nPos(pos) {}
    StoredOnExit(const StoredOnExit&) = delete;
    StoredOnExit& operator=(const StoredOnExit&) = delete;
    ~StoredOnExit() {
        // A file that left the table meanwhile is not entered again.
        if (m.HasReadPosition(strPath))
            m.SetReadPosition(strPath, nPos);
    }

private:
    CSessionModel& m;
    const std::wstring& strPath;
    const std::int64_t& nPos;
};

} // namespace

bool CHistoryFileReader::SameFileAsRead(const std::wstring& path) const {
    auto known = mapIdentity.find(path);
    FileIdentity now;
    return known != mapIdentity.end() && IdentityOf(path, now) && now == known->second;
}

void CHistoryFileReader::FileAdded(const std::wstring& path) {
    auto lock = m.LockHistory();
    m.LogDebug(Format(L"File %ls is added", path.c_str()));
    // A notice that comes after the file's text was read already (the
    // watcher may report a change before the creation) changes nothing.
    if (m.HasReadPosition(path) && SameFileAsRead(path))
        return;
    // A file added again starts over.
    Forget(path);
    StartFile(path);
}

bool CHistoryFileReader::WrittenBeforeSession(const std::wstring& path, std::int64_t& size) const {
    if (tSessionStart == 0)
        return false;
    struct stat st {};
    if (::stat(ToUtf8(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = static_cast<std::int64_t>(st.st_size);
    return st.st_mtim.tv_sec < tSessionStart;
}

void CHistoryFileReader::Forget(const std::wstring& path) {
    m.ForgetReadPosition(path);
    mapPending.erase(path);
    mapIPokerFiles.erase(path);
    mapIdentity.erase(path);
}

void CHistoryFileReader::StartFile(const std::wstring& path) {
    // A file that comes in with text written before the session (an old
    // history file moved into the folder) is one the session found there:
    // only what is appended from now on counts. A file written during the
    // session is read from its start; hands counted already never count again.
    std::int64_t size = 0;
    if (WrittenBeforeSession(path, size)) {
        m.LogLine(Format(L"File %ls comes in with text written before the session: only new "
                         L"hands count",
                         path.c_str()));
        FileOpenedBefore(path, size);
        return;
    }
    m.SetReadPosition(path, 0);
    FileIdentity id;
    if (IdentityOf(path, id))
        mapIdentity[path] = id;
    // A FIFO, a folder or a file that may not be read is named once, now.
    NoteReadResult(path, CheckHistoryFile(path));
}

void CHistoryFileReader::FileRemoved(const std::wstring& path) {
    auto lock = m.LockHistory();
    // The removal of an earlier file of this name, reported after the new
    // file's text was read: the file being read stays.
    if (SameFileAsRead(path))
        return;
    // A hand the client finished before removing the file still counts.
    auto p = mapPending.find(path);
    if (p != mapPending.end()) {
        Settle(path, p->second, true);
        mapPending.erase(p);
    }
    m.ForgetReadPosition(path);
    mapIPokerFiles.erase(path);
    mapIdentity.erase(path);
    mapReadError.erase(path);
}

void CHistoryFileReader::FileRenamed(const std::wstring& oldPath, const std::wstring& newPath) {
    auto lock = m.LockHistory();
    std::int64_t pos = 0;
    if (!m.FindReadPosition(oldPath, pos)) {
        // Renamed from a name that was not read (a temporary file, a file
        // outside the room's filter): a new file, which may replace the one
        // read under that name. What waited of the old one's text is gone.
        Forget(newPath);
        StartFile(newPath);
    } else {
        m.ForgetReadPosition(oldPath);
        Forget(newPath); // a file it replaced is gone
        m.SetReadPosition(newPath, pos);
        auto p = mapPending.find(oldPath);
        if (p != mapPending.end()) {
            mapPending[newPath] = std::move(p->second);
            mapPending.erase(p);
        }
        auto id = mapIdentity.find(oldPath);
        if (id != mapIdentity.end()) {
            mapIdentity[newPath] = id->second;
            mapIdentity.erase(id);
        }
        auto ip = mapIPokerFiles.find(oldPath);
        if (ip != mapIPokerFiles.end()) {
            mapIPokerFiles[newPath] = std::move(ip->second);
            mapIPokerFiles.erase(ip);
        }
    }
    // Text the file holds under its new name and was not read yet.
    FileModified(newPath);
}

void CHistoryFileReader::FileOpenedBefore(const std::wstring& path, std::int64_t size) {
    auto lock = m.LockHistory();
    if (m.HasReadPosition(path))
        return; // known already: its position stands
    m.SetReadPosition(path, size < 0 ? 0 : size);
    FileIdentity id;
    if (IdentityOf(path, id))
        mapIdentity[path] = id;
    // An iPoker document is read again from before its position: the games it
    // holds already were played before the session and never count.
    const CPokerRoom* room = RoomOf(path);
    if (room && IsIPoker(room->nRoomNumber)) {
        std::int64_t at = 0;
        std::vector<std::wstring> lines;
        for (int guard = 0; guard < 100000 && (size < 0 || at < size); ++guard) {
            const std::int64_t before = at;
            if (ReadHistoryFileEx(path, at, lines, nReadChunk, m.Log()) != 0 || at == before)
                break;
        }
        for (const std::wstring& l : lines) {
            std::wstring_view t = TrimView(l);
            for (std::size_t at = t.find(kIPokerGameStart); at != std::wstring_view::npos;
                 at = t.find(kIPokerGameStart, at + 1))
                m.MarkHandCounted(room->nRoomNumber, IPokerGameCode(t.substr(at)));
        }
    }
}

const CPokerRoom* CHistoryFileReader::RoomOf(const std::wstring& path) const {
    // The active room whose folder holds the file; of nested folders the
    // deepest. A folder matches only as a whole path component, so the files
    // of "/hh/Stars2" never go to the room of "/hh/Stars".
    const CPokerRoom* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& [name, room] : m.Rooms()) {
        if (!room.bActive || room.strHistoryPath.empty())
            continue;
        std::wstring folder = room.strHistoryPath;
        if (IsSeparator(folder.back()))
            folder.pop_back();
        const std::size_t n = folder.size();
        if (m.bDebug)
            m.LogLine(Format(L"Test room = %d n = %d history = %ls", room.nRoomNumber,
                             static_cast<int>(n), folder.c_str()));
        if (path.compare(0, n, folder) != 0)
            continue;
        if (n > 0 && (path.size() <= n || !IsSeparator(path[n])))
            continue;
        if (!best || n > bestLength) {
            best = &room;
            bestLength = n;
        }
    }
    return best;
}

std::vector<std::wstring>
CHistoryFileReader::FilesFoundOnResume(const std::wstring& folder,
                                       const std::vector<std::wstring>& paths) {
    auto lock = m.LockHistory();
    const std::set<std::wstring> found(paths.begin(), paths.end());
    // Files read before whose names were not found again: one of them may
    // have been renamed while its folder was away.
    std::vector<std::pair<std::wstring, FileIdentity>> missing;
    for (const std::wstring& path : m.FilesWithReadPosition()) {
        auto id = mapIdentity.find(path);
        if (InFolder(path, folder) && !found.count(path) && id != mapIdentity.end())
            missing.emplace_back(path, id->second);
    }
    std::vector<std::wstring> unknown;
    for (const std::wstring& path : paths) {
        FileIdentity now;
        if (!IdentityOf(path, now))
            continue; // gone again already
        auto known = mapIdentity.find(path);
        if (m.HasReadPosition(path) && known != mapIdentity.end() &&
            known->second.SameAcrossMounts(now)) {
            known->second = now;
            FileModified(path);
            continue;
        }
        auto renamed = std::find_if(missing.begin(), missing.end(), [&](const auto& entry) {
            return entry.second.nBirth != 0 && entry.second.SameAcrossMounts(now);
        });
        if (renamed != missing.end()) {
            const std::wstring oldPath = renamed->first;
            missing.erase(renamed);
            mapIdentity[oldPath] = now;
            FileRenamed(oldPath, path); // reads what it gained under its new name
            continue;
        }
        if (m.HasReadPosition(path))
            FileRemoved(path); // another file holds the name now
        unknown.push_back(path);
    }
    // A file still there under its name (a file of another room in a
    // sub-folder, say) stays; FileRemoved tells them apart.
    for (const auto& entry : missing)
        FileRemoved(entry.first);
    return unknown;
}

void CHistoryFileReader::FileModified(const std::wstring& path) {
    auto lock = m.LockHistory();
    const std::int64_t size = path.empty() ? -1 : HistoryFileSize(path);
    m.LogDebug(Format(L"=====HistoryFile = %ls", path.c_str()));

    const CPokerRoom* room = RoomOf(path);
    if (!room) {
        m.LogLine(Format(L"Room is not found by history = %ls", path.c_str()));
        return;
    }
    if (m.bDebug) {
        m.LogLine(Format(L"room = %d k = %d name = %ls", room->nRoomNumber, 1,
                         room->strNickname.c_str()));
        m.LogLine(Format(L"mapFileTest:  %d", static_cast<int>(m.ReadPositionCount())));
    }
    std::int64_t pos = 0;
    if (!m.FindReadPosition(path, pos))
        return; // a file never seen being added is not read
    m.LogDebug(L"HistoryFile is found in map");
    const StoredOnExit stored(m, path, pos);

    // Another file under the same name (deleted and written anew): its text
    // is read from the start, whatever its length.
    FileIdentity id;
    if (IdentityOf(path, id)) {
        auto known = mapIdentity.find(path);
        if (known != mapIdentity.end() && !(known->second == id)) {
            pos = 0;
            mapPending.erase(path);
        }
        mapIdentity[path] = id;
    }

    if (IsIPoker(room->nRoomNumber))
        ModifiedIPoker(path, pos, size, *room);
    else
        ModifiedText(path, pos, *room);
}

void CHistoryFileReader::ModifiedText(const std::wstring& path, std::int64_t& pos,
                                      const CPokerRoom& room) {
    // Large appends are read in chunks; each chunk's finished hands count at
    // once, so memory stays bounded whatever the file's size.
    for (int guard = 0; guard < 1000000; ++guard) {
        const std::int64_t before = pos;
        std::vector<std::wstring> lines;
        const int rc = ReadHistoryFileEx(path, pos, lines, nReadChunk, m.Log(), bTakeUnendedLast);
        if (m.bDebug)
            m.LogLine(
                Format(L"ReadHistoryFileEx: i = %d n = %d", rc, static_cast<int>(lines.size())));
        NoteReadResult(path, rc);
        if (rc != 0)
            return;
        Pending& p = mapPending[path];
        if (pos < before)
            p.lines.clear(); // the file was replaced: what waited belongs to its old text
        if (lines.empty() && p.lines.empty()) {
            mapPending.erase(path);
            return;
        }
        p.nRoom = room.nRoomNumber;
        p.strNickname = room.strNickname;
        if (!lines.empty())
            p.tLast = Clock::now();
        p.lines.insert(p.lines.end(), std::make_move_iterator(lines.begin()),
                       std::make_move_iterator(lines.end()));
        Settle(path, p, false);
        if (p.lines.empty())
            mapPending.erase(path);
        if (pos == before || pos >= HistoryFileSize(path))
            return;
    }
}

void CHistoryFileReader::Settle(const std::wstring& path, Pending& p, bool final) {
    if (p.lines.empty())
        return;
    std::size_t tail = p.lines.size();
    if (!final) {
        // Lines without any hand start (text before the first hand, or the
        // end of a hand counted already) go to splitting as they are.
        const std::size_t start = UnfinishedTailStart(p.lines, p.nRoom);
        const bool hasStart =
            start < p.lines.size() && (start > 0 || IsHandStart(TrimView(p.lines[0]), p.nRoom));
        if (hasStart) {
            const std::size_t lastSize = p.lines.size() - start;
            if (!IsHandComplete(p.lines, p.nRoom, start) && lastSize < kMaxPendingLines)
                tail = start; // the last hand waits for the rest of its text
        }
    }
    std::vector<std::wstring> rest(
        std::make_move_iterator(p.lines.begin() + static_cast<std::ptrdiff_t>(tail)),
        std::make_move_iterator(p.lines.end()));
    p.lines.resize(tail);
    if (!p.lines.empty())
        Process(path, p.lines, p.nRoom, p.strNickname);
    p.lines = std::move(rest);
}

void CHistoryFileReader::Process(const std::wstring& path, std::vector<std::wstring>& lines,
                                 RoomNumber room, const std::wstring& nickname, int currency) {
    if (m.bDebug) {
        m.LogLine(Format(L"i = %d room = %d name = %ls lines = %d", 1, room, nickname.c_str(),
                         static_cast<int>(lines.size())));
        m.LogLine(lines.empty() ? std::wstring() : lines.front());
    }
    HandSource source{path};
    auto ip = mapIPokerFiles.find(path);
    if (ip != mapIPokerFiles.end())
        source.bWinHoldsReturn = ip->second.bWinHoldsReturn;
    // Each batch starts from the room's table: stakes and currency come from
    // the headers of the hands it holds (an iPoker file's currency from its
    // <general> section).
    TableState table;
    table.nRoom = room;
    table.nCurrency = currency;
    MakeMoneyData(m, lines, table, source);
}

bool CHistoryFileReader::IPokerAccepted(const std::wstring& path) {
    auto known = mapIPokerFiles.find(path);
    if (known != mapIPokerFiles.end() && known->second.bChecked)
        return known->second.bAccepted;
    // The <general> section stands at the top of the document. It is read
    // there on its own, whatever part of the file the batch holds: a read
    // that ends inside the section must not decide the file.
    std::vector<std::wstring> head;
    std::int64_t at = 0;
    ReadHistoryFileEx(path, at, head, static_cast<std::size_t>(kIPokerBackUp), m.Log(),
                      bTakeUnendedLast);
    int generalBigBlind = 0;
    IPokerFile file;
    const int check =
        CheckIPokerGeneral(head, generalBigBlind, file.nCurrency, &file.bWinHoldsReturn);
    m.LogDebug(Format(L"CheckIPokerGeneral = %d: %ls", check, path.c_str()));
    if (check == kIPokerNoGeneral || check == kIPokerOpenGeneral)
        return false;                         // not written yet: asked again with the next change
    IPokerFile& entry = mapIPokerFiles[path]; // keeps the games seen before
    entry.bChecked = true;
    entry.bAccepted = check == kIPokerCounted;
    entry.nCurrency = file.nCurrency;
    entry.bWinHoldsReturn = file.bWinHoldsReturn;
    return entry.bAccepted;
}

void CHistoryFileReader::ModifiedIPoker(const std::wstring& path, std::int64_t& pos,
                                        std::int64_t size, const CPokerRoom& room) {
    if (size < 0) {
        NoteReadResult(path, CheckHistoryFile(path));
        return;
    }
    if (size < pos)
        pos = 0; // rewritten shorter: read anew; counted games do not count again
    else if (size == pos)
        return;
    const std::int64_t stored = pos;
    std::int64_t readStart = std::max<std::int64_t>(0, pos - kIPokerBackUp);
    pos = readStart;

    std::vector<std::wstring> pending;
    bool first = true;
    for (int guard = 0; guard < 1000000; ++guard) {
        const std::int64_t before = pos;
        std::vector<std::wstring> lines;
        const int rc = ReadHistoryFileEx(path, pos, lines, nReadChunk, m.Log(), bTakeUnendedLast);
        if (m.bDebug)
            m.LogLine(
                Format(L"ReadHistoryFileEx: i = %d n = %d", rc, static_cast<int>(lines.size())));
        NoteReadResult(path, rc);
        if (rc != 0) {
            if (lines.size() < 2)
                return;
        }
        if (first && !IPokerAccepted(path)) {
            // A <general> section not written whole yet is read again, with
            // the games after it, at the next change.
            const auto file = mapIPokerFiles.find(path);
            if (file == mapIPokerFiles.end() || !file->second.bChecked)
                pos = stored;
            return;
        }
        if (first && nIPokerBatches < 10) {
            ++nIPokerBatches;
            for (std::size_t i = 0; i < lines.size() && i < 10; ++i)
                m.LogLine(Format(L"%d=%ls", static_cast<int>(i + 1), lines[i].c_str()));
        }
        first = false;
        pending.insert(pending.end(), std::make_move_iterator(lines.begin()),
                       std::make_move_iterator(lines.end()));
        // Games are counted up to the last "</game>"; an unfinished game is
        // read again from its start with the next change of the file.
        const bool atEnd = rc != 0 || pos == before || pos >= HistoryFileSize(path);
        const std::size_t cut = atEnd && bTakeUnendedLast
                                    ? pending.size()
                                    : UnfinishedTailStart(pending, room.nRoomNumber);
        std::vector<std::wstring> rest(
            std::make_move_iterator(pending.begin() + static_cast<std::ptrdiff_t>(cut)),
            std::make_move_iterator(pending.end()));
        pending.resize(cut);
        if (!pending.empty()) {
            const auto file = mapIPokerFiles.find(path);
            const int currency = file != mapIPokerFiles.end() ? file->second.nCurrency : 0;
            Process(path, pending, room.nRoomNumber, room.strNickname, currency);
        }
        pending = std::move(rest);
        if (atEnd)
            return;
    }
}

void CHistoryFileReader::FlushIdle(Clock::time_point now, std::chrono::milliseconds idle) {
    auto lock = m.LockHistory();
    for (auto it = mapPending.begin(); it != mapPending.end();) {
        if (now - it->second.tLast >= idle) {
            Settle(it->first, it->second, true);
            it = mapPending.erase(it);
        } else {
            ++it;
        }
    }
}

void CHistoryFileReader::FlushAll() {
    auto lock = m.LockHistory();
    for (auto& [path, p] : mapPending)
        Settle(path, p, true);
    mapPending.clear();
}

bool CHistoryFileReader::HasPending() const {
    return !mapPending.empty();
}

int CHistoryFileReader::ReadError(const std::wstring& path) const {
    auto lock = m.LockHistory();
    auto it = mapReadError.find(path);
    return it == mapReadError.end() ? 0 : it->second;
}

void CHistoryFileReader::NoteReadResult(const std::wstring& path, int rc) {
    if (rc == 0) {
        mapReadError.erase(path);
        return;
    }
    auto [it, added] = mapReadError.try_emplace(path, rc);
    if (!added && it->second == rc)
        return;
    it->second = rc;
    // A file gone before it was read is no fault: its removal follows.
    if (rc != ENOENT)
        m.LogLine(
            Format(L"File %ls is skipped: %ls", path.c_str(), HistoryFileErrorText(rc).c_str()));
}

} // namespace tw
