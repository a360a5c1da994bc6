#include "config/GeneralPageState.h"

#include <gtest/gtest.h>

namespace {

using Ports = std::array<std::int32_t, 4>;
constexpr Ports kAllPorts = {1, 1, 1, 1};

FarmParameters Farm(std::uint32_t bitSet, int port = 1, const std::string& phone = "555 5555") {
    FarmParameters parameters;
    parameters.m_dwBitSet = bitSet;
    parameters.m_iSerialPort = port;
    parameters.m_strPhoneNumber = phone;
    parameters.m_iFarmIndex = 1;
    return parameters;
}

} // namespace

TEST(GeneralPageEdits, RemoteWithModemOnALocalStartupFarmSetsBitTwo) {
    GeneralPageState page(Farm(0x09), kAllPorts);
    EXPECT_EQ(page.ConnectionType(), 0);
    EXPECT_TRUE(page.ConnectOnStartup());
    EXPECT_FALSE(page.PhoneEditEnabled());
    EXPECT_TRUE(page.SelectConnectionType(2));
    EXPECT_EQ(page.Working().m_dwBitSet, 0x0Du);
    EXPECT_TRUE(page.PhoneEditEnabled());
    page.SelectConnectionType(1);
    EXPECT_EQ(page.Working().m_dwBitSet, 0x0Bu);
    EXPECT_FALSE(page.SelectConnectionType(0));
    EXPECT_FALSE(page.SelectConnectionType(7)); // no such type: nothing changes
}

TEST(GeneralPageEdits, StartupToggleLeavesTheOtherBits) {
    GeneralPageState page(Farm(0xF4), kAllPorts);
    EXPECT_TRUE(page.ToggleConnectOnStartup());
    EXPECT_EQ(page.Working().m_dwBitSet, 0xF5u);
    EXPECT_FALSE(page.ToggleConnectOnStartup());
}

TEST(GeneralPageSerialPort, StepsBetweenTheAvailablePortsWithWrap) {
    GeneralPageState page(Farm(0), kAllPorts);
    EXPECT_EQ(page.PortText(), " COM1");
    page.StepSerialPort(+1); // towards lower numbers
    EXPECT_EQ(page.PortText(), " COM4");

    GeneralPageState oneAndThree(Farm(0, 1), Ports{1, 0, 1, 0});
    oneAndThree.StepSerialPort(-1);
    EXPECT_EQ(oneAndThree.PortText(), " COM3");
    EXPECT_TRUE(oneAndThree.Modified());
    oneAndThree.StepSerialPort(-1);
    EXPECT_EQ(oneAndThree.PortText(), " COM1");
    EXPECT_FALSE(oneAndThree.Modified());
    // A large step of the control still moves one port.
    oneAndThree.StepSerialPort(-10);
    EXPECT_EQ(oneAndThree.PortText(), " COM3");
}

TEST(GeneralPageSerialPort, NoPortAtAllStaysOnTheStoredPort) {
    GeneralPageState page(Farm(0, 3), Ports{0, 0, 0, 0});
    EXPECT_TRUE(page.SpinEnabled());
    EXPECT_EQ(page.StepSerialPort(-1), GeneralPageState::PortStep::NoPortAvailable);
    EXPECT_EQ(page.StepSerialPort(+1), GeneralPageState::PortStep::NoPortAvailable);
    EXPECT_EQ(page.PortText(), " COM3");
    EXPECT_FALSE(page.Modified());
}

TEST(GeneralPageConnected, NothingCanBeEdited) {
    FarmParameters connected = Farm(0x04);
    connected.m_bFarmIsConnected = 1;
    GeneralPageState page(connected, kAllPorts);
    EXPECT_TRUE(page.ReadOnly());
    EXPECT_FALSE(page.PhoneEditEnabled());
    EXPECT_FALSE(page.SpinEnabled());
    EXPECT_FALSE(page.SelectConnectionType(0));
    EXPECT_FALSE(page.ToggleConnectOnStartup());
    EXPECT_FALSE(page.SetPhoneNumber("1"));
    page.StepSerialPort(-1);
    EXPECT_FALSE(page.Modified());
}

TEST(GeneralPageApply, WritesUnchangedValuesAndMeetsAgainAfterSuccess) {
    GeneralPageState page(Farm(0x00), kAllPorts);
    FarmParameters out;
    EXPECT_TRUE(page.ParametersToApply(out));
    EXPECT_EQ(out.m_iFarmIndex, 1);

    page.SetPhoneNumber("123");
    EXPECT_TRUE(page.Applied(false)); // the write failed: still pending
    EXPECT_EQ(page.Saved().m_strPhoneNumber, "555 5555");
    EXPECT_FALSE(page.Applied(true));
    EXPECT_EQ(page.Saved().m_strPhoneNumber, "123");
}

TEST(GeneralPageApply, PhoneNumberTheDialCommandCannotHoldIsRefused) {
    GeneralPageState page(Farm(0x04), kAllPorts);
    const std::string fits(static_cast<std::size_t>(GeneralPageState::MaxPhoneNumberLength()), '9');
    page.SetPhoneNumber(fits);
    FarmParameters out;
    EXPECT_TRUE(page.ParametersToApply(out));

    page.SetPhoneNumber(fits + "9");
    EXPECT_FALSE(page.PhoneNumberFits());
    EXPECT_FALSE(page.ParametersToApply(out));
    // Twenty characters can still be too many bytes for the command.
    EXPECT_FALSE(GeneralPageState::PhoneNumberFits("ñññññññññññññññññññ9"));
}
