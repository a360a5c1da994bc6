#pragma once

#include "link/PortWriter.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A port that keeps every write: the bytes and the reply length each asked for.
class RecordingPortWriter : public PortWriter {
public:
    struct Write {
        std::vector<std::uint8_t> bytes;
        int expectedReplyBytes = 0;

        std::string Text() const { return std::string(bytes.begin(), bytes.end()); }
    };

    int MF_Port_Write(const std::uint8_t* bytes, int count, int expectedReplyBytes) override {
        Write write;
        if (bytes != nullptr && count > 0) {
            write.bytes.assign(bytes, bytes + count);
        }
        write.expectedReplyBytes = expectedReplyBytes;
        writes.push_back(std::move(write));
        return count;
    }

    const Write& Last() const { return writes.back(); }

    std::vector<Write> writes;
};
