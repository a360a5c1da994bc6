#include "config/GeneralPageState.h"

#include "net/Frames.h"

#include <cstdio>

namespace {

constexpr std::uint32_t kConnectOnStartup = 1u;
constexpr std::uint32_t kConnectionTypeBits = 6u;
constexpr int kPortCount = 4;

} // namespace

GeneralPageState::GeneralPageState(const FarmParameters& parameters,
                                   const std::array<std::int32_t, 4>& comPorts)
    : m_saved(parameters), m_working(parameters), m_bComPortAvailable(comPorts) {
    for (const std::int32_t available : m_bComPortAvailable) {
        if (available != 0) {
            ++m_nAvailablePorts;
        }
    }
}

int GeneralPageState::ConnectionType() const {
    return static_cast<int>((m_working.m_dwBitSet & kConnectionTypeBits) >> 1);
}

std::string GeneralPageState::PortText() const {
    char text[24];
    std::snprintf(text, sizeof text, " COM%d", static_cast<int>(m_working.m_iSerialPort));
    return text;
}

bool GeneralPageState::SelectConnectionType(int type) {
    if (!ReadOnly() && type >= 0 && type <= 2) {
        m_working.m_dwBitSet =
            (m_working.m_dwBitSet & ~kConnectionTypeBits) | (static_cast<std::uint32_t>(type) << 1);
    }
    return Modified();
}

bool GeneralPageState::SetPhoneNumber(const std::string& number) {
    if (!ReadOnly()) {
        m_working.m_strPhoneNumber = number;
    }
    return Modified();
}

bool GeneralPageState::ToggleConnectOnStartup() {
    if (!ReadOnly()) {
        m_working.m_dwBitSet ^= kConnectOnStartup;
    }
    return Modified();
}

GeneralPageState::PortStep GeneralPageState::StepSerialPort(int delta) {
    if (m_nAvailablePorts == 0) {
        return PortStep::NoPortAvailable;
    }
    if (ReadOnly() || delta == 0) {
        return PortStep::Moved;
    }
    // One port per notification, whatever the size of the control's step.
    const int step = delta < 0 ? 1 : -1;
    int port = m_working.m_iSerialPort;
    // Once round the four ports finds an available one, the starting port included.
    for (int tries = 0; tries < kPortCount; ++tries) {
        port += step;
        if (port > kPortCount) {
            port = 1;
        } else if (port < 1) {
            port = kPortCount;
        }
        if (m_bComPortAvailable[static_cast<std::size_t>(port - 1)] != 0) {
            m_working.m_iSerialPort = port;
            return PortStep::Moved;
        }
    }
    return PortStep::NoPortAvailable;
}

bool GeneralPageState::Modified() const {
    return m_working.m_dwBitSet != m_saved.m_dwBitSet ||
           m_working.m_strPhoneNumber != m_saved.m_strPhoneNumber ||
           m_working.m_iSerialPort != m_saved.m_iSerialPort;
}

int GeneralPageState::MaxPhoneNumberLength() {
    return kMaxPhoneNumberLength;
}

bool GeneralPageState::PhoneNumberFits(const std::string& number) {
    // The dial command holds bytes: a character outside ASCII takes more than one.
    return number.size() <= static_cast<std::size_t>(kMaxPhoneNumberLength);
}

bool GeneralPageState::PhoneNumberFits() const {
    return PhoneNumberFits(m_working.m_strPhoneNumber);
}

bool GeneralPageState::ParametersToApply(FarmParameters& out) const {
    if (!PhoneNumberFits()) {
        return false;
    }
    out = m_working;
    return true;
}

bool GeneralPageState::Applied(bool written) {
    if (written) {
        m_saved = m_working;
    }
    return Modified();
}
