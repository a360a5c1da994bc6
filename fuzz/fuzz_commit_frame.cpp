// Arbitrary record images and commit lists, bad offsets and counts included, through the
// commit frame builder: one 60-byte frame, every entry that fits applied, a right checksum.

#include "FuzzCheck.h"
#include "app/CTreeListDoc.h"
#include "net/Frames.h"
#include "support/RecordingPortWriter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static RecordingPortWriter* const port = new RecordingPortWriter;
    static CTreeListDoc* const doc = [] {
        auto* d = new CTreeListDoc(Language::English);
        d->SetPortWriter(port);
        return d;
    }();

    // image (60), offsets (9), values (9), count (2), mode (1)
    constexpr std::size_t kInput = 60 + 9 + 9 + 2 + 1;
    if (size < kInput) {
        return 0;
    }
    RecordImageBytes image{};
    std::copy_n(data, 60, image.begin());
    CommitList list;
    std::copy_n(data + 60, 9, list.m_byOffsets.begin());
    std::copy_n(data + 69, 9, list.m_byValues.begin());
    list.m_nCount = static_cast<std::int16_t>((data[78] << 8) | data[79]);
    const auto mode = static_cast<std::int8_t>(data[80]);

    RecordImageBytes expected = image;
    expected[1] = KVN_CMD_COMMIT;
    const int count = std::clamp<int>(list.m_nCount, 0, 9);
    for (int i = 0; i < count; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (list.m_byOffsets[slot] < 60) {
            expected[list.m_byOffsets[slot]] = list.m_byValues[slot];
        }
    }
    const std::uint16_t sum = FrameSum16(expected.data(), 58);
    expected[58] = static_cast<std::uint8_t>(sum >> 8);
    expected[59] = static_cast<std::uint8_t>(sum);

    port->writes.clear();
    doc->RecordImage() = image;
    doc->Commits() = list;
    doc->IssueCommit(kReplyLengthCommit);
    FUZZ_CHECK(port->writes.size() == 1);
    FUZZ_CHECK(port->Last().bytes.size() == 60);
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), port->Last().bytes.begin()));
    FUZZ_CHECK(doc->RecordImage() == expected);
    FUZZ_CHECK(CTreeListDoc::VerifyTheChecksum(2, 60, port->Last().bytes.data()));

    // The mode change prepared on the same image keeps the frame sound for any mode.
    doc->RecordImage() = image;
    doc->Apply_3_1(mode);
    doc->IssueCommit(kReplyLengthCommit);
    const auto& frame = port->Last().bytes;
    FUZZ_CHECK(frame.size() == 60 && frame[1] == KVN_CMD_COMMIT);
    FUZZ_CHECK(CTreeListDoc::VerifyTheChecksum(2, 60, frame.data()));
    FUZZ_CHECK(std::equal(image.begin() + 5, image.begin() + 34, frame.begin() + 5));
    return 0;
}
