#include "store/HistoryStore.h"

#include "support/LogSink.h"
#include "support/TextUtil.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sqlite3.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace tw {

namespace {

// Each step takes the layout from the version before it to its own; the
// first creates it. A step runs in the transaction that sets its version.
const char* const kUpgrades[] = {
    // 0 -> 1
    "CREATE TABLE sessions("
    " id INTEGER PRIMARY KEY,"
    " start_time INTEGER NOT NULL,"
    " end_time INTEGER,"
    " end_kind TEXT,"
    " paused INTEGER NOT NULL DEFAULT 0,"
    " currency TEXT NOT NULL,"
    " take_profit REAL, stop_loss REAL, bb_stop_loss REAL,"
    " hands_limit INTEGER, time_limit INTEGER, auto_pause INTEGER,"
    " trailing_take_profit INTEGER NOT NULL DEFAULT 0,"
    " trailing_stop_loss INTEGER NOT NULL DEFAULT 0,"
    " last_hand INTEGER,"
    " hands INTEGER NOT NULL DEFAULT 0,"
    " money REAL NOT NULL DEFAULT 0,"
    " bb REAL NOT NULL DEFAULT 0,"
    " peak REAL NOT NULL DEFAULT 0,"
    " trough REAL NOT NULL DEFAULT 0,"
    " drawdown REAL NOT NULL DEFAULT 0);"
    "CREATE TABLE table_files("
    " id INTEGER PRIMARY KEY,"
    " room TEXT NOT NULL,"
    " file TEXT NOT NULL,"
    " UNIQUE(room, file));"
    "CREATE TABLE hands("
    " session INTEGER NOT NULL,"
    " seq INTEGER NOT NULL,"
    " time INTEGER NOT NULL,"
    " tbl INTEGER NOT NULL,"
    " hand TEXT NOT NULL,"
    " currency TEXT NOT NULL,"
    " bb REAL NOT NULL,"
    " result REAL NOT NULL,"
    " money REAL NOT NULL,"
    " total REAL NOT NULL,"
    " PRIMARY KEY(session, seq)) WITHOUT ROWID;"
    "CREATE TABLE session_tables("
    " session INTEGER NOT NULL,"
    " tbl INTEGER NOT NULL,"
    " hands INTEGER NOT NULL,"
    " money REAL NOT NULL,"
    " bb REAL NOT NULL,"
    " PRIMARY KEY(session, tbl)) WITHOUT ROWID;"
    "CREATE TABLE alarms("
    " id INTEGER PRIMARY KEY,"
    " session INTEGER NOT NULL,"
    " time INTEGER NOT NULL,"
    " kind TEXT NOT NULL,"
    " level REAL NOT NULL,"
    " money REAL NOT NULL,"
    " bb REAL NOT NULL,"
    " hands INTEGER NOT NULL,"
    " seconds INTEGER NOT NULL);"
    "CREATE INDEX alarms_by_session ON alarms(session);",
};
static_assert(std::size(kUpgrades) == CHistoryStore::kSchemaVersion);

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// "Tarnwick.db" -> "Tarnwick.<reason>-20260105-093012.db", or with "-2",
// "-3" ... added when that name is taken.
std::string AsideName(const std::string& path, const std::string& reason, std::int64_t now) {
    const std::time_t t = static_cast<std::time_t>(now);
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExt ? path.substr(0, dot) : path;
    const std::string ext = hasExt ? path.substr(dot) : std::string();
    const std::string base = stem + "." + reason + "-" + stamp;
    std::string name = base + ext;
    for (int n = 2; Exists(name) || Exists(name + "-wal"); ++n)
        name = base + "-" + std::to_string(n) + ext;
    return name;
}

} // namespace

// Writes committed batches through to the disk, on a connection and a
// thread of its own, so the path that counts hands never waits for the
// disk: a passive checkpoint syncs the journal first, then copies it into
// the database. At most one checkpoint per kSyncDelay.
class CHistoryStore::CSyncer {
public:
    explicit CSyncer(const std::string& path) {
        if (db.Open(path, SQLITE_OPEN_READWRITE) != SQLITE_OK)
            return;
        sqlite3_busy_timeout(db.Handle(), 1000);
        thread = std::thread([this] { Run(); });
    }
    ~CSyncer() {
        {
            std::lock_guard<std::mutex> lock(m);
            bStop = true;
        }
        cv.notify_one();
        if (thread.joinable())
            thread.join();
    }
    CSyncer(const CSyncer&) = delete;
    CSyncer& operator=(const CSyncer&) = delete;

