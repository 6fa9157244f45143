#include "ui/QuitOnSignal.h"

#include <QSocketNotifier>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tw {

#if defined(Q_OS_UNIX)

namespace {

int g_signalPipe[2] = {-1, -1};

void WriteSignalByte(int) {
    const char byte = 1;
    // Only async-signal-safe calls here; a full pipe means one is pending.
    [[maybe_unused]] ssize_t n = ::write(g_signalPipe[0], &byte, 1);
}

} // namespace

CQuitOnSignal::CQuitOnSignal() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    notifier = std::make_unique<QSocketNotifier>(g_signalPipe[1], QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, this, [this] { OnSignal(); });

    struct sigaction action = {};
    action.sa_handler = WriteSignalByte;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

CQuitOnSignal::~CQuitOnSignal() {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
    notifier.reset();
    for (int& fd : g_signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void CQuitOnSignal::OnSignal() {
    char buffer[16];
    [[maybe_unused]] ssize_t n = ::read(g_signalPipe[1], buffer, sizeof buffer);
    bRequested = true;
    if (fnHandler)
        fnHandler();
}

#else

// Elsewhere the platform closes the window itself.
CQuitOnSignal::CQuitOnSignal() = default;
CQuitOnSignal::~CQuitOnSignal() = default;
void CQuitOnSignal::OnSignal() {}

#endif

} // namespace tw
