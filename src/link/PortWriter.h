#pragma once

#include <cstdint>

// The port side of the document: the serial-link half of the main frame implements it; tests
// give the document a recording fake. Only writing is essential to every fake; the other
// operations default to "no port".
class PortWriter {
public:
    virtual ~PortWriter() = default;
    // Writes count bytes and records how many reply bytes the frame asks for (-1: collect
    // nothing). Returns the number of bytes written, 0 when the port is not open.
    virtual int MF_Port_Write(const std::uint8_t* bytes, int count, int expectedReplyBytes) = 0;

    // Opens the port for a farm; 1 when it opened, 0 when not.
    virtual int OpenPort(bool /*directLine*/, int /*comPort*/) { return 0; }
    virtual void ClosePort() {}
    // 1 while the line's carrier is present.
    virtual int CarrierDetect() { return 0; }
    // Diagnostic of the receive buffer's fill; changes nothing.
    virtual void HowManyBytesInTheReceiveBuffer() {}
    // Bytes received since the last write and not yet taken; changes nothing.
    virtual int BytesWaiting() { return 0; }
};