    // A batch was committed.
    void Poke() {
        {
            std::lock_guard<std::mutex> lock(m);
            bDirty = true;
        }
        cv.notify_one();
    }

private:
    void Run() {
        std::unique_lock<std::mutex> lock(m);
        for (;;) {
            cv.wait(lock, [this] { return bDirty || bStop; });
            if (bStop)
                return; // closing the last connection writes everything through
            bDirty = false;
            lock.unlock();
            sqlite3_wal_checkpoint_v2(db.Handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                      nullptr);
            lock.lock();
            if (cv.wait_for(lock, kSyncDelay, [this] { return bStop; }))
                return;
        }
    }

    CSqlite db;
    std::thread thread;
    std::mutex m;
    std::condition_variable cv;
    bool bDirty = false;
    bool bStop = false;
};

struct CHistoryStore::Statements {
    CStatement insertSession, insertHand, insertAlarm, updateProgress, upsertTable, endSession;
    CStatement findTable, insertTable;
};

CHistoryStore::CHistoryStore() = default;

CHistoryStore::~CHistoryStore() {
    Close();
}

void CHistoryStore::LogLine(const std::wstring& text) const {
    if (pLog)
        pLog->WriteLogLine(text);
}

CHistoryStore::FileState CHistoryStore::Probe(std::wstring& detail) {
    const std::string path = ToUtf8(strPath);
    const bool existed = Exists(path);
    int rc = db.Open(path, SQLITE_OPEN_READWRITE | (existed ? 0 : SQLITE_OPEN_CREATE));
    if (rc != SQLITE_OK) {
        detail = FromUtf8(sqlite3_errstr(rc));
        return IsDamageCode(rc) ? FileState::kDamaged : FileState::kFailed;
    }
    sqlite3_busy_timeout(db.Handle(), 2000);
    std::int64_t appId = 0, version = 0, tables = 0;
    rc = db.QueryInt("PRAGMA application_id", appId);
    if (rc == SQLITE_OK)
        rc = db.QueryInt("PRAGMA user_version", version);
    if (rc == SQLITE_OK)
        rc = db.QueryInt("SELECT count(*) FROM sqlite_master", tables);
    if (rc != SQLITE_OK) {
        detail = db.ErrorText();
        return IsDamageCode(rc) ? FileState::kDamaged : FileState::kFailed;
    }
    if (appId == 0 && tables == 0)
        return FileState::kUsable; // new or empty: the layout is created
    if (appId != kApplicationId)
        return FileState::kForeign;
    if (version > kSchemaVersion) {
        detail = Format(L"layout %lld, this program writes %d", static_cast<long long>(version),
                        kSchemaVersion);
        return FileState::kNewer;
    }
    std::string check;
    rc = db.QueryText("PRAGMA quick_check", check);
    if (rc != SQLITE_OK || check != "ok") {
        detail = rc != SQLITE_OK ? db.ErrorText() : FromUtf8(check);
        return IsDamageCode(rc) || rc == SQLITE_OK ? FileState::kDamaged : FileState::kFailed;
    }
    return FileState::kUsable;
}

bool CHistoryStore::SetAside(const std::wstring& reason, std::int64_t now,
                             std::wstring& asidePath) {
    db.Close();
    const std::string path = ToUtf8(strPath);
    const std::string aside = AsideName(path, ToUtf8(reason), now);
    // The journal goes with its database: it may hold committed sessions.
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
        LogLine(Format(L"The session history %ls could not be moved to %ls: %ls", strPath.c_str(),
                       FromUtf8(aside).c_str(), FromUtf8(std::strerror(errno)).c_str()));
        return false;
    }
    for (const char* suffix : {"-wal", "-shm"})
        if (Exists(path + suffix))
            std::rename((path + suffix).c_str(), (aside + suffix).c_str());
    asidePath = FromUtf8(aside);
    return true;
}

