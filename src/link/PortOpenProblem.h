#pragma once

#include <string>

// Why a serial device did not open, in words that name the device. The serial library reports
// three different refusals as a permission error: a lock or an exclusive open held by another
// program, a device this user may not read and write, and a lock file it could not create. The
// first is by far the commonest, and its remedy (end the other program) is not the remedy for
// a missing permission (the dialout group), so the two are told apart.
class PortOpenProblem {
public:
    enum class Cause { InUse, NoPermission, Other };

    // A permission error. accessErrno: errno of access(device, R_OK | W_OK), 0 when this user
    // may read and write the device. lockFileNotCreated: the library could not create the
    // device's lock file at all.
    static Cause OfPermissionError(int accessErrno, bool lockFileNotCreated);

    // "/dev/ttyUSB0 is in use by another program", "no permission to open /dev/ttyS0", or for
    // any other cause "<device> could not be opened: <reason>".
    static std::string Text(Cause cause, const std::string& device, const std::string& reason);
};
