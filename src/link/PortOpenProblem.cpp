#include "link/PortOpenProblem.h"

#include <cerrno>

PortOpenProblem::Cause PortOpenProblem::OfPermissionError(int accessErrno,
                                                          bool lockFileNotCreated) {
    if (accessErrno == EACCES || accessErrno == EPERM) {
        return Cause::NoPermission;
    }
    if (lockFileNotCreated || accessErrno != 0) {
        return Cause::Other;
    }
    // The user may use the device, so what refused it is a lock or an exclusive open: another
    // program has the port.
    return Cause::InUse;
}

std::string PortOpenProblem::Text(Cause cause, const std::string& device,
                                  const std::string& reason) {
    switch (cause) {
    case Cause::InUse:
        return device + " is in use by another program";
    case Cause::NoPermission:
        return "no permission to open " + device;
    case Cause::Other:
        break;
    }
    return device + " could not be opened: " + reason;
}
