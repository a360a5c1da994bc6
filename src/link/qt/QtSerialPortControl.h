#pragma once

#include "link/SerialPortControl.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

// The serial-port control on QSerialPort.
//
// Port numbers name COM1 to COM4, which resolve to devices as ComPortDevicePath says. The line
// always runs without hardware handshake: frames are a few bytes long at 2400 bit/s, and a
// modem or converter that never raises CTS would otherwise stall every write. Both kinds of
// line raise DTR (a modem ignores commands without it) and RTS (it powers many line
// converters). The modem flag decides what the carrier means:
// - modem line: every change of DCD is a carrier-change event;
// - direct line: only a drop of DCD is. A direct cable that loops DTR back to DCD would
//   otherwise announce a "carrier" on every open, which the program reads as an unexpected
//   call and answers by closing the port.
//
// QSerialPort has no carrier signal, so DCD is polled while the port is open. A device
// without modem-control lines (a pseudo-terminal) reads as no carrier, quietly; raising DTR
// and RTS fails there without failing the open.
//
// A device that vanishes while open (a USB adapter pulled, the far end of a pseudo-terminal
// closed) makes Qt report read or resource errors at a furious rate while the port stays
// open. The first such error ends the port: portLost() is emitted once, from the event loop,
// so the owner can close it through the main frame (which marks the farm disconnected); if
// nobody closed it by then, the control closes it itself.
//
// Every event reaches the listener from the event loop, never from inside one of the calls.
class QtSerialPortControl : public QObject, public SerialPortControl {
    Q_OBJECT

public:
    static constexpr int kCarrierPollMs = 100;
    // Nominal receive capacity; only the free-space diagnostic uses it.
    static constexpr int kReceiveCapacity = 4096;

    explicit QtSerialPortControl(QObject* parent = nullptr);
    ~QtSerialPortControl() override;

    void SetPortNumber(int comPort) override { m_iPortNumber = comPort; }
    void SetBitsPerSecond(int bitsPerSecond) override { m_iBitsPerSecond = bitsPerSecond; }
    void SetDataBits(int dataBits) override { m_iDataBits = dataBits; }
    void SetParity(int parity) override { m_iParity = parity; }
    void SetStopBits(int stopBits) override { m_iStopBits = stopBits; }
    void SetModemLine(int modemLine) override { m_bModemLine = modemLine != 0; }

    int Open() override;
    void SetReceiveEnabled(int enabled) override;
    void SetModemControl(int modemLine) override;

    int CarrierDetect() override;
    int BytesWaiting() override;
    int FreeSpace() override;
    void Discard() override;
    int Write(const std::uint8_t* bytes, int count) override;
    int Read(std::uint8_t* bytes, int count) override;
    int Close() override;

    bool IsOpen() const { return m_port.isOpen(); }
    // The device the last Open tried, and why it failed in a sentence that names the device
    // ("/dev/ttyUSB0 is in use by another program"; empty after a successful open).
    QString DevicePath() const { return m_strDevicePath; }
    QString LastOpenError() const { return m_strOpenError; }
    // True when the device has modem-control lines (not a pseudo-terminal).
    bool HasModemLines() const { return m_bHasModemLines; }
    // Error reports Qt has made since construction; a diagnostic of the port-loss handling.
    int ErrorReports() const { return m_iErrorReports; }

signals:
    // The device is gone. Emitted once per loss, from the event loop.
    void portLost();

private slots:
    void OnReadyRead();
    void OnErrorOccurred(QSerialPort::SerialPortError error);
    void PollCarrier();
    void EndLostPort();

private:
    // Why the open that just failed failed, before the port's error is cleared.
    QString OpenErrorText() const;
    bool ReadCarrier();
    void RaiseLines();

    QSerialPort m_port;
    QTimer m_carrierTimer;
    int m_iPortNumber = 1;
    int m_iBitsPerSecond = 2400;
    int m_iDataBits = 8;
    int m_iParity = 0;
    int m_iStopBits = 0;
    bool m_bModemLine = false;
    bool m_bReceiveEnabled = true;
    bool m_bHasModemLines = false;
    bool m_bCarrier = false;
    bool m_bLossPending = false;
    bool m_bClosing = false;
    int m_iErrorReports = 0;
    QString m_strDevicePath;
    QString m_strOpenError;
};
