#pragma once

#include "link/SerialPortControl.h"

class OperatorFarms;

// The serial-port control the desktop program gets in the operator runs: every call goes to
// the simulated farms behind the ports. The program's main frame owns it; the farms outlive it.
class OperatorLine : public SerialPortControl {
public:
    explicit OperatorLine(OperatorFarms& farms);
    ~OperatorLine() override;
    OperatorLine(const OperatorLine&) = delete;
    OperatorLine& operator=(const OperatorLine&) = delete;

    // Raised by the farms while the port is open.
    void RaiseIncomingData();

    void SetPortNumber(int comPort) override;
    void SetBitsPerSecond(int) override {}
    void SetDataBits(int) override {}
    void SetParity(int) override {}
    void SetStopBits(int) override {}
    void SetModemLine(int) override {}
    int Open() override;
    void SetReceiveEnabled(int) override {}
    void SetModemControl(int) override {}
    int CarrierDetect() override;
    int BytesWaiting() override;
    int FreeSpace() override;
    void Discard() override;
    int Write(const std::uint8_t* bytes, int count) override;
    int Read(std::uint8_t* bytes, int count) override;
    int Close() override;

private:
    OperatorFarms& m_farms;
};
