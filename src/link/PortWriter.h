#pragma once

#include <cstdint>

// The port side of the document's writes: the serial-link half of the main frame implements
// it; tests give the document a recording fake.
class PortWriter {
public:
    virtual ~PortWriter() = default;
    // Writes count bytes and records how many reply bytes the frame asks for (-1: collect
    // nothing). Returns the number of bytes written, 0 when the port is not open.
    virtual int MF_Port_Write(const std::uint8_t* bytes, int count, int expectedReplyBytes) = 0;
};
