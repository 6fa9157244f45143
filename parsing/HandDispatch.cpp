// Turns one hand's result, as its format's reader gives it, into the session
// totals.
#include "parsing/Amount.h"
#include "parsing/HandEngine.h"
#include "parsing/HandFormat.h"
#include "support/TextUtil.h"

#include <cmath>

namespace tw {

namespace {

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

// The first hands of a room named no hero: the nickname does not match
// the files (another case, a typo). Logged and told to the listeners.
void TellHeroNotNamed(const CSessionModel& model, std::wstring_view file,
                      const std::wstring& nickname) {
    const std::size_t slash = file.find_last_of(L"/\\");
    const std::wstring folder(slash == std::wstring_view::npos ? std::wstring_view(L".")
                                                               : file.substr(0, slash));
    model.LogLine(Format(L"Hands in %ls do not name %ls; the name must match exactly",
                         folder.c_str(), nickname.c_str()));
    model.NotifyHeroNotNamed(folder, nickname);
}

// The header's big blind in hundredths. Rounded to the nearest hundredth: a
// plain truncation would turn 0.58 (57.999...) into 57.
std::int64_t BigBlindHundredths(double bigBlind) {
    double h = bigBlind * 100.0;
    if (!std::isfinite(h) || h <= 0 || h > 2e9)
        return 0;
    return std::llround(h);
}

} // namespace

HandOutcome MakeMoneyDataOneHand(CSessionModel& model, const HandLines& hand,
                                 const TableState& table, const HandSource& source) {
    HandOutcome out;
    out.nCurrency = table.nCurrency;
    const RoomNumber room = table.nRoom;
    const HandFormat* fmt = FormatOf(room);
    if (!fmt)
        return out;

    // A hand counted already this session (its file was replaced by one that
    // holds the old hands too, or the document was rewritten) adds nothing.
    std::wstring handId = fmt->handId(hand);
    if (model.IsHandCounted(room, handId)) {
        model.LogDebug(Format(L"Hand %ls is counted already", handId.c_str()));
        out.bInBatch = false;
        return out;
    }

    // An unconfigured room parses with an empty nickname; the lookup never
    // creates a room record.
    const std::wstring nickname = model.NicknameOf(RoomNameFromNumber(room));
    if (IsPokerStarsFamily(room) && model.bDebug)
        model.LogLine(Format(L"MakeMoneyDataOneHand: name = %ls", nickname.c_str()));
    TakeAbsurdAmountNote(); // a note of an earlier read is not this hand's
    const std::int64_t headerBigBlind = BigBlindHundredths(table.dBigBlind);
    const HandInput in{nickname,        source.strFile,         headerBigBlind,
                       table.nCurrency, source.bWinHoldsReturn, handId};
    HandResult r = fmt->read(in, hand);
    out.nCurrency = r.nCurrency;
    if (!r.strHandId.empty())
        handId = std::move(r.strHandId);
    if (!r.strNote.empty())
        model.LogLine(r.strNote);
    if (TakeAbsurdAmountNote()) {
        const std::wstring file(source.strFile);
        model.LogLine(Format(L"Hand %ls in %ls holds an amount beyond any real stake: not counted",
                             handId.c_str(), file.c_str()));
        r.status = HandStatus::Rejected;
    }
    if (!model.HeroCheckDone(room)) {
        // A room's files hold only the hero's tables, but a hand is counted
        // whether it names the hero or not: the text is what tells. Only the
        // first hands of a session are looked at.
        if (model.NoteHeroNamed(room, NamesHero(hand, nickname)))
            TellHeroNotNamed(model, source.strFile, nickname);
    }
    if (r.status == HandStatus::Absent)
        return out; // part of the batch, like every 888poker hand passed on
    if (r.status == HandStatus::Rejected) {
        if (NamesHero(hand, nickname)) {
            const std::wstring file(source.strFile);
            ++model.nUnreadHands;
            model.LogLine(Format(L"Hand %ls in %ls names %ls but cannot be read: not counted",
                                 handId.c_str(), file.c_str(), nickname.c_str()));
        }
        out.bInBatch = room == kRoom888; // an 888poker hand passed on is one of the batch's
        return out;
    }
    if (r.status == HandStatus::Counted)
        model.MarkHandCounted(room, handId);
    // The record's big blind and results are in table-currency units.
    const double bigBlind = static_cast<double>(r.nBigBlind) / 100.0;
    const double result = static_cast<double>(r.nNet) / 100.0;
    HandRecord rec;
    rec.strFile = source.strFile;
    rec.nRoom = room;
    rec.strHandId = std::move(handId);
    rec.nCurrency = r.nCurrency;
    rec.dBigBlind = bigBlind;
    if (r.status == HandStatus::Cancelled) {
        // The listeners learn of a cancelled hand, which changes no total.
        rec.bCounted = false;
        model.NotifyHandCounted(rec);
        return out;
    }

    ++model.nTotalHands;
    const double money = result * model.RateOf(r.nCurrency);
    model.dTotalMoney += money;
    // A hand without a known big blind leaves the big-blind total unchanged.
    // Big blinds are counted in the table's own currency: the result over
    // the table's big blind, whatever the display currency's rate.
    if (r.nBigBlind > 0)
        model.dTotalBB += result / bigBlind;
    if (IsPokerStarsFamily(room) && model.bDebug)
        model.LogLine(Format(L"MakeMoneyDataOneHand: money = %.2f", model.dTotalMoney));
    rec.dResult = result;
    rec.dMoney = money;
    model.NotifyHandCounted(rec);
    out.dMoney = money;
    return out;
}

} // namespace tw