int CHistoryStore::Upgrade() {
    std::int64_t version = 0;
    int rc = db.Exec("BEGIN IMMEDIATE");
    if (rc == SQLITE_OK)
        rc = db.QueryInt("PRAGMA user_version", version);
    for (; rc == SQLITE_OK && version < kSchemaVersion; ++version) {
        rc = db.Exec(kUpgrades[version]);
        if (rc == SQLITE_OK) {
            const std::string set = "PRAGMA user_version = " + std::to_string(version + 1);
            rc = db.Exec(set.c_str());
        }
    }
    if (rc == SQLITE_OK)
        rc = db.Exec(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
    if (rc == SQLITE_OK)
        rc = db.Exec("COMMIT");
    if (rc != SQLITE_OK)
        db.Exec("ROLLBACK");
    return rc;
}

int CHistoryStore::CloseInterrupted() {
    CStatement open;
    int rc = open.Prepare(db, "SELECT id, start_time, last_hand FROM sessions "
                              "WHERE end_time IS NULL ORDER BY id");
    CStatement close;
    if (rc == SQLITE_OK)
        rc = close.Prepare(db, "UPDATE sessions SET end_time = ?2, end_kind = 'interrupted' "
                               "WHERE id = ?1");
    if (rc != SQLITE_OK)
        return -1;
    int closed = 0;
    while ((rc = open.Step()) == SQLITE_ROW) {
        const std::int64_t id = open.Int(0);
        const std::int64_t start = open.Int(1);
        const std::int64_t end = open.IsNull(2) ? start : std::max(start, open.Int(2));
        if (close.Bind(1, id).Bind(2, end).Run() != SQLITE_DONE)
            return -1;
        LogLine(Format(L"Session %lld of %ls was left open (the program did not end): closed "
                       L"as interrupted at its last hand, %ls",
                       static_cast<long long>(id), IsoLocalTime(start).c_str(),
                       IsoLocalTime(end).c_str()));
        ++closed;
    }
    return rc == SQLITE_DONE ? closed : -1;
}

bool CHistoryStore::PrepareStatements() {
    st = std::make_unique<Statements>();
    const std::pair<CStatement*, const char*> all[] = {
        {&st->insertSession,
         "INSERT INTO sessions(start_time, currency, take_profit, stop_loss, bb_stop_loss, "
         "hands_limit, time_limit, auto_pause, trailing_take_profit, trailing_stop_loss) "
         "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"},
        {&st->insertHand, "INSERT INTO hands(session, seq, time, tbl, hand, currency, bb, result, "
                          "money, total) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)"},
        {&st->insertAlarm, "INSERT INTO alarms(session, time, kind, level, money, bb, hands, "
                           "seconds) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"},
        {&st->updateProgress,
         "UPDATE sessions SET hands = ?2, money = ?3, bb = ?4, peak = ?5, trough = ?6, "
         "drawdown = ?7, last_hand = ?8, paused = ?9 WHERE id = ?1"},
        {&st->upsertTable,
         "INSERT INTO session_tables(session, tbl, hands, money, bb) VALUES(?1, ?2, ?3, ?4, ?5) "
         "ON CONFLICT(session, tbl) DO UPDATE SET hands = excluded.hands, "
         "money = excluded.money, bb = excluded.bb"},
        {&st->endSession,
         "UPDATE sessions SET end_time = ?2, end_kind = ?3, paused = ?4 WHERE id = ?1"},
        {&st->findTable, "SELECT id FROM table_files WHERE room = ?1 AND file = ?2"},
        {&st->insertTable, "INSERT INTO table_files(room, file) VALUES(?1, ?2)"},
    };
    for (const auto& [stmt, sql] : all)
        if (stmt->Prepare(db, sql) != SQLITE_OK)
            return false;
    return true;
}

bool CHistoryStore::Prepare(std::wstring& detail) {
    // Committed batches are safe from a crash of the program at once; the
    // syncer puts them on the disk within kSyncDelay. Checkpoints are its
    // work, never the counting thread's.
    std::string mode;
    int rc = db.QueryText("PRAGMA journal_mode = WAL", mode);
    if (rc == SQLITE_OK && mode != "wal")
        rc = SQLITE_CANTOPEN;
    for (const char* pragma : {"PRAGMA synchronous = NORMAL", "PRAGMA wal_autocheckpoint = 0",
                               "PRAGMA journal_size_limit = 8388608"})
        if (rc == SQLITE_OK)
            rc = db.Exec(pragma);
    if (rc == SQLITE_OK)
        rc = Upgrade();
    if (rc == SQLITE_OK) {
        const int closed = CloseInterrupted();
        if (closed < 0)
            rc = sqlite3_errcode(db.Handle());
        else
            nLastInterrupted = closed;
    }
    if (rc == SQLITE_OK && !PrepareStatements())
        rc = sqlite3_errcode(db.Handle());
    if (rc != SQLITE_OK) {
        detail = db.ErrorText();
        nLastPrepareError = rc;
        return false;
    }
    return true;
}

CHistoryStore::OpenResult CHistoryStore::Open(const std::wstring& path, std::int64_t now) {
    Close();
    OpenResult result;
    strPath = path;
    auto cannot = [&](const std::wstring& why) {
        result.strProblem = Format(L"The session history %ls cannot be used (%ls): this run's "
                                   L"sessions are not recorded.",
                                   path.c_str(), why.c_str());
        LogLine(result.strProblem);
        Close();
        return result;
    };

    // One process records into a history at a time: another one would
    // take its open session for one a crash left behind.
    const std::string lockPath = ToUtf8(path) + ".lock";
    fdLock = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fdLock < 0)
        return cannot(FromUtf8(std::strerror(errno)));
    if (::flock(fdLock, LOCK_EX | LOCK_NB) != 0)
        return cannot(L"another Tarnwick is recording into it");

    std::wstring detail;
    for (int attempt = 0;; ++attempt) {
        FileState state = Probe(detail);
        if (state == FileState::kUsable) {
            if (Prepare(detail))
                break;
            state = IsDamageCode(nLastPrepareError) ? FileState::kDamaged : FileState::kFailed;
        }
        if (state == FileState::kFailed || attempt > 0)
            return cannot(detail);
        // Never written to: kept under another name, and a new history
        // starts in its place.
        const wchar_t* reason = state == FileState::kNewer     ? L"newer"
                                : state == FileState::kForeign ? L"foreign"
                                                               : L"damaged";
        if (!SetAside(reason, now, result.strSetAside))
            return cannot(L"it could not be moved aside");
        const wchar_t* what = state == FileState::kNewer     ? L"was written by a newer Tarnwick"
                              : state == FileState::kForeign ? L"is not a Tarnwick session history"
                                                             : L"is damaged";
        result.strProblem =
            Format(L"The session history %ls %ls%ls%ls%ls. It is kept as %ls; a new history "
                   L"starts.",
                   path.c_str(), what, detail.empty() ? L"" : L" (", detail.c_str(),
                   detail.empty() ? L"" : L")", result.strSetAside.c_str());
        LogLine(result.strProblem);
        detail.clear();
    }
    result.nInterrupted = nLastInterrupted;
    bWritable = true;
    result.bRecording = true;
    syncer = std::make_unique<CSyncer>(ToUtf8(path));
    return result;
}

