#include "parsing/Amount.h"
#include "parsing/HandEngine.h"
#include "parsing/IPoker.h"
#include "support/TextUtil.h"

namespace tw {

namespace {

// The room record a hand's format is looked up under.
std::wstring LookupName(RoomNumber room) {
    return RoomNameFromNumber(room);
}

// What a room's reader made of one hand.
enum class HandOutcome {
    Counted,
    Cancelled,
    Absent,  // not the hero's hand, or no real money: nothing to count
    Rejected // the reader could not read it
};

// True when some line of the hand names the hero: a hand of someone else's
// that cannot be read is no loss to the player.
bool NamesHero(const HandLines& hand, const std::wstring& nickname) {
    if (nickname.empty())
        return false;
    for (const std::wstring& l : hand)
        if (l.find(nickname) != std::wstring::npos)
            return true;
    return false;
}

// Reads one hand with its room's reader: `result` in hundredths of the table
// currency (whole units for iPoker), `B` the big blind in the same unit.
HandOutcome ReadHand(CSessionModel& model, const HandLines& hand, RoomNumber room,
                     const std::wstring& nickname, double& B, int& currency, double& result,
                     std::wstring& handId) {
    if (IsIPoker(room)) {
        B *= 0.01; // the parser reports the big blind in whole units
        bool winHoldsReturn = false;
        auto file = model.mapIPokerFiles.find(model.strCurrentHistoryFile);
        if (file != model.mapIPokerFiles.end())
            winHoldsReturn = file->second.bWinHoldsReturn;
        std::wstring gameCode;
        const bool read =
            ParseHandIPoker(hand, nickname, result, currency, B, gameCode, winHoldsReturn);
        if (handId.empty())
            handId = gameCode;
        // The document is read again as the client rewrites it; a game without
        // a code cannot be told from a game counted before, so it never counts.
        if (read && handId.empty()) {
            model.LogLine(L"An iPoker game without a game code is not counted");
            return HandOutcome::Rejected;
        }
        return read ? HandOutcome::Counted : HandOutcome::Rejected;
    }
    if (room == kRoom888) {
        Hand888Status status = Hand888Status::Rejected;
        if (ParseHand888(hand, nickname, result, &status))
            return HandOutcome::Counted;
        if (status == Hand888Status::Cancelled)
            return HandOutcome::Cancelled;
        return status == Hand888Status::Absent ? HandOutcome::Absent : HandOutcome::Rejected;
    }
    if (IsPokerStarsFamily(room)) {
        if (model.bDebug)
            model.LogLine(Format(L"MakeMoneyDataOneHand: name = %ls", nickname.c_str()));
        ParseHandPokerStars(hand, nickname, result, B);
    } else if (room == kRoomPartyPoker) {
        ParseHandPartyPoker(hand, nickname, result);
    } else {
        // A malformed hand still adds what was read before the fault.
        ParseHandTigerGaming(hand, nickname, result);
    }
    return HandOutcome::Counted;
}

} // namespace

bool MakeMoneyDataOneHand(CSessionModel& model, const HandLines& hand, RoomNumber room, int bbInt,
                          int& currency, double& money) {
    money = 0;
    if (!IsIPoker(room) && room != kRoom888 && !IsPokerStarsFamily(room) &&
        room != kRoomPartyPoker && room != kRoomTigerGaming)
        return true;

    // A hand counted already this session (its file was replaced by one that
    // holds the old hands too, or the document was rewritten) adds nothing.
    std::wstring handId = HandIdOf(hand, room);
    if (model.IsHandCounted(room, handId)) {
        model.LogDebug(Format(L"Hand %ls is counted already", handId.c_str()));
        return false;
    }

    // An unconfigured room parses with an empty nickname; the lookup never
    // creates a room record.
    const std::wstring nickname = model.NicknameOf(LookupName(room));
    double B = static_cast<double>(bbInt), result = 0;
    TakeAbsurdAmountNote(); // a note of an earlier read is not this hand's
    HandOutcome outcome = ReadHand(model, hand, room, nickname, B, currency, result, handId);
    const std::wstring& file = model.strCurrentHistoryFile;
    if (TakeAbsurdAmountNote()) {
        model.LogLine(Format(L"Hand %ls in %ls holds an amount beyond any real stake: not counted",
                             handId.c_str(), file.c_str()));
        outcome = HandOutcome::Rejected;
    }
    if (outcome == HandOutcome::Absent)
        return true; // part of the batch, like every 888poker hand passed on
    if (outcome == HandOutcome::Rejected) {
        if (NamesHero(hand, nickname)) {
            ++model.nUnreadHands;
            model.LogLine(Format(L"Hand %ls in %ls names %ls but cannot be read: not counted",
                                 handId.c_str(), file.c_str(), nickname.c_str()));
        }
        return room == kRoom888; // an 888poker hand passed on is one of the batch's
    }
    if (outcome == HandOutcome::Counted)
        model.MarkHandCounted(room, handId);
    // The record's big blind and results are in table-currency units.
    const double unit = IsIPoker(room) ? 1.0 : 0.01;
    HandRecord rec;
    rec.strFile = file;
    rec.nRoom = room;
    rec.strHandId = std::move(handId);
    rec.nCurrency = currency;
    rec.dBigBlind = B * unit;
    if (outcome == HandOutcome::Cancelled) {
        // The listeners learn of a cancelled hand, which changes no total.
        rec.bCounted = false;
        model.NotifyHandCounted(rec);
        return true;
    }

    ++model.nTotalHands;
    money = result * model.RateOf(currency);
    model.dTotalMoney += money * unit;
    // A hand without a known big blind leaves the big-blind total unchanged.
    if (B > 0)
        model.dTotalBB += money / B;
    if (IsPokerStarsFamily(room) && model.bDebug)
        model.LogLine(Format(L"MakeMoneyDataOneHand: money = %.2f", model.dTotalMoney));
    rec.dResult = result * unit;
    rec.dMoney = money * unit;
    model.NotifyHandCounted(rec);
    return true;
}

} // namespace tw
