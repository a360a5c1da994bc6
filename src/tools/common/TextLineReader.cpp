#include "tools/common/TextLineReader.h"

#include "tools/common/Sha256.h"

#include <cstring>

namespace logtools {

namespace {
constexpr std::size_t kBufferSize = std::size_t{256} << 10;

std::string_view withoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    return line;
}
} // namespace

TextLineReader::TextLineReader(std::FILE* file) : m_file(file), m_buffer(new char[kBufferSize]) {}

bool TextLineReader::refill() {
    if (m_atEnd || m_file == nullptr) {
        m_atEnd = true;
        return false;
    }
    m_pos = 0;
    m_end = std::fread(m_buffer.get(), 1, kBufferSize, m_file);
    if (m_end == 0) {
        m_atEnd = true;
        return false;
    }
    if (m_hash != nullptr) {
        m_hash->add(m_buffer.get(), m_end);
    }
    return true;
}

bool TextLineReader::nextAcrossRefill(std::string_view& line) {
    m_carry.clear();
    bool partial = false;
    for (;;) {
        if (m_pos >= m_end && !refill()) {
            if (!partial) {
                return false;
            }
            // The last line of the file without a line end keeps any CR it ends with.
            line = m_carry;
            return true;
        }
        const char* start = m_buffer.get() + m_pos;
        const std::size_t available = m_end - m_pos;
        const void* newline = std::memchr(start, '\n', available);
        if (newline != nullptr) {
            const std::size_t length =
                static_cast<std::size_t>(static_cast<const char*>(newline) - start);
            m_pos += length + 1;
            if (!partial) {
                line = withoutCr(std::string_view(start, length));
            } else {
                m_carry.append(start, length);
                line = withoutCr(m_carry);
            }
            return true;
        }
        m_carry.append(start, available);
        partial = true;
        m_pos = m_end;
    }
}

bool TextLineReader::rewind() {
    m_pos = 0;
    m_end = 0;
    m_atEnd = false;
    m_carry.clear();
    if (m_file == nullptr) {
        return false;
    }
    std::clearerr(m_file);
    return std::fseek(m_file, 0, SEEK_SET) == 0;
}

} // namespace logtools