bool CHistoryStore::OpenForReading(const std::wstring& path, std::wstring& error) {
    Close();
    strPath = path;
    const std::string file = ToUtf8(path);
    if (!Exists(file)) {
        error = L"no such file";
        return false;
    }
    int rc = db.Open(file, SQLITE_OPEN_READONLY);
    std::int64_t appId = 0, version = 0, tables = 0;
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db.Handle(), 2000);
        rc = db.QueryInt("PRAGMA application_id", appId);
    }
    if (rc == SQLITE_OK)
        rc = db.QueryInt("PRAGMA user_version", version);
    if (rc == SQLITE_OK)
        rc = db.QueryInt("SELECT count(*) FROM sqlite_master", tables);
    if (rc != SQLITE_OK) {
        error = db.IsOpen() ? db.ErrorText() : FromUtf8(sqlite3_errstr(rc));
        Close();
        return false;
    }
    if (appId != kApplicationId) {
        error = L"not a Tarnwick session history";
    } else if (version != kSchemaVersion) {
        error = version > kSchemaVersion
                    ? L"written by a newer Tarnwick"
                    : L"an older layout: open it once for recording to upgrade it";
    } else {
        return true;
    }
    Close();
    return false;
}

void CHistoryStore::Close() {
    syncer.reset();
    if (bInBatch && db.IsOpen())
        db.Exec("COMMIT");
    bInBatch = false;
    st.reset();
    db.Close();
    live = Live{};
    mapTableIds.clear();
    bWritable = false;
    if (fdLock >= 0) {
        ::close(fdLock);
        fdLock = -1;
    }
}

// --- Recording ---------------------------------------------------------------

