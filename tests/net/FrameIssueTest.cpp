#include "app/CTreeListDoc.h"
#include "net/Frames.h"
#include "support/RecordingPortWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct FrameIssue : ::testing::Test {
    FrameIssue() { doc.SetPortWriter(&port); }

    void SetFarm(std::uint8_t connectionType, const std::string& phoneNumber) {
        doc.CurrentFarm().m_byConnectionType = connectionType;
        doc.CurrentFarm().m_strPhoneNumber = phoneNumber;
    }

    CTreeListDoc doc;
    RecordingPortWriter port;
};

} // namespace

TEST_F(FrameIssue, ScanQueriesCarryNodeCodeAndSum) {
    doc.IssueQuery(QT_KVN_SCAN, 1, kReplyLengthScan);
    doc.IssueQuery(QT_KVN_SCAN, 254, kReplyLengthScan);
    ASSERT_EQ(port.writes.size(), 2u);
    EXPECT_EQ(port.writes[0].bytes, (Bytes{0x01, 0x51, 0x00, 0x52}));
    EXPECT_EQ(port.writes[0].expectedReplyBytes, 60);
    EXPECT_EQ(port.writes[1].bytes, (Bytes{0xFE, 0x51, 0x01, 0x4F}));
}

TEST_F(FrameIssue, StationQueryAlwaysGoesToNode255) {
    doc.IssueQuery(QT_ZRM_QUERY1, 255, kReplyLengthZrmQuery1);
    doc.IssueQuery(QT_ZRM_QUERY1, 3, kReplyLengthZrmQuery1);
    ASSERT_EQ(port.writes.size(), 2u);
    for (const auto& write : port.writes) {
        EXPECT_EQ(write.bytes, (Bytes{0xFF, 0x41, 0x01, 0x40}));
        EXPECT_EQ(write.expectedReplyBytes, 7);
    }
}

TEST_F(FrameIssue, AnUnknownQueryTypeSendsNothing) {
    doc.IssueQuery(2, 1, 60);
    doc.IssueQuery(-1, 1, 60);
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(FrameIssue, ModemCommandsCollectNoReply) {
    doc.IssueDisconnect_1();
    doc.IssueDisconnect_2();
    doc.IssueEchoOff();
    ASSERT_EQ(port.writes.size(), 3u);
    EXPECT_EQ(port.writes[0].Text(), "+++");
    EXPECT_EQ(port.writes[1].Text(), "ATH0\r\n");
    EXPECT_EQ(port.writes[2].Text(), "ATE0\r\n");
    for (const auto& write : port.writes) {
        EXPECT_EQ(write.expectedReplyBytes, -1);
    }
}

TEST_F(FrameIssue, ConnectionBurstIs480ZeroBytesExpectingNothing) {
    doc.IssueConnectionBurst();
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.Last().bytes, Bytes(480, 0x00));
    EXPECT_EQ(port.Last().expectedReplyBytes, 0);
}

TEST_F(FrameIssue, LocalModemAnswersWithATX1D) {
    SetFarm(CT_LOCAL_MODEM, "555 5555");
    EXPECT_TRUE(doc.IssueConnect());
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.Last().Text(), "ATX1D\r\n");
    EXPECT_EQ(port.Last().expectedReplyBytes, -1);
}

TEST_F(FrameIssue, RemoteModemDialsTheNumberExactlyAsStored) {
    SetFarm(CT_REMOTE_MODEM, "9,(555) 123-45#");
    EXPECT_TRUE(doc.IssueConnect());
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.Last().Text(), "ATDT9,(555) 123-45#\r\n");
    EXPECT_EQ(port.Last().expectedReplyBytes, -1);
}

TEST_F(FrameIssue, A22CharacterNumberFillsTheDialCommand) {
    const std::string number(22, '7');
    SetFarm(CT_REMOTE_MODEM, number);
    EXPECT_TRUE(doc.IssueConnect());
    ASSERT_EQ(port.writes.size(), 1u);
    EXPECT_EQ(port.Last().bytes.size(), 28u);
    EXPECT_EQ(port.Last().Text(), "ATDT" + number + "\r\n");
}

TEST_F(FrameIssue, ALongerNumberIsNeverDialled) {
    SetFarm(CT_REMOTE_MODEM, std::string(23, '7'));
    EXPECT_FALSE(doc.IssueConnect());
    SetFarm(CT_REMOTE_MODEM, std::string(200, '7'));
    EXPECT_FALSE(doc.IssueConnect());
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(FrameIssue, AFarmWithoutAModemDialsNothing) {
    SetFarm(CT_LOCAL, "555 5555");
    EXPECT_FALSE(doc.IssueConnect());
    SetFarm(3, "555 5555"); // both connection-type bits set: no known type
    EXPECT_FALSE(doc.IssueConnect());
    EXPECT_TRUE(port.writes.empty());
}

TEST_F(FrameIssue, IssueConnectUsesTheCurrentFarm) {
    doc.Farm(1).m_byConnectionType = CT_REMOTE_MODEM;
    doc.Farm(1).m_strPhoneNumber = "1";
    SetFarm(CT_LOCAL_MODEM, "");
    ASSERT_EQ(doc.CurrentFarmIndex(), 0);
    EXPECT_TRUE(doc.IssueConnect());
    EXPECT_EQ(port.Last().Text(), "ATX1D\r\n");
}
