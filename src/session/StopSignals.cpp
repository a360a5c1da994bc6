#include "session/StopSignals.h"

#include <csignal>

#if defined(_WIN32)
#include <QMetaObject>
#include <QPointer>
#include <windows.h>

// Windows has no signals to catch: the console's Ctrl-C, Ctrl-Break and close events arrive
// on a thread of the system's, which hands them to the event loop and returns at once.
namespace {

QPointer<StopSignals> g_instance;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    const int signalNumber = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
    if (StopSignals* instance = g_instance.data()) {
        QMetaObject::invokeMethod(
            instance, [instance, signalNumber] { emit instance->stopRequested(signalNumber); },
            Qt::QueuedConnection);
        return TRUE;
    }
    return FALSE;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (g_instance.isNull() && SetConsoleCtrlHandler(OnConsoleEvent, TRUE)) {
        g_instance = this;
        m_bValid = true;
    }
}

StopSignals::~StopSignals() {
    if (m_bValid) {
        SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
        g_instance = nullptr;
    }
}

void StopSignals::OnReadable() {}

#else
#include <cerrno>
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
    m_bOwnsHandlers = true;
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
    m_bValid = true;
}

StopSignals::~StopSignals() {
    // A second instance found the handlers taken and must leave the first one's in place.
    if (!m_bOwnsHandlers) {
        return;
    }
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

#endif
