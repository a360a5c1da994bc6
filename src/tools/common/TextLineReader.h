#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace logtools {

class Sha256;

// Reads a text file line by line the way the station PC's text mode does: CR LF and a lone LF
// each end a line, a CR anywhere else is part of the line, and the last line may lack its end.
// Lines have no length limit and may hold any byte, NUL included.
class TextLineReader {
public:
    explicit TextLineReader(std::FILE* file);

    // The next line without its line end. The view stays valid until the next call.
    bool next(std::string_view& line) {
        // Inline for the common case of a whole line in the buffer: logs have millions of
        // short lines.
        if (m_pos < m_end) {
            const char* start = m_buffer.get() + m_pos;
            const void* newline = std::memchr(start, '\n', m_end - m_pos);
            if (newline != nullptr) {
                std::size_t length =
                    static_cast<std::size_t>(static_cast<const char*>(newline) - start);
                m_pos += length + 1;
                if (length > 0 && start[length - 1] == '\r') {
                    --length;
                }
                line = std::string_view(start, length);
                return true;
            }
        }
        return nextAcrossRefill(line);
    }

    // Back to the first line.
    bool rewind();

    // Every byte read from here on is also added to the hash (nullptr: none).
    void hashInto(Sha256* hash) { m_hash = hash; }

private:
    bool refill();
    bool nextAcrossRefill(std::string_view& line);

    std::FILE* m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_atEnd = false;
    std::string m_carry; // a line that runs across buffer refills
    Sha256* m_hash = nullptr;
};

} // namespace logtools
