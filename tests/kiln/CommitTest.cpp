#include "app/CTreeListDoc.h"
#include "net/Frames.h"
#include "support/RecordingPortWriter.h"
#include "support/StatusReply.h"

#include <gtest/gtest.h>

#include <set>

using testframes::PutWord;
using testframes::Reply60;
using testframes::StatusReply;

namespace {

struct Commit : ::testing::Test {
    Commit() { doc.SetPortWriter(&port); }

    // Keeps reply as the selected unit's image, applies the mode and sends the commit.
    const RecordingPortWriter::Write& CommitMode(const Reply60& reply, int mode) {
        doc.RecordImage() = reply;
        doc.Apply_3_1(mode);
        doc.IssueCommit(kReplyLengthCommit);
        return port.Last();
    }

    static std::set<std::size_t> ChangedOffsets(const Reply60& before, const Reply60& after) {
        std::set<std::size_t> changed;
        for (std::size_t i = 0; i < before.size(); ++i) {
            if (before[i] != after[i]) {
                changed.insert(i);
            }
        }
        return changed;
    }

    // The image as a commit of nothing: command byte and checksum, summed independently.
    static Reply60 Recoded(Reply60 image) {
        image[1] = 0x43;
        testframes::Seal(image);
        return image;
    }

    static Reply60 AsReply(const std::vector<std::uint8_t>& bytes) {
        Reply60 frame{};
        std::copy_n(bytes.begin(), std::min<std::size_t>(bytes.size(), 60), frame.begin());
        return frame;
    }

    CTreeListDoc doc;
    RecordingPortWriter port;
};

} // namespace

TEST_F(Commit, ApplyFillsTheListAndAsksForACommit) {
    doc.RecordImage()[4] = 0x5C;
    doc.Apply_3_1(4);
    const CommitList& list = doc.Commits();
    EXPECT_EQ(list.m_nCount, 3);
    EXPECT_EQ(list.m_byOffsets[0], 4);
    EXPECT_EQ(list.m_byValues[0], 0xA3);
    EXPECT_EQ(list.m_byOffsets[1], 34);
    EXPECT_EQ(list.m_byValues[1], 0);
    EXPECT_EQ(list.m_byOffsets[2], 35);
    EXPECT_EQ(list.m_byValues[2], 6);
    EXPECT_EQ(doc.NextTransactionType(), TT_KVN_T2_PIO_O);

    // Another mode rewrites the list from the start.
    doc.Apply_3_1(5);
    EXPECT_EQ(doc.Commits().m_nCount, 1);
    EXPECT_EQ(doc.Commits().m_byValues[0], 0x5C);
}

TEST_F(Commit, RunChangesOnlyModeHoursCodeAndChecksum) {
    Reply60 image = StatusReply(12);
    PutWord(image, 34, 0x0123);
    const auto& sent = CommitMode(image, 4);
    ASSERT_EQ(sent.bytes.size(), 60u);
    EXPECT_EQ(sent.expectedReplyBytes, 4);
    const Reply60 frame = AsReply(sent.bytes);
    EXPECT_EQ(ChangedOffsets(image, frame), (std::set<std::size_t>{1, 4, 34, 35, 58, 59}));
    EXPECT_EQ(frame[1], 0x43);
    EXPECT_EQ(frame[4], 0xA3);
    EXPECT_EQ(frame[34], 0x00);
    EXPECT_EQ(frame[35], 0x06);
    EXPECT_TRUE(CTreeListDoc::VerifyTheChecksum(2, 60, frame.data()));
    // The frame is built in the image itself.
    EXPECT_EQ(doc.RecordImage(), frame);
}

TEST_F(Commit, RunLeavesAZeroHoursHighByteAlone) {
    const Reply60 image = StatusReply(12); // Standby, hours word 0
    const Reply60 frame = AsReply(CommitMode(image, 4).bytes);
    EXPECT_EQ(ChangedOffsets(image, frame), (std::set<std::size_t>{1, 4, 35, 58, 59}));
}

TEST_F(Commit, StandbyClearsTheHoursOfARunningUnit) {
    Reply60 image = StatusReply(30);
    image[4] = 0xA3;
    PutWord(image, 34, 57);
    testframes::Seal(image);
    const Reply60 frame = AsReply(CommitMode(image, 0).bytes);
    EXPECT_EQ(frame[4], 0x3A);
    EXPECT_EQ(frame[34], 0x00);
    EXPECT_EQ(frame[35], 0x00);
    EXPECT_TRUE(CTreeListDoc::VerifyTheChecksum(2, 60, frame.data()));
}

TEST_F(Commit, AnyOtherModeSendsTheImageUnchanged) {
    Reply60 image = StatusReply(30);
    image[4] = 0x5C;
    PutWord(image, 34, 99);
    const Reply60 frame = AsReply(CommitMode(image, 5).bytes);
    EXPECT_TRUE(std::equal(image.begin() + 2, image.begin() + 58, frame.begin() + 2));
    EXPECT_EQ(frame[1], 0x43);
    EXPECT_TRUE(CTreeListDoc::VerifyTheChecksum(2, 60, frame.data()));
}

TEST_F(Commit, AnEmptyListStillSendsACommitWithAFreshChecksum) {
    const Reply60 image = StatusReply(77);
    doc.RecordImage() = image;
    doc.Commits().m_nCount = 0;
    doc.IssueCommit(4);
    EXPECT_EQ(AsReply(port.Last().bytes), Recoded(image));
}

TEST_F(Commit, ALaterEntryForTheSameOffsetWins) {
    doc.RecordImage() = StatusReply(5);
    CommitList& list = doc.Commits();
    list.m_byOffsets = {10, 10};
    list.m_byValues = {0x11, 0x22};
    list.m_nCount = 2;
    doc.IssueCommit(4);
    EXPECT_EQ(port.Last().bytes[10], 0x22);
}

TEST_F(Commit, EntriesOutsideTheImageAndCountsOutsideTheListAreNeverApplied) {
    const Reply60 image = StatusReply(5);
    doc.RecordImage() = image;
    CommitList& list = doc.Commits();
    list.m_byOffsets = {60, 255, 20, 21, 22, 23, 24, 25, 26};
    list.m_byValues = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    list.m_nCount = 30000;
    doc.IssueCommit(4);
    const Reply60 frame = AsReply(port.Last().bytes);
    EXPECT_EQ(port.Last().bytes.size(), 60u);
    for (std::size_t i = 20; i <= 26; ++i) {
        EXPECT_EQ(frame[i], static_cast<int>(i) - 17);
    }
    EXPECT_TRUE(CTreeListDoc::VerifyTheChecksum(2, 60, frame.data()));

    doc.RecordImage() = image;
    list.m_nCount = -5;
    doc.IssueCommit(4);
    EXPECT_EQ(AsReply(port.Last().bytes), Recoded(image));
}
