#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace logtools {

// One unit's output file, written through a buffer of its own.
//
// A converter may have a file for every unit on the go at once, more than the open-file limit
// allows, so the file is opened only to write a full buffer and closed again unless it is held
// (the unit being written now). Memory stays at one buffer per unit whatever the input size.
class UnitFileWriter {
public:
    // Small, as a log may keep a buffer for every unit filling at once: 256 large buffers cost
    // more in page faults and cache misses than the extra writes of small ones save.
    static constexpr std::size_t kBufferSize = std::size_t{16} << 10;

    // A converter that fills one file at a time lets a file being written in one long run
    // grow its buffer to this, for fewer writes; the buffer shrinks back when the file is no
    // longer held, so that at most the held file has a large one.
    static constexpr std::size_t kLargeBufferSize = std::size_t{256} << 10;

    UnitFileWriter() = default;
    explicit UnitFileWriter(std::string path, std::string protectedInput = {},
                            std::size_t largestBuffer = kBufferSize);
    ~UnitFileWriter();
    UnitFileWriter(const UnitFileWriter&) = delete;
    UnitFileWriter& operator=(const UnitFileWriter&) = delete;

    const std::string& path() const { return m_path; }

    // Starts the file again from empty, creating it when missing. False, and the lines that
    // follow are dropped, when it cannot be written: a folder in the way, no permission, the
    // read-only attribute, or the file is the protected input.
    bool open();
    bool isOpen() const { return m_open; }

    // Something failed to reach the file since it was last opened (a full disk, an I/O error);
    // nothing more is written to it until it is opened again.
    bool failed() const { return m_failed; }

    // Keeps the system handle between buffer writes while the unit is being written.
    void hold(bool held);

    void append(const char* data, std::size_t length);
    void append(const std::string& text) { append(text.data(), text.size()); }

    // Room for length bytes in the buffer; commit what was written there. length must not
    // exceed kBufferSize.
    char* reserve(std::size_t length);
    void commit(std::size_t length) { m_used += length; }

    // Writes what is buffered and closes. False when anything failed to reach the file.
    bool close();

private:
    bool flush();
    bool writeOut(const char* data, std::size_t length);

    std::string m_path;
    std::string m_protectedInput;
    std::size_t m_largestBuffer = kBufferSize;
    std::size_t m_bufferSize = 0; // of m_buffer
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    std::FILE* m_file = nullptr;
    bool m_open = false;
    bool m_held = false;
    bool m_written = false; // bytes have reached the file since it was last emptied
    bool m_failed = false;
};

} // namespace logtools
