// Arbitrary bytes at arbitrary lengths through the reply check: nothing may be read past the
// reply, and the verdict must match a sum taken here.

#include "FuzzCheck.h"
#include "app/CTreeListDoc.h"
#include "net/Frames.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

bool ReferenceCheck(const std::uint8_t* reply, int length) {
    if (length < 2 || !IsReplyCode(reply[1])) {
        return false;
    }
    const int k = reply[1] == 'b' ? 3 : 2;
    if (length < k + 2) {
        return false;
    }
    std::uint64_t sum = 0;
    for (int i = 0; i < length - k; ++i) {
        sum += reply[i];
    }
    std::uint64_t stored = 0;
    for (int i = length - k; i < length; ++i) {
        stored = (stored << 8) | reply[i];
    }
    return sum == stored;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) {
        return 0;
    }
    // Each length gets a buffer of exactly that size, so a read past it is caught.
    for (std::size_t length = 0; length <= size; length += (length < 70 ? 1 : 97)) {
        const std::vector<std::uint8_t> reply(data, data + length);
        const auto* bytes = length == 0 ? nullptr : reply.data();
        const int n = static_cast<int>(length);
        FUZZ_CHECK(CheckReply(bytes, n) == (length > 0 && ReferenceCheck(bytes, n)));
        for (int k = -1; k <= 5; ++k) {
            const bool good = CTreeListDoc::VerifyTheChecksum(k, n, bytes);
            FUZZ_CHECK(!good || (k >= 1 && k <= 4 && n >= k + 2));
        }
        const std::uint32_t count = DataByteCount(bytes, n);
        FUZZ_CHECK(count <= 0xFFFFFFu);
        FUZZ_CHECK(n >= 5 || count == 0);
        if (n >= 5) {
            FUZZ_CHECK(count == CTreeListDoc::Get_DataByteCount(bytes));
        }
    }

    // A frame sealed here with the width its code calls for passes whenever the sum fits.
    if (size >= 2 && size <= 300) {
        std::vector<std::uint8_t> frame(data, data + size);
        static constexpr std::uint8_t kCodes[] = {'D', 'F', 'S', 'a', 'b'};
        frame[1] = kCodes[frame[1] % 5];
        const int k = ChecksumBytesFor(frame[1]);
        frame.resize(size + static_cast<std::size_t>(k));
        std::uint32_t sum = 0;
        for (std::size_t i = 0; i < size; ++i) {
            sum += frame[i];
        }
        const bool fits = sum < (std::uint32_t{1} << (8 * k));
        for (int i = 0; i < k; ++i) {
            frame[size + static_cast<std::size_t>(k - 1 - i)] =
                static_cast<std::uint8_t>(sum >> (8 * i));
        }
        FUZZ_CHECK(CheckReply(frame.data(), static_cast<int>(frame.size())) == fits);
    }
    return 0;
}
