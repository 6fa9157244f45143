#include "parsing/HandEngine.h"
#include "parsing/IPoker.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

// The room record a hand's format is looked up under.
std::wstring LookupName(RoomNumber room) {
    return RoomNameFromNumber(room);
}

// One iPoker game: the result is in whole units and counts only when the
// game could be read.
bool IPokerOneHand(CSessionModel& model, const HandLines& hand, RoomNumber room, int bbInt,
                   int& currency, double& money) {
    // The big blind in whole units, as the parser reports it.
    double B = bbInt * 0.01;
    bool winHoldsReturn = false;
    auto file = model.mapIPokerFiles.find(model.strCurrentHistoryFile);
    if (file != model.mapIPokerFiles.end())
        winHoldsReturn = file->second.bWinHoldsReturn;

    const std::wstring nickname = model.NicknameOf(LookupName(room));
    std::wstring gameCode;
    if (!ParseHandIPoker(hand, nickname, money, currency, B, gameCode, winHoldsReturn)) {
        money = 0;
        return false;
    }
    ++model.nTotalHands;
    const double result = money;

    money *= model.RateOf(currency);
    model.dTotalMoney += money;
    if (B > 0)
        model.dTotalBB += money / B;

    HandRecord rec;
    rec.strFile = model.strCurrentHistoryFile;
    rec.nRoom = room;
    rec.strHandId = gameCode;
    rec.nCurrency = currency;
    rec.dBigBlind = B;
    rec.dResult = result;
    rec.dMoney = money;
    model.NotifyHandCounted(rec);
    return true;
}

} // namespace

bool MakeMoneyDataOneHand(CSessionModel& model, const HandLines& hand, RoomNumber room, int bbInt,
                          int& currency, double& money) {
    double B = static_cast<double>(bbInt);
    money = 0;
    if (IsIPoker(room))
        return IPokerOneHand(model, hand, room, bbInt, currency, money);
    if (!IsPokerStarsFamily(room))
        return true;

    // An unconfigured room parses with an empty nickname; the lookup never
    // creates a room record.
    const std::wstring nickname = model.NicknameOf(LookupName(room));
    model.LogDebug(Format(L"MakeMoneyDataOneHand: name = %ls", nickname.c_str()));
    ++model.nTotalHands;
    ParseHandPokerStars(hand, nickname, money, B);
    const double result = money;

    money *= model.RateOf(currency);
    model.dTotalMoney += money * 0.01;
    // A hand without a known big blind leaves the big-blind total unchanged.
    if (B > 0)
        model.dTotalBB += money / B;
    model.LogDebug(Format(L"MakeMoneyDataOneHand: money = %.2f", model.dTotalMoney));

    HandRecord rec;
    rec.strFile = model.strCurrentHistoryFile;
    rec.nRoom = room;
    rec.strHandId = HandIdOf(hand, room);
    rec.nCurrency = currency;
    rec.dBigBlind = B * 0.01;
    rec.dResult = result * 0.01;
    rec.dMoney = money * 0.01;
    model.NotifyHandCounted(rec);
    return true;
}

} // namespace tw
