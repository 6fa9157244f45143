#include "parsing/HandEngine.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

// The room record a hand's format is looked up under.
std::wstring LookupName(RoomNumber room) {
    return RoomNameFromNumber(room);
}

} // namespace

bool MakeMoneyDataOneHand(CSessionModel& model, const HandLines& hand, RoomNumber room, int bbInt,
                          int& currency, double& money) {
    double B = static_cast<double>(bbInt);
    money = 0;
    const bool stars = IsPokerStarsFamily(room);
    if (!stars && room != kRoomPartyPoker && room != kRoomTigerGaming)
        return true;

    // An unconfigured room parses with an empty nickname; the lookup never
    // creates a room record.
    const std::wstring nickname = model.NicknameOf(LookupName(room));
    if (stars)
        model.LogDebug(Format(L"MakeMoneyDataOneHand: name = %ls", nickname.c_str()));
    ++model.nTotalHands;
    if (stars) {
        ParseHandPokerStars(hand, nickname, money, B);
    } else if (room == kRoomPartyPoker) {
        ParseHandPartyPoker(hand, nickname, money);
    } else {
        // A malformed hand still adds what was read before the fault.
        ParseHandTigerGaming(hand, nickname, money);
    }
    const double result = money;

    money *= model.RateOf(currency);
    model.dTotalMoney += money * 0.01;
    // A hand without a known big blind leaves the big-blind total unchanged.
    if (B > 0)
        model.dTotalBB += money / B;
    if (stars)
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
