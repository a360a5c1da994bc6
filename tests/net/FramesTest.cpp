#include "net/Frames.h"
#include "app/CTreeListDoc.h"
#include "support/StatusReply.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

using testframes::Seal;
using testframes::StatusReply;

TEST(ReplyCheck, AcceptsACommitReplyWithTheRightSum) {
    const std::array<std::uint8_t, 4> accepted = {0x05, 0x53, 0x00, 0x58};
    EXPECT_TRUE(CheckReply(accepted.data(), 4));
    EXPECT_TRUE(CTreeListDoc::VerifyTheChecksum(2, 4, accepted.data()));
}

TEST(ReplyCheck, RejectsAFrameWhoseCodeIsNoReplyCodeEvenWithTheRightSum) {
    const std::array<std::uint8_t, 4> frame = {0x05, 0x58, 0x00, 0x5D};
    EXPECT_TRUE(CTreeListDoc::VerifyTheChecksum(2, 4, frame.data()));
    EXPECT_FALSE(CheckReply(frame.data(), 4));
}

TEST(ReplyCheck, KnowsExactlyTheFiveReplyCodes) {
    std::vector<int> codes;
    for (int code = 0; code < 256; ++code) {
        if (IsReplyCode(static_cast<std::uint8_t>(code))) {
            codes.push_back(code);
        }
    }
    EXPECT_EQ(codes, (std::vector<int>{'D', 'F', 'S', 'a', 'b'}));
}

TEST(ReplyCheck, EveryReplyCodeWithATwoByteChecksumPasses) {
    for (std::uint8_t code : {'D', 'F', 'S', 'a'}) {
        const auto reply = StatusReply(7, code);
        EXPECT_EQ(ChecksumBytesFor(code), 2);
        EXPECT_TRUE(CheckReply(reply.data(), 60)) << code;
    }
}

TEST(ReplyCheck, CodeBIsCheckedAgainstAThreeByteChecksum) {
    const auto threeByte = StatusReply(7, 'b');
    EXPECT_EQ(ChecksumBytesFor('b'), 3);
    EXPECT_TRUE(CheckReply(threeByte.data(), 60));
    EXPECT_TRUE(CTreeListDoc::VerifyTheChecksum(3, 60, threeByte.data()));

    // The same payload sealed as the other codes are: its last data byte then reads as the
    // top byte of the checksum.
    auto twoByte = StatusReply(7, 'b');
    twoByte[57] = 0x01;
    Seal(twoByte, 2);
    ASSERT_TRUE(CTreeListDoc::VerifyTheChecksum(2, 60, twoByte.data()));
    EXPECT_FALSE(CheckReply(twoByte.data(), 60));
}

TEST(ReplyCheck, AnyChangedByteFailsTheCheck) {
    const auto good = StatusReply(12);
    for (std::size_t i = 0; i < good.size(); ++i) {
        auto bad = good;
        bad[i] ^= 0x10;
        EXPECT_FALSE(CheckReply(bad.data(), 60)) << "byte " << i;
    }
}

TEST(ReplyCheck, TheSumIsNotWrappedToTheChecksumWidth) {
    // 300 bytes of 0xFF sum to more than 16 bits can hold; the low 16 bits in the checksum
    // field are not enough.
    std::vector<std::uint8_t> frame(302, 0xFF);
    frame[1] = 'D';
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < 300; ++i) {
        sum += frame[i];
    }
    ASSERT_GT(sum, 0xFFFFu);
    frame[300] = static_cast<std::uint8_t>((sum >> 8) & 0xFF);
    frame[301] = static_cast<std::uint8_t>(sum & 0xFF);
    EXPECT_FALSE(CheckReply(frame.data(), 302));
}

TEST(ReplyCheck, ShortOrMissingRepliesFailWithoutBeingRead) {
    const std::array<std::uint8_t, 4> reply = {0x00, 0x53, 0x00, 0x53};
    ASSERT_TRUE(CheckReply(reply.data(), 4));
    for (int length = -1; length < 4; ++length) {
        EXPECT_FALSE(CheckReply(reply.data(), length)) << length;
        EXPECT_FALSE(CTreeListDoc::VerifyTheChecksum(2, length, reply.data())) << length;
    }
    EXPECT_FALSE(CheckReply(nullptr, 60));
    EXPECT_FALSE(CTreeListDoc::VerifyTheChecksum(2, 60, nullptr));
    // A checksum width the line never uses is refused rather than read.
    EXPECT_FALSE(CTreeListDoc::VerifyTheChecksum(0, 4, reply.data()));
    EXPECT_FALSE(CTreeListDoc::VerifyTheChecksum(5, 4, reply.data()));
}

TEST(ReplyCheck, AFrameWithNoRoomForNodeCodeAndChecksumIsRefusedEvenWhenItsBytesWouldSum) {
    // All zero bytes: any split into summed bytes and checksum agrees, so only the length
    // check stands between them and a pass. Each buffer is exactly as long as the length given.
    for (int checksumBytes = 1; checksumBytes <= 4; ++checksumBytes) {
        for (int length = 0; length < checksumBytes + 2; ++length) {
            const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(length), 0);
            EXPECT_FALSE(CTreeListDoc::VerifyTheChecksum(checksumBytes, length, zeros.data()))
                << checksumBytes << " checksum bytes, length " << length;
        }
        const std::vector<std::uint8_t> fits(static_cast<std::size_t>(checksumBytes + 2), 0);
        EXPECT_TRUE(CTreeListDoc::VerifyTheChecksum(checksumBytes, checksumBytes + 2, fits.data()));
    }
}

TEST(ReplyCheck, ReadsTheStationsByteCountBigEndian) {
    const std::array<std::uint8_t, 7> reply = {0xFF, 'D', 0x00, 0x04, 0x00, 0x00, 0x00};
    EXPECT_EQ(CTreeListDoc::Get_DataByteCount(reply.data()), 1024u);
    const std::array<std::uint8_t, 7> full = {0xFF, 'D', 0x12, 0x34, 0x56, 0x00, 0x00};
    EXPECT_EQ(DataByteCount(full.data(), 7), 0x123456u);
    EXPECT_EQ(DataByteCount(full.data(), 4), 0u);
}

TEST(FrameChecksum, WrapsInSixteenBits) {
    const std::vector<std::uint8_t> bytes(258, 0xFF); // 65790
    EXPECT_EQ(FrameSum16(bytes.data(), 258), 65790 - 65536);
}
