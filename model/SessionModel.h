// The shared session state: configured rooms, currency rates, the table of
// history files with their read positions, and the running totals.
#pragma once

#include "model/KeySet.h"
#include "model/RoomTable.h"

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace tw {

class ILogSink;

// Currency numbers: the table currency of a hand and the display currency.
using CurrencyNumber = int;
enum : CurrencyNumber { kCurrencyUSD = 0, kCurrencyEUR = 1, kCurrencyGBP = 2 };

// One currency's factor into the display currency, as text and as a number.
struct CurrencyRate {
    std::wstring strRate;
    double dRate = 0.0;
};

// The display currency and the rates into it as the user sets them: what the
// settings dialog shows and stores, read from and written to the profile as a
// whole.
struct RateSettings {
    CurrencyNumber nDisplayCurrency = kCurrencyUSD;
    // The rate texts of USD, EUR and GBP, by currency number.
    std::array<std::wstring, 3> strRate = {L"1.00", L"1.12", L"1.42"};

    bool operator==(const RateSettings&) const = default;
};

// One configured room; its name is the key it is stored under.
class CPokerRoom {
public:
    virtual ~CPokerRoom() = default;

    RoomNumber nRoomNumber = 0;
    std::wstring strNickname;
    std::wstring strHistoryPath; // without a trailing separator
    double dExchangeRate = 1.0;  // kept in the rooms file; hands use the model's rates
    bool bActive = true;
};

// One counted hand, as reported to the hand listeners.
struct HandRecord {
    std::wstring strFile;   // the history file the hand came from
    RoomNumber nRoom = 0;   // the room number the hand was dispatched with
    std::wstring strHandId; // the room's hand or game number
    CurrencyNumber nCurrency = kCurrencyUSD;
    double dBigBlind = 0.0; // in table-currency units
    double dResult = 0.0;   // the hero's result in table-currency units
    double dMoney = 0.0;    // the same converted into the display currency
    // False for a hand the room cancelled: reported, but not counted or added.
    bool bCounted = true;
};

class IHandListener {
public:
    virtual ~IHandListener() = default;
    virtual void HandCounted(const HandRecord& hand) = 0;
    // The hands of one read of one file have all been told (none, one or
    // many): what was kept of them per hand can be made final together.
    // Also told while a parser's exception unwinds the read: must not throw.
    virtual void HandsBatchEnded() {}
    // The first hands read in `folder` this session do not name `nickname`
    // (told once per room and session): the room counts nothing until the
    // nickname matches the files exactly.
    virtual void HeroNotNamed(const std::wstring& folder, const std::wstring& nickname) {}
};

// The history lock held for the life of the object (see
// CSessionModel::LockHistory). It cannot be released early, moved or copied.
class CHistoryLock {
public:
    CHistoryLock(const CHistoryLock&) = delete;
    CHistoryLock& operator=(const CHistoryLock&) = delete;

private:
    friend class CSessionModel;
    explicit CHistoryLock(std::recursive_mutex& mutex) : lock(mutex) {}
    std::lock_guard<std::recursive_mutex> lock;
};

class CSessionModel {
public:
    CSessionModel();
    virtual ~CSessionModel() = default;
    CSessionModel(const CSessionModel&) = delete;
    CSessionModel& operator=(const CSessionModel&) = delete;

    double dTotalMoney = 0.0; // display-currency units
    double dTotalBB = 0.0;
    int nTotalHands = 0;

    // --- The history lock ---
    // Serialises the history path (reading files, counting hands, changing
    // the totals) with changes to the file table and to the configured
    // rooms. The watches deliver file notices on a thread of their own in
    // the command-line tool; whoever reads the totals or the file table from
    // another thread holds this lock meanwhile. Recursive: the history path
    // takes it again on its way down.
    [[nodiscard]] CHistoryLock LockHistory() const { return CHistoryLock(csHistory); }

    // --- Configured rooms ---
    // Changes take the history lock: the history path looks a file's room up
    // on the thread that delivers the notices. The references and pointers
    // handed out below hold while the rooms do not change: use them on the
    // thread that changes the rooms, or under the history lock.

    // Adds the room `name` or replaces its record; the name's in-use mark
    // stays as it is.
    void SetRoom(const std::wstring& name, const CPokerRoom& room);
    // The same, and marks the name in use with `mark` (non-zero: the rooms
    // file and the command line mark a room with its number, the settings
    // dialog with 1).
    void SetRoom(const std::wstring& name, const CPokerRoom& room, int mark);
    // Removes the room `name` and marks its name not in use; false (and no
    // change) when no such room is configured.
    bool RemoveRoom(const std::wstring& name);
    // Removes every room and marks every name not in use.
    void ClearRooms();
    // The configured rooms by name, in the names' order.
    const std::map<std::wstring, CPokerRoom>& Rooms() const { return mapRooms; }
    // Every supported room name (and any other name a room was set under)
    // with its in-use mark: 0 for a name that is not configured.
    const std::map<std::wstring, int>& RoomNames() const { return mapRoomNames; }

    // --- The file table ---
    // History file path -> read position: the byte offset where the next
    // read starts. A file without an entry is never read. Every operation
    // takes the history lock.

    // True when the file has an entry.
    bool HasReadPosition(const std::wstring& path) const;
    // The file's read position in `pos`; false (and `pos` unchanged) when it
    // has no entry.
    bool FindReadPosition(const std::wstring& path, std::int64_t& pos) const;
    // Sets the file's read position, entering the file when it is new.
    void SetReadPosition(const std::wstring& path, std::int64_t pos);
    // Removes the file's entry, if any: it is not read any more.
    void ForgetReadPosition(const std::wstring& path);
    // The paths of every entry, in the paths' order.
    std::vector<std::wstring> FilesWithReadPosition() const;
    std::size_t ReadPositionCount() const;

    // Every hand counts once per session, however often its text is read: a
    // file replaced by rename holds its old hands again, an iPoker document
    // is rewritten whole as games are added. Hands are known by room and
    // hand id; a hand without an id cannot be recognised and always counts.
    // True when the hand was not known yet (it is known from now on).
    bool MarkHandCounted(RoomNumber room, const std::wstring& handId);
    bool IsHandCounted(RoomNumber room, const std::wstring& handId) const;
    // Hands that named the hero but could not be read: not counted, logged.
    int nUnreadHands = 0;
    // Forgets the hands of the last session, its unread count and which
    // rooms' hands named the hero.
    void BeginSession();

    // A mistyped nickname (another case, a typo) makes a session that counts
    // nothing without a word. Each hand read in a room is noted, whether it
    // names the hero or not, until one does. True once per room and session:
    // when kHeroCheckHands hands in a row have been noted without any naming
    // the hero.
    static constexpr int kHeroCheckHands = 10;
    bool NoteHeroNamed(RoomNumber room, bool named);
    // True when there is nothing more to note for the room this session (a
    // hand named the hero, or the room was reported).
    bool HeroCheckDone(RoomNumber room) const;
    void NotifyHeroNotNamed(const std::wstring& folder, const std::wstring& nickname) const;

    int bDebug = 0;

    // The configured room of that name, or null. Never creates a record.
    const CPokerRoom* FindRoom(const std::wstring& name) const;
    // The nickname configured for a room name; empty when not configured.
    std::wstring NicknameOf(const std::wstring& name) const;
    // The rate of a currency into the display currency; 0 when it has none
    // (no rates are set until the profile is read) or its text is no number.
    double RateOf(CurrencyNumber currency) const;
    CurrencyNumber DisplayCurrency() const { return nDisplayCurrency; }
    // The display currency and the rate texts as set. A currency without a
    // rate shows the display currency's default rate, which is what the
    // profile and the settings dialog fall back to.
    RateSettings Rates() const;
    // Takes the display currency and the three rates whole.
    void SetRates(const RateSettings& rates);
    // Sets the three rates (USD, EUR, GBP); the display currency stays.
    void SetRates(const std::wstring& usd, const std::wstring& eur, const std::wstring& gbp);

    // The work log; lines go nowhere while it is null.
    void SetLog(ILogSink* log) { pLog = log; }
    ILogSink* Log() const { return pLog; }
    void LogLine(const std::wstring& text) const;
    void LogDebug(const std::wstring& text) const {
        if (bDebug)
            LogLine(text);
    }

    // Hand listeners are told of every counted hand, and of every hand the room
    // cancelled (marked not counted), in registration order.
    void AddHandListener(IHandListener* listener);
    void RemoveHandListener(IHandListener* listener);
    void NotifyHandCounted(const HandRecord& hand) const;
    void NotifyHandsBatchEnded() const;

private:
    // A hand number of up to 17 digits is kept as a number with its room
    // in the top bits (no allocation on the path of every hand); other ids
    // as text.
    static bool NumericKey(RoomNumber room, const std::wstring& handId, std::uint64_t& key);
    static std::wstring TextKey(RoomNumber room, const std::wstring& handId);

    // Supported room name -> in-use mark (0: not configured).
    std::map<std::wstring, int> mapRoomNames;
    // Configured rooms by name.
    std::map<std::wstring, CPokerRoom> mapRooms;
    // The file table (see HasReadPosition).
    std::map<std::wstring, std::int64_t> mapFileTest;
    // The history lock (see LockHistory).
    mutable std::recursive_mutex csHistory;
    // Currency number -> its rate into the display currency.
    std::map<CurrencyNumber, CurrencyRate> mapCurrency;
    CurrencyNumber nDisplayCurrency = kCurrencyUSD;

    ILogSink* pLog = nullptr;
    std::vector<IHandListener*> vecListeners;
    // Per room this session: hands noted without the hero (-1: done).
    std::map<RoomNumber, int> mapHandsWithoutHero;
    CKeySet setCountedNumbers;                        // NumericKey of each hand counted
    std::unordered_set<std::wstring> setCountedTexts; // TextKey of the others
};

} // namespace tw

namespace tw {

// The default rate texts (USD, EUR, GBP) for a display currency.
struct CurrencyDefaults {
    const wchar_t* szUSD;
    const wchar_t* szEUR;
    const wchar_t* szGBP;
};
CurrencyDefaults DefaultRatesFor(CurrencyNumber display);
// "USD", "EUR", "GBP" -> 0, 1, 2; anything else -1. And back.
CurrencyNumber CurrencyFromCode(const std::wstring& code);
const wchar_t* CurrencyCode(CurrencyNumber currency);

} // namespace tw
