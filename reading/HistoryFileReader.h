// Turns file events of the watched history folders into counted hands: new
// files enter the file table, removed ones leave it, and the text appended to
// a file is read from its stored position and passed to hand splitting.
#pragma once

#include "model/SessionModel.h"
#include "support/FileIdentity.h"
#include "support/HistoryFile.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace tw {

class CHistoryFileReader {
public:
    using Clock = std::chrono::steady_clock;

    // Text with no new bytes for this long counts as finished.
    static constexpr std::chrono::milliseconds kIdle{2000};
    // An iPoker document is rewritten as games are added; each read starts
    // this far before the stored position so that no game start is missed
    // when the top of the document changes length.
    static constexpr std::int64_t kIPokerBackUp = 64 * 1024;
    // Most lines held for one unfinished hand; more cannot be one hand.
    static constexpr std::size_t kMaxPendingLines = 20000;

    explicit CHistoryFileReader(CSessionModel& model) : m(model) {}
    CHistoryFileReader(const CHistoryFileReader&) = delete;
    CHistoryFileReader& operator=(const CHistoryFileReader&) = delete;

    // When the session started (0: no session, as in a replay). A file that
    // comes into a folder with text written before then is read like a file
    // that was there at the start: only what is appended counts.
    void SetSessionStart(std::time_t start) { tSessionStart = start; }

    // A new file: its text is read from the start (see SetSessionStart).
    void FileAdded(const std::wstring& path);
    void FileRemoved(const std::wstring& path);
    // A renamed file keeps its read position and waiting text under its new
    // name; a file renamed into the folder, or from a name that was not
    // read, is a new file (see FileAdded) and replaces any file of its name.
    void FileRenamed(const std::wstring& oldPath, const std::wstring& newPath);
    // A file that existed before the watch began: only text appended from
    // now on counts.
    void FileOpenedBefore(const std::wstring& path, std::int64_t size);
    // Reads what was appended to a file and counts every hand that is
    // finished; an unfinished last hand waits for more text.
    void FileModified(const std::wstring& path);
    // The files found under `folder` when its watch starts again after the
    // folder was away (deleted, moved, on a drive that went away) or missing.
    // A file read before, under its name or under a name of the folder that
    // is gone now, keeps its read position, and what was appended to it
    // meanwhile is read; a file read before that did not come back leaves
    // the table. Returns the files it has never read, for the caller to
    // decide where their reading starts.
    std::vector<std::wstring> FilesFoundOnResume(const std::wstring& folder,
                                                 const std::vector<std::wstring>& paths);

    // Counts the waiting last hand of every file that got no new text for
    // `idle`.
    void FlushIdle(Clock::time_point now, std::chrono::milliseconds idle = kIdle);
    // Counts every waiting hand now (the text is complete, as in a replay).
    void FlushAll();
    bool HasPending() const;
    // The result of the last read of a file (see ReadHistoryFileEx): 0 when
    // it was read or never tried.
    int ReadError(const std::wstring& path) const;

    // Most bytes one read takes (the reads go on to the file's end).
    std::size_t nReadChunk = kHistoryReadChunk;
    // A last line without a line end counts as complete (whole files).
    bool bTakeUnendedLast = false;

private:
    static bool IdentityOf(const std::wstring& path, FileIdentity& id) {
        return ReadFileIdentity(path, id) == 0;
    }
    // Notices of one file can arrive out of order around a delete and a new
    // file of the same name; the identity tells which file a notice is about.
    // True when the file now at `path` is the one last read there.
    bool SameFileAsRead(const std::wstring& path) const;

    struct Pending {
        std::vector<std::wstring> lines; // from the start of the unfinished hand
        RoomNumber nRoom = 0;
        std::wstring strNickname;
        Clock::time_point tLast;
    };

    // Drops everything known of the file at `path`.
    void Forget(const std::wstring& path);
    // Enters a file that came into the folder into the file table.
    void StartFile(const std::wstring& path);
    // True when `path` is a regular file last written before the session
    // started; `size` gets its size.
    bool WrittenBeforeSession(const std::wstring& path, std::int64_t& size) const;

    // The configured room whose folder holds `path`, or null.
    const CPokerRoom* RoomOf(const std::wstring& path) const;
    void ModifiedText(const std::wstring& path, std::int64_t& pos, const CPokerRoom& room);
    void ModifiedIPoker(const std::wstring& path, std::int64_t& pos, std::int64_t size,
                        const CPokerRoom& room);
    // Counts the finished hands of the file's waiting lines; `final` counts
    // the last one too.
    void Settle(const std::wstring& path, Pending& p, bool final);
    void Process(const std::wstring& path, std::vector<std::wstring>& lines, RoomNumber room,
                 const std::wstring& nickname, int currency = 0);
    // Checks the <general> section of an iPoker file once; true when its
    // games count.
    bool IPokerAccepted(const std::wstring& path);

    // Keeps the result of a read of `path`. A file's first failure (and a
    // different one later) gets a log line, a repeated one none: a FIFO or
    // an unreadable file that changes often must not flood the log.
    void NoteReadResult(const std::wstring& path, int rc);

    // What the <general> section of each checked iPoker history file said.
    struct IPokerFile {
        bool bChecked = false;         // its <general> section has been read
        bool bAccepted = false;        // a real-money table: its games count
        CurrencyNumber nCurrency = -1; // the stakes' currency; -1 unknown
        bool bWinHoldsReturn = false;  // "win" includes the returned part of a bet
    };

    CSessionModel& m;
    std::map<std::wstring, Pending> mapPending;
    std::map<std::wstring, IPokerFile> mapIPokerFiles;
    std::map<std::wstring, FileIdentity> mapIdentity; // of the file last read at each path
    std::map<std::wstring, int> mapReadError;         // files whose last read failed
    int nIPokerBatches = 0;
    std::time_t tSessionStart = 0;
};

} // namespace tw
