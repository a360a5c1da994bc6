#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace logtools {

// SHA-256 of a byte stream fed in pieces, so that a log can be hashed while it is read once.
// A certificate names its source logs by this hash: anyone can check that the logs kept are
// the ones it was made from.
class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256() { reset(); }

    void reset();
    void add(const void* data, std::size_t size);
    void add(std::string_view bytes) { add(bytes.data(), bytes.size()); }
    // The digest of everything added; the hash then starts again from nothing.
    Digest finish();

    // 64 lower-case hex digits.
    static std::string hex(const Digest& digest);
    static std::string hexOf(std::string_view bytes);

private:
    void block(const std::uint8_t* data);

    std::array<std::uint32_t, 8> m_state{};
    std::array<std::uint8_t, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0; // bytes added
};

} // namespace logtools
