// The shared session state: configured rooms, currency rates, the table of
// history files with their read positions, and the running totals.
#pragma once

#include "model/KeySet.h"
#include "model/RoomTable.h"

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

// One configured room; its name is the key it is stored under.
class CPokerRoom {
public:
    virtual ~CPokerRoom() = default;

    RoomNumber nRoomNumber = 0;
    std::wstring strNickname;
    std::wstring strHistoryPath; // without a trailing separator
    double dExchangeRate = 1.0;  // kept in the rooms file; hands use mapCurrency
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
};

class CSessionModel {
public:
    CSessionModel();
    virtual ~CSessionModel() = default;
    CSessionModel(const CSessionModel&) = delete;
    CSessionModel& operator=(const CSessionModel&) = delete;

    // Supported room name -> in-use mark (0: not configured).
    std::map<std::wstring, int> mapRoomNames;
    // Configured rooms by name.
    std::map<std::wstring, CPokerRoom> mapRooms;
    // Currency number -> its rate into the display currency.
    std::map<CurrencyNumber, CurrencyRate> mapCurrency;
    CurrencyNumber nDisplayCurrency = kCurrencyUSD;

    double dTotalMoney = 0.0; // display-currency units
    double dTotalBB = 0.0;
    int nTotalHands = 0;

    // History file path -> read position: the byte offset where the next
    // read starts. A file without an entry is never read.
    std::map<std::wstring, std::int64_t> mapFileTest;
    // Serialises the history path with changes to mapFileTest.
    std::recursive_mutex csHistory;

    // Every hand counts once per session, however often its text is read: a
    // file replaced by rename holds its old hands again, an iPoker document
    // is rewritten whole as games are added. Hands are known by room and
    // hand id; a hand without an id cannot be recognised and always counts.
    // True when the hand was not known yet (it is known from now on).
    bool MarkHandCounted(RoomNumber room, const std::wstring& handId);
    bool IsHandCounted(RoomNumber room, const std::wstring& handId) const;
    // Hands that named the hero but could not be read: not counted, logged.
    int nUnreadHands = 0;
    // Forgets the hands of the last session and its unread count.
    void BeginSession();

    int bDebug = 0;

    // The configured room of that name, or null. Never creates a record.
    const CPokerRoom* FindRoom(const std::wstring& name) const;
    // The nickname configured for a room name; empty when not configured.
    std::wstring NicknameOf(const std::wstring& name) const;
    // The rate of a currency into the display currency; 0 when it has none.
    double RateOf(CurrencyNumber currency) const;
    // Fills mapCurrency from three rate texts (USD, EUR, GBP).
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

private:
    // A hand number of up to 17 digits is kept as a number with its room
    // in the top bits (no allocation on the path of every hand); other ids
    // as text.
    static bool NumericKey(RoomNumber room, const std::wstring& handId, std::uint64_t& key);
    static std::wstring TextKey(RoomNumber room, const std::wstring& handId);

    ILogSink* pLog = nullptr;
    std::vector<IHandListener*> vecListeners;
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
