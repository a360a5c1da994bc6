// Builders of every frame the PC sends. Each hands its bytes to the port side together with
// the number of reply bytes to collect.

#include "app/CTreeListDoc.h"
#include "net/Frames.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;

} // namespace

void CTreeListDoc::IssueQuery(std::int32_t queryType, std::int32_t nodeId,
                              std::int32_t expectedReplyBytes) {
    std::array<std::uint8_t, kQueryFrameLength> frame{};
    if (queryType == QT_KVN_SCAN) {
        frame = BuildQueryFrame(static_cast<std::uint8_t>(nodeId & 0xFF), KVN_CMD_SCAN);
    } else if (queryType == QT_ZRM_QUERY1) {
        frame = BuildQueryFrame(ZRM_NODE_ID, ZRM_CMD_QUERY1);
    } else {
        return;
    }
    Write(frame.data(), kQueryFrameLength, expectedReplyBytes);
}

void CTreeListDoc::IssueCommit(std::int32_t expectedReplyBytes) {
    RecordImageBytes& image = m_kiln.m_byRecordImage;
    image[1] = KVN_CMD_COMMIT;
    const int count = m_commit.UsableCount();
    for (int i = 0; i < count; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const std::uint8_t offset = m_commit.m_byOffsets[slot];
        if (offset < image.size()) {
            image[offset] = m_commit.m_byValues[slot];
        }
    }
    const std::uint16_t sum = FrameSum16(image.data(), kCommitFrameLength - 2);
    image[kCommitFrameLength - 2] = static_cast<std::uint8_t>(sum >> 8);
    image[kCommitFrameLength - 1] = static_cast<std::uint8_t>(sum & 0xFF);
    Write(image.data(), kCommitFrameLength, expectedReplyBytes);
}

void CTreeListDoc::IssueEchoOff() {
    static constexpr std::uint8_t kEchoOff[] = {'A', 'T', 'E', '0', kCr, kLf};
    Write(kEchoOff, static_cast<int>(sizeof kEchoOff), kNoReplyExpected);
}

bool CTreeListDoc::IssueConnect() {
    const FarmRecord& farm = CurrentFarm();
    if (farm.m_byConnectionType == CT_LOCAL_MODEM) {
        static constexpr std::uint8_t kAnswer[] = {'A', 'T', 'X', '1', 'D', kCr, kLf};
        Write(kAnswer, static_cast<int>(sizeof kAnswer), kNoReplyExpected);
        return true;
    }
    if (farm.m_byConnectionType != CT_REMOTE_MODEM) {
        return false;
    }
    const std::string& number = farm.m_strPhoneNumber;
    // A shortened number would dial somebody else: refuse rather than truncate.
    if (number.size() > static_cast<std::size_t>(kMaxPhoneNumberLength)) {
        return false;
    }
    std::array<std::uint8_t, kDialCommandCapacity> command{};
    std::memcpy(command.data(), "ATDT", 4);
    std::copy(number.begin(), number.end(), command.begin() + 4);
    const std::size_t end = 4 + number.size();
    command[end] = kCr;
    command[end + 1] = kLf;
    Write(command.data(), static_cast<int>(end + 2), kNoReplyExpected);
    return true;
}

void CTreeListDoc::IssueDisconnect_1() {
    static constexpr std::uint8_t kEscape[] = {'+', '+', '+'};
    Write(kEscape, static_cast<int>(sizeof kEscape), kNoReplyExpected);
}

void CTreeListDoc::IssueDisconnect_2() {
    static constexpr std::uint8_t kHangUp[] = {'A', 'T', 'H', '0', kCr, kLf};
    Write(kHangUp, static_cast<int>(sizeof kHangUp), kNoReplyExpected);
}

void CTreeListDoc::IssueConnectionBurst() {
    static constexpr std::array<std::uint8_t, kConnectionBurstLength> kBurst{};
    Write(kBurst.data(), kConnectionBurstLength, kReplyLengthConnectionBurst);
}

bool CTreeListDoc::VerifyTheChecksum(int checksumBytes, int length, const std::uint8_t* reply) {
    return VerifyChecksum(checksumBytes, length, reply);
}

std::uint32_t CTreeListDoc::Get_DataByteCount(const std::uint8_t* reply) {
    // The callers have checked the reply's length; five bytes are enough for the count.
    return DataByteCount(reply, 5);
}
