#include "config/ConfigPaths.h"

#include <gtest/gtest.h>

TEST(WinComPortNames, ShortNamesUpToNineAndTheDeviceNamespaceAbove) {
    EXPECT_EQ(ComPortDevicePath(1), "COM1");
    EXPECT_EQ(ComPortDevicePath(9), "COM9");
    EXPECT_EQ(ComPortDevicePath(10), "\\\\.\\COM10");
    EXPECT_EQ(ComPortDevicePath(kMaxWindowsComPort), "\\\\.\\COM255");
}

TEST(WinComPortNames, NumbersNoPortCanHaveGiveNoName) {
    EXPECT_EQ(ComPortDevicePath(0), "");
    EXPECT_EQ(ComPortDevicePath(-1), "");
    EXPECT_EQ(ComPortDevicePath(kMaxWindowsComPort + 1), "");
}