void CHistoryStore::Fail(int rc, const wchar_t* what) {
    if (bInBatch) {
        db.Exec("ROLLBACK");
        bInBatch = false;
    }
    const bool told = live.bFailed;
    live.bFailed = true;
    live.setChanged.clear();
    // A damaged file takes no more sessions; the next start sets it aside.
    if (IsDamageCode(rc))
        bWritable = false;
    if (told)
        return;
    const std::wstring text = Format(
        L"The session history %ls could not be written (%ls: %ls): this session's hands "
        L"from hand %d on are not kept.",
        strPath.c_str(), what, FromUtf8(sqlite3_errstr(rc)).c_str(), live.nCommittedHands + 1);
    LogLine(text);
    if (fnProblem)
        fnProblem(text);
}

bool CHistoryStore::Begin() {
    const int rc = db.Exec("BEGIN IMMEDIATE");
    if (rc != SQLITE_OK) {
        Fail(rc, L"begin");
        return false;
    }
    bInBatch = true;
    return true;
}

std::int64_t CHistoryStore::TableId(const std::wstring& room, const std::wstring& file) {
    const auto key = std::make_pair(room, file);
    auto known = mapTableIds.find(key);
    if (known != mapTableIds.end())
        return known->second;
    std::int64_t id = 0;
    int rc = st->findTable.Bind(1, room).Bind(2, file).Step();
    if (rc == SQLITE_ROW)
        id = st->findTable.Int(0);
    st->findTable.Reset();
    if (rc == SQLITE_DONE) {
        rc = st->insertTable.Bind(1, room).Bind(2, file).Run();
        if (rc == SQLITE_DONE)
            id = db.LastInsertId();
    }
    if (id == 0) {
        Fail(rc, L"table file");
        return 0;
    }
    // Kept in memory only once committed: a rolled-back batch takes its
    // new table files with it.
    return id;
}

std::int64_t CHistoryStore::BeginSession(std::int64_t start, const std::wstring& currency,
                                         const SessionLimits& limits) {
    if (live.nId != 0)
        EndSession(start, live.nPausedSeconds, SessionEnded::kStop);
    live = Live{};
    if (!IsRecording())
        return 0;
    const int rc = st->insertSession.Bind(1, start)
                       .Bind(2, currency)
                       .Bind(3, limits.dTakeProfit)
                       .Bind(4, limits.dStopLoss)
                       .Bind(5, limits.dBBStopLoss)
                       .Bind(6, limits.nHands)
                       .Bind(7, limits.nMinutes)
                       .Bind(8, limits.nAutoPauseMinutes)
                       .Bind(9, limits.bTrailingTakeProfit ? 1 : 0)
                       .Bind(10, limits.bTrailingStopLoss ? 1 : 0)
                       .Run();
    if (rc != SQLITE_DONE) {
        Fail(rc, L"new session");
        return 0;
    }
    live.nId = db.LastInsertId();
    live.tStart = start;
    if (syncer)
        syncer->Poke();
    return live.nId;
}

void CHistoryStore::AddHand(const HandEntry& hand) {
    if (live.nId == 0 || live.bFailed)
        return;
    if (!bInBatch && !Begin())
        return;
    const std::int64_t table = TableId(hand.strRoom, hand.strFile);
    if (table == 0)
        return;
    const double bigBlinds = HandBigBlinds(hand.dResult, hand.dBigBlind);
    live.run.Add(hand.dMoney, bigBlinds);
    const int rc = st->insertHand.Bind(1, live.nId)
                       .Bind(2, live.run.nHands)
                       .Bind(3, hand.tCounted)
                       .Bind(4, table)
                       .Bind(5, hand.strHandId)
                       .Bind(6, hand.strCurrency)
                       .Bind(7, hand.dBigBlind)
                       .Bind(8, hand.dResult)
                       .Bind(9, hand.dMoney)
                       .Bind(10, live.run.dMoney)
                       .Run();
    if (rc != SQLITE_DONE) {
        Fail(rc, L"hand");
        return;
    }
    mapNewTableIds.emplace(std::make_pair(hand.strRoom, hand.strFile), table);
    LiveTable& share = live.mapTables[table];
    ++share.nHands;
    share.dMoney += hand.dMoney;
    share.dBigBlinds += bigBlinds;
    live.setChanged.insert(table);
    live.tLastHand = hand.tCounted;
    live.bAlarmLast = false;
}

