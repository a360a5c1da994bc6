#pragma once

#include <cstddef>

namespace logtools {

// One block of memory for a whole log data file. On Linux the block is asked for in huge
// pages: faulting in a large buffer page by page can cost more than reading the file.
class LargeBuffer {
public:
    LargeBuffer() = default;
    ~LargeBuffer();
    LargeBuffer(const LargeBuffer&) = delete;
    LargeBuffer& operator=(const LargeBuffer&) = delete;

    // False when the memory cannot be obtained; the buffer is then empty.
    bool allocate(std::size_t size);
    void release();

    unsigned char* data() const { return m_data; }
    std::size_t size() const { return m_size; }

private:
    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
    bool m_mapped = false;
};

} // namespace logtools
