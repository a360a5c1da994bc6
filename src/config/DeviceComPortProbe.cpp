#include "config/DeviceComPortProbe.h"

#include "config/ConfigPaths.h"

#include <string>

#if defined(_WIN32)
#include <windows.h>

// A port another program holds refuses a second open: the open itself is the whole test.
bool DeviceComPortProbe::IsPortAvailable(int portNumber) {
    const std::string device = ComPortDevicePath(portNumber);
    if (device.empty()) {
        return false;
    }
    const HANDLE port = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(port);
    return true;
}

#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

bool DeviceComPortProbe::IsPortAvailable(int portNumber) {
    const std::string device = ComPortDevicePath(portNumber);
    if (device.empty()) {
        return false;
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false; // missing, or held exclusively (EBUSY)
    }
    bool available = ::isatty(fd) == 1;
    // Serial programs hold a device with flock or with the terminal's exclusive mode. The
    // exclusive mode does not stop a privileged open, so it is also asked for, and only a
    // mode this probe set itself is cleared again.
    if (available && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        available = false;
    }
#if defined(TIOCGEXCL)
    int exclusive = 0;
    if (available && ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive != 0) {
        available = false;
    }
#endif
    if (available && ::ioctl(fd, TIOCEXCL) != 0) {
        available = false;
    } else if (available) {
        ::ioctl(fd, TIOCNXCL);
    }
    ::close(fd);
    return available;
}

#endif
