#include "sim/kilnsim/PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::~PseudoTerminal() {
    Close();
}

bool PseudoTerminal::Fail(const char* what) {
    m_strError = std::string(what) + ": " + std::strerror(errno);
    Close();
    return false;
}

bool PseudoTerminal::Open() {
    Close();
    m_strError.clear();
    m_iMasterFd = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_iMasterFd < 0) {
        return Fail("posix_openpt");
    }
    if (::grantpt(m_iMasterFd) != 0) {
        return Fail("grantpt");
    }
    if (::unlockpt(m_iMasterFd) != 0) {
        return Fail("unlockpt");
    }
    char name[128];
    if (::ptsname_r(m_iMasterFd, name, sizeof name) != 0) {
        return Fail("ptsname");
    }
    m_strSlavePath = name;
    m_iSlaveHoldFd = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_iSlaveHoldFd < 0) {
        return Fail("open slave");
    }

    // Raw 8-bit line at the farm's speed: no echo, no line editing, no character mapping.
    termios settings{};
    if (::tcgetattr(m_iSlaveHoldFd, &settings) != 0) {
        return Fail("tcgetattr");
    }
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&settings, B2400);
    ::cfsetospeed(&settings, B2400);
    if (::tcsetattr(m_iSlaveHoldFd, TCSANOW, &settings) != 0) {
        return Fail("tcsetattr");
    }

    const int flags = ::fcntl(m_iMasterFd, F_GETFL);
    if (flags < 0 || ::fcntl(m_iMasterFd, F_SETFL, flags | O_NONBLOCK) != 0 ||
        ::fcntl(m_iMasterFd, F_SETFD, FD_CLOEXEC) != 0) {
        return Fail("fcntl");
    }
    return true;
}

void PseudoTerminal::CloseMaster() {
    if (m_iMasterFd >= 0) {
        ::close(m_iMasterFd);
        m_iMasterFd = -1;
    }
}

void PseudoTerminal::Close() {
    CloseMaster();
    if (m_iSlaveHoldFd >= 0) {
        ::close(m_iSlaveHoldFd);
        m_iSlaveHoldFd = -1;
    }
}
