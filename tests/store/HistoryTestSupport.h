// A session recorded into a session history as the program records it: the
// totals in memory, the session's rules on a clock the test moves, the
// recorder, and the history in a temporary folder.
#pragma once

#include "session/Session.h"
#include "store/HistoryStore.h"
#include "store/SessionRecorder.h"
#include "support/TextUtil.h"
#include "tests/TestUtil.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace twtest {

struct RecordedSession {
    RecordedSession() {
        const auto opened = store.Open(tw::FromUtf8(dir.file("Tarnwick.db")), now);
        if (!opened.bRecording)
            throw std::runtime_error("the history cannot be opened");
    }

    // One batch of hands of `file`, as the dispatch tells them: the totals
    // change, each hand is told, then the batch's end. The hands' money is
    // in USD at a big blind of `bigBlind`.
    void Batch(std::initializer_list<double> money, double bigBlind = 0.5,
               const std::wstring& file = L"/hh/Table 1.txt",
               tw::RoomNumber room = tw::kRoomPokerStars) {
        for (double m : money) {
            tw::HandRecord h;
            h.strFile = file;
            h.nRoom = room;
            h.strHandId = std::to_wstring(++nHandId);
            h.dBigBlind = bigBlind;
            h.dResult = h.dMoney = m;
            ++totals.nTotalHands;
            totals.dTotalMoney += m;
            totals.dTotalBB += tw::HandBigBlinds(m, bigBlind);
            totals.NotifyHandCounted(h);
        }
        totals.NotifyHandsBatchEnded();
    }

    // The session's alarms as set, changed by `change`.
    template <class F> void SetAlarms(F change) {
        alarms.SetAlarms(Changed(alarms.Alarms(), change));
    }

    TempDir dir;
    std::int64_t now = 1'767'776'400; // 2026-01-07 09:00 UTC
    tw::CSessionModel totals;
    tw::CSessionAlarms alarms;
    tw::CSession session{totals, alarms, [this] { return now; }};
    tw::CHistoryStore store;
    tw::CSessionRecorder recorder{store, session, totals};
    long long nHandId = 100;
};

} // namespace twtest