void CHistoryStore::AddAlarm(const AlarmEntry& alarm) {
    if (live.nId == 0 || live.bFailed)
        return;
    const int rc = st->insertAlarm.Bind(1, live.nId)
                       .Bind(2, alarm.tFired)
                       .Bind(3, alarm.strKind)
                       .Bind(4, alarm.dLevel)
                       .Bind(5, alarm.dMoney)
                       .Bind(6, alarm.dBigBlinds)
                       .Bind(7, alarm.nHands)
                       .Bind(8, alarm.nSeconds)
                       .Run();
    if (rc != SQLITE_DONE) {
        Fail(rc, L"alarm");
        return;
    }
    live.bAlarmLast = true;
    if (!bInBatch && syncer)
        syncer->Poke();
}

int CHistoryStore::WriteProgress(std::int64_t pausedSeconds) {
    const MoneyRun& run = live.run;
    int rc = st->updateProgress.Bind(1, live.nId)
                 .Bind(2, run.nHands)
                 .Bind(3, run.dMoney)
                 .Bind(4, run.dBigBlinds)
                 .Bind(5, run.dPeak)
                 .Bind(6, run.dTrough)
                 .Bind(7, run.dDrawdown)
                 .Bind(8, live.tLastHand)
                 .Bind(9, pausedSeconds)
                 .Run();
    for (auto it = live.setChanged.begin(); rc == SQLITE_DONE && it != live.setChanged.end();
         ++it) {
        const LiveTable& share = live.mapTables[*it];
        rc = st->upsertTable.Bind(1, live.nId)
                 .Bind(2, *it)
                 .Bind(3, share.nHands)
                 .Bind(4, share.dMoney)
                 .Bind(5, share.dBigBlinds)
                 .Run();
    }
    return rc;
}

void CHistoryStore::EndBatch(std::int64_t pausedSeconds) {
    if (!bInBatch)
        return;
    int rc = WriteProgress(pausedSeconds);
    if (rc == SQLITE_DONE)
        rc = db.Exec("COMMIT");
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        Fail(rc, L"batch");
        mapNewTableIds.clear();
        return;
    }
    bInBatch = false;
    live.setChanged.clear();
    live.nPausedSeconds = pausedSeconds;
    live.nCommittedHands = live.run.nHands;
    mapTableIds.merge(mapNewTableIds);
    mapNewTableIds.clear();
    if (syncer)
        syncer->Poke();
}

void CHistoryStore::EndSession(std::int64_t end, std::int64_t pausedSeconds, SessionEnded how) {
    if (live.nId == 0)
        return;
    EndBatch(pausedSeconds);
    if (live.bAlarmLast)
        how = SessionEnded::kAlarm;
    if (IsOpen() && st) {
        const int rc = st->endSession.Bind(1, live.nId)
                           .Bind(2, std::max(end, live.tStart))
                           .Bind(3, std::wstring(SessionEndedName(how)))
                           .Bind(4, pausedSeconds)
                           .Run();
        if (rc != SQLITE_DONE)
            LogLine(Format(L"The end of session %lld could not be written to %ls: %ls",
                           static_cast<long long>(live.nId), strPath.c_str(),
                           FromUtf8(sqlite3_errstr(rc)).c_str()));
        else if (syncer)
            syncer->Poke();
    }
    live = Live{};
}

// --- Reading -----------------------------------------------------------------

