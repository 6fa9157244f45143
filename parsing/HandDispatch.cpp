#include "parsing/HandEngine.h"
#include "parsing/IPoker.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

// The room record a hand's format is looked up under.
std::wstring LookupName(RoomNumber room) {
    return RoomNameFromNumber(room);
}

// The record of one hand as the hand listeners see it; `resultHundredths` is
// the parser's result, `moneyHundredths` the same in the display currency.
HandRecord RecordOf(const CSessionModel& model, const HandLines& hand, RoomNumber room, double B,
                    int currency, double resultHundredths, double moneyHundredths) {
    HandRecord rec;
    rec.strFile = model.strCurrentHistoryFile;
    rec.nRoom = room;
    rec.strHandId = HandIdOf(hand, room);
    rec.nCurrency = currency;
    rec.dBigBlind = B * 0.01;
    rec.dResult = resultHundredths * 0.01;
    rec.dMoney = moneyHundredths * 0.01;
    return rec;
}

// Converts a text-format result (hundredths of the table currency) into the
// display currency and adds it to the totals; `money` becomes the converted
// value. B is the big blind in hundredths.
void AddTextHand(CSessionModel& model, double B, int currency, double& money) {
    money *= model.RateOf(currency);
    model.dTotalMoney += money * 0.01;
    // A hand without a known big blind leaves the big-blind total unchanged.
    if (B > 0)
        model.dTotalBB += money / B;
}

// 888poker: only a hand the parser accepts is counted and added.
void MakeMoneyData888(CSessionModel& model, const HandLines& hand, double B, int currency,
                      double& money) {
    const std::wstring nickname = model.NicknameOf(LookupName(kRoom888));
    Hand888Status status = Hand888Status::Rejected;
    if (!ParseHand888(hand, nickname, money, &status)) {
        money = 0;
        if (status == Hand888Status::Cancelled) {
            // The listeners learn of a cancelled hand, which changes no total.
            HandRecord rec = RecordOf(model, hand, kRoom888, B, currency, 0, 0);
            rec.bCounted = false;
            model.NotifyHandCounted(rec);
        }
        return;
    }
    ++model.nTotalHands;
    const double result = money;
    AddTextHand(model, B, currency, money);
    model.NotifyHandCounted(RecordOf(model, hand, kRoom888, B, currency, result, money));
}

// One iPoker game: the result is in whole units and counts only when the
// game could be read.
bool IPokerOneHand(CSessionModel& model, const HandLines& hand, RoomNumber room, int bbInt,
                   int& currency, double& money) {
    // The big blind in whole units, as the parser reports it.
    double B = bbInt * 0.01;
    bool winHoldsReturn = false;
    auto file = model.mapIPokerFiles.find(model.strCurrentHistoryFile);
    if (file != model.mapIPokerFiles.end()) {
        winHoldsReturn = file->second.bWinHoldsReturn;
        // A game of this file that was counted already is read again when
        // the client rewrites the document: it never counts twice.
        if (file->second.setCounted.count(HandIdOf(hand, room)) != 0) {
            money = 0;
            return false;
        }
    }

    const std::wstring nickname = model.NicknameOf(LookupName(room));
    std::wstring gameCode;
    if (!ParseHandIPoker(hand, nickname, money, currency, B, gameCode, winHoldsReturn)) {
        money = 0;
        return false;
    }
    // The document is read again as the client rewrites it; a game without a
    // code cannot be told from a game counted before, so it never counts.
    if (gameCode.empty()) {
        model.LogLine(L"An iPoker game without a game code is not counted");
        money = 0;
        return false;
    }
    if (file != model.mapIPokerFiles.end())
        file->second.setCounted.insert(gameCode);
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
    if (room == kRoom888) {
        MakeMoneyData888(model, hand, B, currency, money);
        return true;
    }
    const bool stars = IsPokerStarsFamily(room);
    if (!stars && room != kRoomPartyPoker && room != kRoomTigerGaming)
        return true;

    // An unconfigured room parses with an empty nickname; the lookup never
    // creates a room record.
    const std::wstring nickname = model.NicknameOf(LookupName(room));
    if (stars && model.bDebug)
        model.LogLine(Format(L"MakeMoneyDataOneHand: name = %ls", nickname.c_str()));
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
    AddTextHand(model, B, currency, money);
    if (stars && model.bDebug)
        model.LogLine(Format(L"MakeMoneyDataOneHand: money = %.2f", model.dTotalMoney));
    model.NotifyHandCounted(RecordOf(model, hand, room, B, currency, result, money));
    return true;
}

} // namespace tw
