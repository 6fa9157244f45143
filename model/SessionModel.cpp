#include "model/SessionModel.h"

#include "support/LogSink.h"
#include "support/TextUtil.h"

#include <algorithm>

namespace tw {

CSessionModel::CSessionModel() {
    for (const RoomInfo& r : kSupportedRooms)
        mapRoomNames[r.szName] = 0;
}

void CSessionModel::SetRoom(const std::wstring& name, const CPokerRoom& room) {
    auto lock = LockHistory();
    mapRooms.insert_or_assign(name, room);
}

void CSessionModel::SetRoom(const std::wstring& name, const CPokerRoom& room, int mark) {
    auto lock = LockHistory();
    mapRoomNames[name] = mark;
    mapRooms.insert_or_assign(name, room);
}

bool CSessionModel::RemoveRoom(const std::wstring& name) {
    auto lock = LockHistory();
    if (mapRooms.erase(name) == 0)
        return false;
    mapRoomNames[name] = 0;
    return true;
}

void CSessionModel::ClearRooms() {
    auto lock = LockHistory();
    mapRooms.clear();
    for (auto& [name, mark] : mapRoomNames)
        mark = 0;
}

bool CSessionModel::HasReadPosition(const std::wstring& path) const {
    auto lock = LockHistory();
    return mapFileTest.count(path) != 0;
}

bool CSessionModel::FindReadPosition(const std::wstring& path, std::int64_t& pos) const {
    auto lock = LockHistory();
    auto it = mapFileTest.find(path);
    if (it == mapFileTest.end())
        return false;
    pos = it->second;
    return true;
}

void CSessionModel::SetReadPosition(const std::wstring& path, std::int64_t pos) {
    auto lock = LockHistory();
    mapFileTest[path] = pos;
}

void CSessionModel::ForgetReadPosition(const std::wstring& path) {
    auto lock = LockHistory();
    mapFileTest.erase(path);
}

std::vector<std::wstring> CSessionModel::FilesWithReadPosition() const {
    auto lock = LockHistory();
    std::vector<std::wstring> paths;
    paths.reserve(mapFileTest.size());
    for (const auto& [path, pos] : mapFileTest)
        paths.push_back(path);
    return paths;
}

std::size_t CSessionModel::ReadPositionCount() const {
    auto lock = LockHistory();
    return mapFileTest.size();
}

const CPokerRoom* CSessionModel::FindRoom(const std::wstring& name) const {
    auto it = mapRooms.find(name);
    return it == mapRooms.end() ? nullptr : &it->second;
}

std::wstring CSessionModel::NicknameOf(const std::wstring& name) const {
    const CPokerRoom* room = FindRoom(name);
    return room ? room->strNickname : std::wstring();
}

double CSessionModel::RateOf(CurrencyNumber currency) const {
    auto it = mapCurrency.find(currency);
    return it == mapCurrency.end() ? 0.0 : it->second.dRate;
}

RateSettings CSessionModel::Rates() const {
    RateSettings rates;
    rates.nDisplayCurrency = nDisplayCurrency;
    const CurrencyDefaults d = DefaultRatesFor(nDisplayCurrency);
    const wchar_t* defaults[3] = {d.szUSD, d.szEUR, d.szGBP};
    for (CurrencyNumber c = 0; c < 3; ++c) {
        auto it = mapCurrency.find(c);
        rates.strRate[c] = it == mapCurrency.end() ? std::wstring(defaults[c]) : it->second.strRate;
    }
    return rates;
}

void CSessionModel::SetRates(const RateSettings& rates) {
    nDisplayCurrency = rates.nDisplayCurrency;
    SetRates(rates.strRate[kCurrencyUSD], rates.strRate[kCurrencyEUR], rates.strRate[kCurrencyGBP]);
}

void CSessionModel::SetRates(const std::wstring& usd, const std::wstring& eur,
                             const std::wstring& gbp) {
    const std::wstring* texts[3] = {&usd, &eur, &gbp};
    mapCurrency.clear();
    for (int c = 0; c < 3; ++c) {
        CurrencyRate rate;
        rate.strRate = *texts[c];
        double v = 0.0;
        rate.dRate = ParseDecimal(TrimView(rate.strRate), v) ? v : 0.0;
        mapCurrency[c] = rate;
    }
}

bool CSessionModel::NumericKey(RoomNumber room, const std::wstring& handId, std::uint64_t& key) {
    // 17 digits stay below 2^59; room numbers fit the five bits above.
    if (handId.empty() || handId.size() > 17 || room < 0 || room >= 32)
        return false;
    std::uint64_t value = 0;
    for (wchar_t c : handId) {
        if (c < L'0' || c > L'9')
            return false;
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    // "007" and "7" are different ids: a leading zero keeps the text form.
    if (handId.size() > 1 && handId[0] == L'0')
        return false;
    key = (static_cast<std::uint64_t>(room) << 59) | value;
    return true;
}

std::wstring CSessionModel::TextKey(RoomNumber room, const std::wstring& handId) {
    std::wstring key = std::to_wstring(room);
    key += L':';
    key += handId;
    return key;
}

bool CSessionModel::MarkHandCounted(RoomNumber room, const std::wstring& handId) {
    if (handId.empty())
        return true;
    std::uint64_t key = 0;
    if (NumericKey(room, handId, key))
        return setCountedNumbers.Insert(key);
    return setCountedTexts.insert(TextKey(room, handId)).second;
}

bool CSessionModel::IsHandCounted(RoomNumber room, const std::wstring& handId) const {
    if (handId.empty())
        return false;
    std::uint64_t key = 0;
    if (NumericKey(room, handId, key))
        return setCountedNumbers.Contains(key);
    return setCountedTexts.count(TextKey(room, handId)) != 0;
}

void CSessionModel::BeginSession() {
    setCountedNumbers.Clear();
    setCountedTexts.clear();
    nUnreadHands = 0;
    mapHandsWithoutHero.clear();
}

bool CSessionModel::NoteHeroNamed(RoomNumber room, bool named) {
    int& without = mapHandsWithoutHero[room];
    if (without < 0)
        return false;
    if (named) {
        without = -1;
        return false;
    }
    if (++without < kHeroCheckHands)
        return false;
    without = -1;
    return true;
}

bool CSessionModel::HeroCheckDone(RoomNumber room) const {
    const auto it = mapHandsWithoutHero.find(room);
    return it != mapHandsWithoutHero.end() && it->second < 0;
}

void CSessionModel::NotifyHeroNotNamed(const std::wstring& folder,
                                       const std::wstring& nickname) const {
    for (IHandListener* l : vecListeners)
        l->HeroNotNamed(folder, nickname);
}

void CSessionModel::LogLine(const std::wstring& text) const {
    if (pLog)
        pLog->WriteLogLine(text);
}

void CSessionModel::AddHandListener(IHandListener* listener) {
    if (listener &&
        std::find(vecListeners.begin(), vecListeners.end(), listener) == vecListeners.end())
        vecListeners.push_back(listener);
}

void CSessionModel::RemoveHandListener(IHandListener* listener) {
    vecListeners.erase(std::remove(vecListeners.begin(), vecListeners.end(), listener),
                       vecListeners.end());
}

void CSessionModel::NotifyHandCounted(const HandRecord& hand) const {
    for (IHandListener* l : vecListeners)
        l->HandCounted(hand);
}

void CSessionModel::NotifyHandsBatchEnded() const {
    for (IHandListener* l : vecListeners)
        l->HandsBatchEnded();
}

} // namespace tw

namespace tw {

CurrencyDefaults DefaultRatesFor(CurrencyNumber display) {
    switch (display) {
    case kCurrencyEUR:
        return {L"0.89", L"1.00", L"1.27"};
    case kCurrencyGBP:
        return {L"0.70", L"0.79", L"1.00"};
    default:
        return {L"1.00", L"1.12", L"1.42"};
    }
}

CurrencyNumber CurrencyFromCode(const std::wstring& code) {
    if (code == L"USD")
        return kCurrencyUSD;
    if (code == L"EUR")
        return kCurrencyEUR;
    if (code == L"GBP")
        return kCurrencyGBP;
    return -1;
}

const wchar_t* CurrencyCode(CurrencyNumber currency) {
    switch (currency) {
    case kCurrencyUSD:
        return L"USD";
    case kCurrencyEUR:
        return L"EUR";
    case kCurrencyGBP:
        return L"GBP";
    default:
        return L"?";
    }
}

} // namespace tw