std::vector<SessionRecord> CHistoryStore::ReadSessions(std::int64_t only) const {
    std::vector<SessionRecord> sessions;
    if (!IsOpen())
        return sessions;
    const char* const where = only > 0 ? " WHERE id = ?1" : "";
    CStatement q;
    const std::string sql =
        std::string("SELECT id, start_time, end_time, end_kind, paused, currency, take_profit, "
                    "stop_loss, bb_stop_loss, hands_limit, time_limit, auto_pause, "
                    "trailing_take_profit, trailing_stop_loss, last_hand, hands, money, bb, "
                    "peak, trough, drawdown FROM sessions") +
        where + " ORDER BY start_time, id";
    if (q.Prepare(db, sql.c_str()) != SQLITE_OK)
        return sessions;
    if (only > 0)
        q.Bind(1, only);
    std::map<std::int64_t, std::size_t> index;
    while (q.Step() == SQLITE_ROW) {
        SessionRecord s;
        s.nId = q.Int(0);
        s.tStart = q.Int(1);
        s.tEnd = q.IsNull(2) ? 0 : q.Int(2);
        s.ended = q.IsNull(2) ? SessionEnded::kOpen : SessionEndedFromName(q.Text(3));
        s.nPausedSeconds = q.Int(4);
        s.strCurrency = q.Text(5);
        s.limits.dTakeProfit = q.OptReal(6);
        s.limits.dStopLoss = q.OptReal(7);
        s.limits.dBBStopLoss = q.OptReal(8);
        s.limits.nHands = q.OptInt(9);
        s.limits.nMinutes = q.OptInt(10);
        s.limits.nAutoPauseMinutes = q.OptInt(11);
        s.limits.bTrailingTakeProfit = q.Int(12) != 0;
        s.limits.bTrailingStopLoss = q.Int(13) != 0;
        s.tLastHand = q.IsNull(14) ? 0 : q.Int(14);
        s.run.nHands = static_cast<int>(q.Int(15));
        s.run.dMoney = q.Real(16);
        s.run.dBigBlinds = q.Real(17);
        s.run.dPeak = q.Real(18);
        s.run.dTrough = q.Real(19);
        s.run.dDrawdown = q.Real(20);
        index[s.nId] = sessions.size();
        sessions.push_back(std::move(s));
    }
    CStatement t;
    const std::string tablesSql =
        std::string("SELECT s.session, f.room, f.file, s.hands, s.money, s.bb "
                    "FROM session_tables s JOIN table_files f ON f.id = s.tbl") +
        (only > 0 ? " WHERE s.session = ?1" : "") + " ORDER BY s.session, f.room, f.file";
    if (t.Prepare(db, tablesSql.c_str()) != SQLITE_OK)
        return sessions;
    if (only > 0)
        t.Bind(1, only);
    while (t.Step() == SQLITE_ROW) {
        auto at = index.find(t.Int(0));
        if (at == index.end())
            continue;
        sessions[at->second].vecTables.push_back(
            {t.Text(1), t.Text(2), static_cast<int>(t.Int(3)), t.Real(4), t.Real(5)});
    }
    return sessions;
}

std::vector<SessionRecord> CHistoryStore::Sessions() const {
    return ReadSessions(0);
}

bool CHistoryStore::FindSession(std::int64_t id, SessionRecord& session) const {
    if (id <= 0)
        return false;
    std::vector<SessionRecord> found = ReadSessions(id);
    if (found.empty())
        return false;
    session = std::move(found.front());
    return true;
}

std::vector<HandRow> CHistoryStore::Hands(std::int64_t session) const {
    std::vector<HandRow> hands;
    CStatement q;
    if (!IsOpen() ||
        q.Prepare(db, "SELECT h.seq, h.time, f.room, f.file, h.hand, h.currency, h.bb, h.result, "
                      "h.money, h.total FROM hands h JOIN table_files f ON f.id = h.tbl "
                      "WHERE h.session = ?1 ORDER BY h.seq") != SQLITE_OK)
        return hands;
    q.Bind(1, session);
    while (q.Step() == SQLITE_ROW) {
        HandRow h;
        h.nSeq = q.Int(0);
        h.tCounted = q.Int(1);
        h.strRoom = q.Text(2);
        h.strFile = q.Text(3);
        h.strHandId = q.Text(4);
        h.strCurrency = q.Text(5);
        h.dBigBlind = q.Real(6);
        h.dResult = q.Real(7);
        h.dMoney = q.Real(8);
        h.dTotal = q.Real(9);
        hands.push_back(std::move(h));
    }
    return hands;
}

std::vector<GraphPoint> CHistoryStore::Graph(std::int64_t session) const {
    return GraphOf(Hands(session));
}

std::vector<AlarmEntry> CHistoryStore::Alarms(std::int64_t session) const {
    std::vector<AlarmEntry> alarms;
    CStatement q;
    if (!IsOpen() || q.Prepare(db, "SELECT time, kind, level, money, bb, hands, seconds "
                                   "FROM alarms WHERE session = ?1 ORDER BY id") != SQLITE_OK)
        return alarms;
    q.Bind(1, session);
    while (q.Step() == SQLITE_ROW)
        alarms.push_back({q.Int(0), q.Text(1), q.Real(2), q.Real(3), q.Real(4),
                          static_cast<int>(q.Int(5)), q.Int(6)});
    return alarms;
}

} // namespace tw
