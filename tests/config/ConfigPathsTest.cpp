#include "ConfigTestSupport.h"

#include "config/ConfigPaths.h"
#include "config/DeviceComPortProbe.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using namespace configtest;

TEST(ConfigPaths, TheHiveLiesWhereTheEnvironmentSays) {
    TempDir dir;
    {
        ScopedEnv registry("KILNWATCH_REGISTRY", dir.File("mine.reg"));
        ScopedEnv xdg("XDG_CONFIG_HOME", dir.File("xdg"));
        EXPECT_EQ(DefaultHivePath(), dir.File("mine.reg"));
    }
    {
        ScopedEnv registry("KILNWATCH_REGISTRY", "");
        ScopedEnv xdg("XDG_CONFIG_HOME", dir.File("xdg"));
        EXPECT_EQ(DefaultHivePath(), dir.File("xdg/kilnwatch/registry.reg"));
    }
    {
        ScopedEnv registry("KILNWATCH_REGISTRY", std::nullopt);
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/ignored");
        ScopedEnv home("HOME", dir.Path());
        EXPECT_EQ(DefaultHivePath(), dir.File(".config/kilnwatch/registry.reg"));
        EXPECT_EQ(KilnwatchConfigDirectory(), dir.File(".config/kilnwatch"));
    }
}

TEST(ConfigPaths, ComPortsMapToTheVariableThenTheLinkThenTheSerialDevice) {
    TempDir dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.Path());
    ScopedEnv com1("KILNWATCH_COM1", "/dev/pts/7");
    ScopedEnv com2("KILNWATCH_COM2", std::nullopt);
    ScopedEnv com3("KILNWATCH_COM3", "");
    ScopedEnv com4("KILNWATCH_COM4", std::nullopt);
    std::filesystem::create_directories(dir.File("kilnwatch"));
    // A dangling link still names the port; opening it then fails as for a missing device.
    std::filesystem::create_symlink("/dev/ttyUSB0", dir.File("kilnwatch/com2"));

    EXPECT_EQ(ComPortDevicePath(1), "/dev/pts/7");
    EXPECT_EQ(ComPortDevicePath(2), dir.File("kilnwatch/com2"));
    EXPECT_EQ(ComPortDevicePath(3), "/dev/ttyS2");
    EXPECT_EQ(ComPortDevicePath(4), "/dev/ttyS3");
    EXPECT_EQ(ComPortDevicePath(0), "");
    EXPECT_EQ(ComPortDevicePath(5), "");
}

TEST(DeviceComPortProbe, OnlyATerminalNoOtherProgramHoldsIsAvailable) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    const std::string terminal = ::ptsname(master);
    TempDir dir;
    WriteBytes(dir.File("plain-file"), "not a port");

    ScopedEnv com1("KILNWATCH_COM1", terminal);
    ScopedEnv com2("KILNWATCH_COM2", dir.File("missing"));
    ScopedEnv com3("KILNWATCH_COM3", dir.File("plain-file"));
    DeviceComPortProbe probe;
    EXPECT_TRUE(probe.IsPortAvailable(1));
    EXPECT_TRUE(probe.IsPortAvailable(1)) << "the probe must release the port it opened";
    EXPECT_FALSE(probe.IsPortAvailable(2));
    EXPECT_FALSE(probe.IsPortAvailable(3));
    EXPECT_FALSE(probe.IsPortAvailable(9));

    // Another program holding the port (with a lock, as serial programs take them).
    const int holder = ::open(terminal.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(probe.IsPortAvailable(1));
    ::close(holder);
    EXPECT_TRUE(probe.IsPortAvailable(1));

    // A holder in exclusive mode keeps it, also when the probe may open the port anyway.
    const int exclusiveHolder = ::open(terminal.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(exclusiveHolder, 0);
    ASSERT_EQ(::ioctl(exclusiveHolder, TIOCEXCL), 0);
    EXPECT_FALSE(probe.IsPortAvailable(1));
    int exclusive = 0;
    ASSERT_EQ(::ioctl(exclusiveHolder, TIOCGEXCL, &exclusive), 0);
    EXPECT_NE(exclusive, 0);
    ::close(exclusiveHolder);
    ::close(master);
}
