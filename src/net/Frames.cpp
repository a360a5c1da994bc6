#include "net/Frames.h"

std::uint16_t FrameSum16(const std::uint8_t* bytes, int count) {
    std::uint16_t sum = 0;
    if (bytes == nullptr) {
        return sum;
    }
    for (int i = 0; i < count; ++i) {
        sum = static_cast<std::uint16_t>(sum + bytes[i]);
    }
    return sum;
}

bool IsReplyCode(std::uint8_t code) {
    switch (code) {
    case RPY_CODE_D:
    case RPY_CODE_F:
    case KVN_RPY_SUCCESS:
    case RPY_CODE_LOWER_A:
    case RPY_CODE_LOWER_B:
        return true;
    default:
        return false;
    }
}

int ChecksumBytesFor(std::uint8_t code) {
    return code == RPY_CODE_LOWER_B ? 3 : 2;
}

bool VerifyChecksum(int checksumBytes, int length, const std::uint8_t* reply) {
    // A frame always carries a node and a code before its checksum.
    if (reply == nullptr || checksumBytes < 1 || checksumBytes > 4 || length < checksumBytes + 2) {
        return false;
    }
    const int summed = length - checksumBytes;
    std::uint32_t stored = 0;
    for (int i = summed; i < length; ++i) {
        stored = (stored << 8) | reply[i];
    }
    std::uint32_t calculated = 0;
    for (int i = 0; i < summed; ++i) {
        calculated += reply[i];
    }
    return stored == calculated;
}

bool CheckReply(const std::uint8_t* reply, int length) {
    if (reply == nullptr || length < 2 || !IsReplyCode(reply[1])) {
        return false;
    }
    return VerifyChecksum(ChecksumBytesFor(reply[1]), length, reply);
}

std::uint32_t DataByteCount(const std::uint8_t* reply, int length) {
    if (reply == nullptr || length < 5) {
        return 0;
    }
    return (static_cast<std::uint32_t>(reply[2]) << 16) |
           (static_cast<std::uint32_t>(reply[3]) << 8) | reply[4];
}

std::array<std::uint8_t, kQueryFrameLength> BuildQueryFrame(std::uint8_t nodeId,
                                                            std::uint8_t command) {
    std::array<std::uint8_t, kQueryFrameLength> frame{nodeId, command, 0, 0};
    const std::uint16_t sum = FrameSum16(frame.data(), 2);
    frame[2] = static_cast<std::uint8_t>(sum >> 8);
    frame[3] = static_cast<std::uint8_t>(sum & 0xFF);
    return frame;
}
