#include "tools/common/LargeBuffer.h"

#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace logtools {

namespace {
#if defined(__linux__)
// Below this a mapping of its own is not worth a system call.
constexpr std::size_t kMapThreshold = std::size_t{4} << 20;
#endif
} // namespace

LargeBuffer::~LargeBuffer() {
    release();
}

bool LargeBuffer::allocate(std::size_t size) {
    release();
    if (size == 0) {
        return true;
    }
#if defined(__linux__)
    if (size >= kMapThreshold) {
        void* block =
            ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED) {
            return false;
        }
#if defined(MADV_HUGEPAGE)
        ::madvise(block, size, MADV_HUGEPAGE);
#endif
        m_data = static_cast<unsigned char*>(block);
        m_size = size;
        m_mapped = true;
        return true;
    }
#endif
    m_data = new (std::nothrow) unsigned char[size];
    if (m_data == nullptr) {
        return false;
    }
    m_size = size;
    return true;
}

void LargeBuffer::release() {
    if (m_data == nullptr) {
        return;
    }
#if defined(__linux__)
    if (m_mapped) {
        ::munmap(m_data, m_size);
    } else {
        delete[] m_data;
    }
#else
    delete[] m_data;
#endif
    m_data = nullptr;
    m_size = 0;
    m_mapped = false;
}

} // namespace logtools
