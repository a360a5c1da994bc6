#include "tools/common/UnitFileWriter.h"

#include "base/FileAttributes.h"

#include <cstring>
#include <utility>

namespace logtools {

UnitFileWriter::UnitFileWriter(std::string path, std::string protectedInput,
                               std::size_t largestBuffer)
    : m_path(std::move(path)), m_protectedInput(std::move(protectedInput)),
      m_largestBuffer(largestBuffer < kBufferSize ? kBufferSize : largestBuffer) {}

UnitFileWriter::~UnitFileWriter() {
    close();
}

bool UnitFileWriter::open() {
    m_used = 0;
    if (m_open && !m_written && !m_failed) {
        // Nothing has reached the file since it was emptied: dropping the buffer restarts it.
        return true;
    }
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_open = false;
    m_written = false;
    m_failed = false;
    if (!m_protectedInput.empty() && !FileAttributes::mayReplace(m_path, m_protectedInput)) {
        return false;
    }
    std::FILE* file = std::fopen(m_path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    std::setvbuf(file, nullptr, _IONBF, 0); // writes come in whole buffers already
    if (m_held) {
        m_file = file;
    } else {
        std::fclose(file);
    }
    m_open = true;
    return true;
}

void UnitFileWriter::hold(bool held) {
    m_held = held;
    if (!held && m_bufferSize > kBufferSize) {
        // The long run is over: its bytes go out now and the large buffer is given back.
        if (m_used > 0) {
            flush();
        }
        m_buffer.reset();
        m_bufferSize = 0;
    }
    if (!held && m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

char* UnitFileWriter::reserve(std::size_t length) {
    if (!m_buffer) {
        m_buffer.reset(new char[kBufferSize]);
        m_bufferSize = kBufferSize;
    }
    if (m_bufferSize - m_used < length) {
        if (m_held && m_bufferSize < m_largestBuffer) {
            std::unique_ptr<char[]> larger(new char[m_largestBuffer]);
            std::memcpy(larger.get(), m_buffer.get(), m_used);
            m_buffer = std::move(larger);
            m_bufferSize = m_largestBuffer;
        } else {
            flush();
        }
    }
    return m_buffer.get() + m_used;
}

void UnitFileWriter::append(const char* data, std::size_t length) {
    if (!m_open) {
        return;
    }
    if (length > kBufferSize / 2) {
        // A very long line goes straight to the file after what is buffered.
        flush();
        writeOut(data, length);
        return;
    }
    std::memcpy(reserve(length), data, length);
    m_used += length;
}

bool UnitFileWriter::flush() {
    const bool ok = writeOut(m_buffer.get(), m_used);
    m_used = 0;
    return ok;
}

bool UnitFileWriter::writeOut(const char* data, std::size_t length) {
    if (!m_open || length == 0 || m_failed) {
        // After a failure the file is known to be incomplete: writing on would only hide a gap.
        return !m_failed;
    }
    if (m_file == nullptr) {
        m_file = std::fopen(m_path.c_str(), "ab");
        if (m_file == nullptr) {
            m_failed = true;
            return false;
        }
        std::setvbuf(m_file, nullptr, _IONBF, 0);
    }
    if (std::fwrite(data, 1, length, m_file) != length) {
        m_failed = true;
    }
    m_written = true;
    if (!m_held) {
        if (std::fclose(m_file) != 0) {
            m_failed = true;
        }
        m_file = nullptr;
    }
    return !m_failed;
}

bool UnitFileWriter::close() {
    if (m_open && m_used > 0) {
        flush();
    }
    if (m_file != nullptr) {
        if (std::fclose(m_file) != 0) {
            m_failed = true;
        }
        m_file = nullptr;
    }
    m_buffer.reset();
    m_bufferSize = 0;
    m_used = 0;
    const bool ok = m_open && !m_failed;
    m_open = false;
    return ok;
}

} // namespace logtools
