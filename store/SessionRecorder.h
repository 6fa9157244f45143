// Records the running session into the session history as it happens: the
// session at Start with its limits, each counted hand as it is counted,
// each batch of hands committed as one, each alarm that fires, and the end.
// The program and the command-line tool record through it alike.
#pragma once

#include "model/SessionModel.h"
#include "session/Session.h"
#include "store/HistoryStore.h"

namespace tw {

class CSessionRecorder : public IHandListener, public ISessionObserver {
public:
    // Watches `session` and listens to the hands `model` counts (the
    // totals the session reads) until destroyed. A store that is not
    // recording records nothing. All three must outlive the recorder.
    CSessionRecorder(CHistoryStore& store, const CSession& session, CSessionModel& model);
    ~CSessionRecorder() override;
    CSessionRecorder(const CSessionRecorder&) = delete;
    CSessionRecorder& operator=(const CSessionRecorder&) = delete;

    // The program is closing: a session that ends from now on ends by the
    // exit, whatever ends it.
    void SetClosing() { bClosing = true; }

    void HandCounted(const HandRecord& hand) override;
    void HandsBatchEnded() override;
    void SessionStarted(const CSession& session) override;
    void AlarmFired(const CSession& session, SessionAlarm alarm) override;
    void SessionEnding(const CSession& session, SessionEnd how) override;

private:
    CHistoryStore& store;
    const CSession& session;
    CSessionModel& model;
    bool bClosing = false;
};

// The limits of `alarms` that are switched on.
SessionLimits LimitsOf(const AlarmSettings& alarms);

} // namespace tw
