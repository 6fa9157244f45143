#include "store/SessionRecorder.h"

#include "support/TextUtil.h"

namespace tw {

SessionLimits LimitsOf(const AlarmSettings& a) {
    SessionLimits limits;
    if (a.bMoneyAlarm && a.bTakeProfit)
        limits.dTakeProfit = a.dTakeProfitAmount;
    if (a.bMoneyAlarm && a.bStopLoss)
        limits.dStopLoss = a.dStopLossAmount;
    if (a.bMoneyAlarm && a.bStopLossBB)
        limits.dBBStopLoss = a.nAlarmLossBB;
    if (a.bHandsAlarm)
        limits.nHands = a.nHandsLimit;
    if (a.bTimeAlarm)
        limits.nMinutes = a.nTimeLimit;
    if (a.bAutoPause)
        limits.nAutoPauseMinutes = a.nAutoPauseMin;
    limits.bTrailingTakeProfit = a.bTrailingTakeProfit != 0;
    limits.bTrailingStopLoss = a.bTrailingStopLoss != 0;
    return limits;
}

CSessionRecorder::CSessionRecorder(CHistoryStore& historyStore, const CSession& watched,
                                   CSessionModel& totals)
    : store(historyStore), session(watched), model(totals) {
    session.SetObserver(this);
    model.AddHandListener(this);
}

CSessionRecorder::~CSessionRecorder() {
    model.RemoveHandListener(this);
    session.SetObserver(nullptr);
    // A session still running when its recorder goes ends with the program.
    if (store.LiveSession() != 0) {
        const std::int64_t now = session.Now();
        store.EndSession(now, session.PausedSecondsAt(now), SessionEnded::kExit);
    }
}

void CSessionRecorder::SessionStarted(const CSession& s) {
    store.BeginSession(s.BeginTime(), CurrencyCode(s.DisplayCurrency()), LimitsOf(s.Limits()));
}

void CSessionRecorder::HandCounted(const HandRecord& hand) {
    // A hand the room cancelled changes nothing and is not kept.
    if (!hand.bCounted || store.LiveSession() == 0)
        return;
    HandEntry entry;
    entry.tCounted = session.Now();
    entry.strRoom = RoomNameFromNumber(hand.nRoom);
    entry.strFile = hand.strFile;
    entry.strHandId = hand.strHandId;
    entry.strCurrency = CurrencyCode(hand.nCurrency);
    entry.dBigBlind = hand.dBigBlind;
    entry.dResult = hand.dResult;
    entry.dMoney = hand.dMoney;
    store.AddHand(entry);
}

void CSessionRecorder::HandsBatchEnded() {
    if (store.LiveSession() == 0)
        return;
    store.EndBatch(session.PausedSecondsAt(session.Now()));
}

void CSessionRecorder::AlarmFired(const CSession& s, SessionAlarm alarm) {
    AlarmEntry entry;
    entry.tFired = s.Now();
    entry.strKind = FromUtf8(AlarmKindName(alarm));
    entry.dLevel = s.Level(alarm);
    entry.dMoney = s.Money();
    entry.dBigBlinds = s.BigBlinds();
    entry.nHands = s.ShownHands();
    entry.nSeconds = s.Seconds();
    store.AddAlarm(entry);
}

void CSessionRecorder::SessionEnding(const CSession& s, SessionEnd how) {
    const std::int64_t now = s.Now();
    store.EndSession(now, s.PausedSecondsAt(now),
                     bClosing || how == SessionEnd::kExit ? SessionEnded::kExit
                                                          : SessionEnded::kStop);
}

} // namespace tw
