// The session history: every session and every counted hand, kept in an
// SQLite database ("Tarnwick.db" in the data folder). Written on the path
// that counts hands, one transaction per batch of hands, so a crash loses no
// hand that was shown; read by the figures (store/SessionFigures.h).
//
// Not thread-safe: one thread records (the one that counts hands, or any
// thread under the history lock). A thread of its own writes committed
// hands through to the disk shortly after each commit.
#pragma once

#include "store/SessionFigures.h"
#include "store/Sqlite.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tw {

class ILogSink;

class CHistoryStore {
public:
    static constexpr const wchar_t* kFileName = L"Tarnwick.db";
    // The layout this program writes (PRAGMA user_version); older ones are
    // upgraded when opened, newer ones are set aside.
    static constexpr int kSchemaVersion = 1;
    // "TRNW" (PRAGMA application_id): the file is a session history.
    static constexpr std::int64_t kApplicationId = 0x54524E57;
    // The longest a committed batch waits before it is on the disk itself
    // (not only handed to the system), so a power cut loses at most this.
    static constexpr std::chrono::milliseconds kSyncDelay{500};

    CHistoryStore();
    ~CHistoryStore();
    CHistoryStore(const CHistoryStore&) = delete;
    CHistoryStore& operator=(const CHistoryStore&) = delete;

    // The work log; lines go nowhere while it is null.
    void SetLog(ILogSink* log) { pLog = log; }

    struct OpenResult {
        bool bRecording = false; // sessions will be recorded
        // Where a damaged file, one of a newer program or one that is no
        // session history was moved (with its journal); empty when none was.
        std::wstring strSetAside;
        // What the user should be told; empty when all went well.
        std::wstring strProblem;
        // Sessions a crash had left open, closed now at their last hand.
        int nInterrupted = 0;
    };
    // Opens the history at `path` for recording, creating it when missing
    // and upgrading an older layout. A file that is damaged, newer than this
    // program or no session history is never written to: it is moved aside
    // under another name (with a log line) and a new history is started.
    // Sessions left open by a crash are closed as interrupted at the time of
    // their last hand. `now` names a moved file. One process records into a
    // history at a time; another is told so and records nothing.
    OpenResult Open(const std::wstring& path, std::int64_t now);
    // Opens an existing history to read it, changing nothing (no upgrade,
    // no closing of open sessions). False, with the reason, when it cannot
    // be read.
    bool OpenForReading(const std::wstring& path, std::wstring& error);
    // Ends recording: what was committed is written through and the file
    // closed. A session still being recorded stays open (see Open).
    void Close();
    bool IsOpen() const { return db.IsOpen(); }
    bool IsRecording() const { return db.IsOpen() && bWritable; }
    const std::wstring& Path() const { return strPath; }

    // --- Recording ---
    // A new session; returns its id (0: not recorded). A session still
    // being recorded ends first, stopped at `start`.
    std::int64_t BeginSession(std::int64_t start, const std::wstring& currency,
                              const SessionLimits& limits);
    // A counted hand of the session being recorded. The first hand of a
    // batch opens its transaction.
    void AddHand(const HandEntry& hand);
    // An alarm of the session being recorded (in the batch's transaction
    // when one is open).
    void AddAlarm(const AlarmEntry& alarm);
    // The batch's hands are all added: they are committed as one, with the
    // session's figures and its paused seconds so far.
    void EndBatch(std::int64_t pausedSeconds);
    // Ends the session being recorded: `how` is kStop or kExit, and becomes
    // kAlarm when an alarm fired after its last hand.
    void EndSession(std::int64_t end, std::int64_t pausedSeconds, SessionEnded how);
    // The id of the session being recorded; 0 when none.
    std::int64_t LiveSession() const { return live.nId; }

    // Told once per session when its recording fails (a full disk, a file
    // found damaged): the session goes on, its hands from then on are not
    // kept. The text is for the user; a log line says the same.
    std::function<void(const std::wstring&)> fnProblem;

    // --- Reading ---
    // Every session in start order, with its shares per table file.
    std::vector<SessionRecord> Sessions() const;
    bool FindSession(std::int64_t id, SessionRecord& session) const;
    // A session's hands in the order they were counted.
    std::vector<HandRow> Hands(std::int64_t session) const;
    std::vector<GraphPoint> Graph(std::int64_t session) const;
    std::vector<AlarmEntry> Alarms(std::int64_t session) const;

private:
    enum class FileState { kUsable, kDamaged, kNewer, kForeign, kFailed };
    FileState Probe(std::wstring& detail);
    bool SetAside(const std::wstring& reason, std::int64_t now, std::wstring& asidePath);
    bool Prepare(std::wstring& detail);
    int Upgrade();
    int CloseInterrupted();
    bool PrepareStatements();
    void LogLine(const std::wstring& text) const;
    // A write failed: the batch is undone and the session is not recorded
    // further; told once.
    void Fail(int rc, const wchar_t* what);
    std::int64_t TableId(const std::wstring& room, const std::wstring& file);
    // Every session, or only the one of id `only` (above 0).
    std::vector<SessionRecord> ReadSessions(std::int64_t only) const;
    bool Begin();
    int WriteProgress(std::int64_t pausedSeconds);

    CSqlite db;
    std::wstring strPath;
    ILogSink* pLog = nullptr;
    bool bWritable = false;
    int fdLock = -1;

    struct Statements;
    std::unique_ptr<Statements> st;

    // The session being recorded.
    struct LiveTable {
        int nHands = 0;
        double dMoney = 0.0;
        double dBigBlinds = 0.0;
    };
    struct Live {
        std::int64_t nId = 0;
        std::int64_t tStart = 0;
        std::int64_t nPausedSeconds = 0; // as of the last batch
        int nCommittedHands = 0;
        MoneyRun run;
        std::int64_t tLastHand = 0;
        std::map<std::int64_t, LiveTable> mapTables; // by table id
        std::set<std::int64_t> setChanged;           // tables with hands in the batch
        bool bAlarmLast = false;                     // an alarm fired after the last hand
        bool bFailed = false;                        // recording failed: nothing more is kept
    } live;
    bool bInBatch = false;
    // Table files by room and file; the ones first written in the open batch
    // join them once it is committed.
    std::map<std::pair<std::wstring, std::wstring>, std::int64_t> mapTableIds, mapNewTableIds;
    int nLastInterrupted = 0;  // sessions Prepare closed as interrupted
    int nLastPrepareError = 0; // the result code Prepare failed with

    class CSyncer;
    std::unique_ptr<CSyncer> syncer;
};

} // namespace tw
