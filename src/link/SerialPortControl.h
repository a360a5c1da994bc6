#pragma once

#include <cstdint>

// Receives the serial-port control's two events. The main frame's serial-link half is the
// only listener.
class SerialPortListener {
public:
    virtual ~SerialPortListener() = default;
    virtual void OnPortControl_CdChange(int carrierState) = 0;
    virtual void OnPortControl_IncomingData() = 0;
};

// The serial-port control: the operations the program asks of a serial line. The real one
// wraps QSerialPort; tests use a simulated line. Every call happens on the one UI thread, and
// events are raised from the event loop, never from inside a call.
class SerialPortControl {
public:
    virtual ~SerialPortControl() = default;

    void SetListener(SerialPortListener* listener) { m_pListener = listener; }

    // Line settings, given before Open.
    virtual void SetPortNumber(int comPort) = 0;
    virtual void SetBitsPerSecond(int bitsPerSecond) = 0;
    virtual void SetDataBits(int dataBits) = 0;
    virtual void SetParity(int parity) = 0;       // 0: none
    virtual void SetStopBits(int stopBits) = 0;   // 0: one stop bit
    virtual void SetModemLine(int modemLine) = 0; // 0: direct line, 1: modem line

    // 1 or more: the port is open.
    virtual int Open() = 0;
    // Given after a successful open: enable the receiver, and drive the modem-control lines.
    virtual void SetReceiveEnabled(int enabled) = 0;
    virtual void SetModemControl(int modemLine) = 0;

    virtual int CarrierDetect() = 0; // 1 while carrier is present
    virtual int BytesWaiting() = 0;
    virtual int FreeSpace() = 0;
    virtual void Discard() = 0;
    virtual int Write(const std::uint8_t* bytes, int count) = 0; // bytes written
    virtual int Read(std::uint8_t* bytes, int count) = 0;        // bytes taken from the buffer
    virtual int Close() = 0;                                     // 0: closed

protected:
    SerialPortListener* Listener() const { return m_pListener; }

private:
    SerialPortListener* m_pListener = nullptr;
};
