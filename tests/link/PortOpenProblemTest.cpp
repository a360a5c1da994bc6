#include "link/PortOpenProblem.h"

#include <gtest/gtest.h>

#include <cerrno>

using Cause = PortOpenProblem::Cause;

TEST(PortOpenProblem, APermissionErrorOnAUsableDeviceIsAnotherProgramHoldingIt) {
    EXPECT_EQ(PortOpenProblem::OfPermissionError(0, false), Cause::InUse);
    EXPECT_EQ(PortOpenProblem::OfPermissionError(EACCES, false), Cause::NoPermission);
    EXPECT_EQ(PortOpenProblem::OfPermissionError(EPERM, false), Cause::NoPermission);
    // A missing permission is named even when the lock file could not be made either.
    EXPECT_EQ(PortOpenProblem::OfPermissionError(EACCES, true), Cause::NoPermission);
    // Neither a held port nor a permission: the library's own reason is kept.
    EXPECT_EQ(PortOpenProblem::OfPermissionError(0, true), Cause::Other);
    EXPECT_EQ(PortOpenProblem::OfPermissionError(ENOENT, false), Cause::Other);
}

TEST(PortOpenProblem, EveryTextNamesTheDevice) {
    EXPECT_EQ(PortOpenProblem::Text(Cause::InUse, "/dev/ttyUSB0", "Permission error"),
              "/dev/ttyUSB0 is in use by another program");
    EXPECT_EQ(PortOpenProblem::Text(Cause::NoPermission, "/dev/ttyS0", "Permission denied"),
              "no permission to open /dev/ttyS0");
    EXPECT_EQ(PortOpenProblem::Text(Cause::Other, "/dev/ttyS1", "No such file or directory"),
              "/dev/ttyS1 could not be opened: No such file or directory");
}
