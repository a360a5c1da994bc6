#pragma once

#include "config/FarmParameters.h"

#include <array>
#include <cstdint>
#include <string>

// The farm General page's decisions without its widgets: the saved and working copies of the
// farm's parameters, the edits of the connection type, phone number, start-up flag and serial
// port, and the unchanged test that enables the sheet's Apply button.
class GeneralPageState {
public:
    // How a step of the serial-port spin control ended.
    enum class PortStep { Moved, NoPortAvailable };

    GeneralPageState(const FarmParameters& parameters, const std::array<std::int32_t, 4>& comPorts);

    const FarmParameters& Saved() const { return m_saved; }
    const FarmParameters& Working() const { return m_working; }

    // Connection type 0 local, 1 local modem, 2 remote modem: bits 1-2 of the bit set.
    int ConnectionType() const;
    bool ConnectOnStartup() const { return (m_working.m_dwBitSet & 1u) != 0; }
    // While the farm is connected nothing can be edited.
    bool ReadOnly() const { return m_working.m_bFarmIsConnected != 0; }
    bool PhoneEditEnabled() const { return !ReadOnly() && ConnectionType() == 2; }
    bool SpinEnabled() const { return !ReadOnly() && m_nAvailablePorts != 1; }
    int AvailablePortCount() const { return m_nAvailablePorts; }
    // " COM%d" of the working serial port.
    std::string PortText() const;

    // The edits. Each returns Modified() afterwards.
    bool SelectConnectionType(int type);
    bool SetPhoneNumber(const std::string& number);
    bool ToggleConnectOnStartup();
    // A spin change by delta (the control's sign: negative towards higher port numbers).
    // Searches the available ports with wrap, once round at most; without any available
    // port the working port stays.
    PortStep StepSerialPort(int delta);

    // The unchanged test: false when the working copy equals the saved one.
    bool Modified() const;
    // The dial command holds the phone number only up to a fixed length; a longer one would
    // be stored but never dialled.
    bool PhoneNumberFits() const;
    static bool PhoneNumberFits(const std::string& number);
    static int MaxPhoneNumberLength();

    // Apply and OK: the parameters to write, or false (nothing to write) while the page
    // refuses its phone number.
    bool ParametersToApply(FarmParameters& out) const;
    // The document's answer to the write: on success the working copy becomes the saved one.
    bool Applied(bool written);

private:
    FarmParameters m_saved;
    FarmParameters m_working;
    std::array<std::int32_t, 4> m_bComPortAvailable{};
    int m_nAvailablePorts = 0;
};
