// Ends the program in order when the system asks it to (SIGTERM at logout or
// shutdown, SIGINT, SIGHUP): the handler runs on the UI thread, where it can
// close the session window as the Exit command does, so the window position,
// the bankroll and the end of the work log are written as after any close.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace tw {

class CQuitOnSignal : public QObject {
public:
    // Installs the signal handlers; one object per process.
    CQuitOnSignal();
    ~CQuitOnSignal() override;

    // A signal has arrived (it is noticed while Qt events are processed).
    bool Requested() const { return bRequested; }
    // Called on the UI thread when a signal arrives; empty: only noted.
    void SetHandler(std::function<void()> handler) { fnHandler = std::move(handler); }

private:
    void OnSignal();

    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> fnHandler;
    bool bRequested = false;
};

} // namespace tw
