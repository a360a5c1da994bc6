#include "app/kilnmon/StopSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalFds[2] = {-1, -1};
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

extern "C" void OnStopSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe means a stop is already on its way.
    [[maybe_unused]] const ssize_t n = ::write(g_signalFds[0], &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (g_signalFds[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_signalFds) != 0) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kStopSignals) {
        if (::sigaction(signalNumber, &action, nullptr) != 0) {
            return;
        }
    }
    m_pNotifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &StopSignals::OnReadable);
}

StopSignals::~StopSignals() {
    for (const int signalNumber : kStopSignals) {
        // A last write to a closed output, at exit, must not kill the program after an
        // orderly end.
        ::signal(signalNumber, signalNumber == SIGPIPE ? SIG_IGN : SIG_DFL);
    }
    delete m_pNotifier;
    m_pNotifier = nullptr;
    for (int& fd : g_signalFds) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
}

void StopSignals::OnReadable() {
    unsigned char byte = 0;
    while (::read(g_signalFds[1], &byte, 1) == 1) {
        emit stopRequested(byte);
    }
}
