#include "support/DocProbe.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

namespace {

// Connected local farm with units 3, 7 and 9, waiting for the reply of a scan of unit 3.
struct ScanInFlight : EngineFixture {
    ScanInFlight() {
        ConfigureUnits(doc.Farm(0), {3, 7, 9});
        doc.FarmConnect(0);
        for (int i = 0; i < 4; ++i) {
            doc.Timer1_Tick();
        }
    }
};

} // namespace

TEST(ReplyAssembly, StatusReplyOfTheSelectedUnitUpdatesListRecordAndImage) {
    ScanInFlight f;
    f.doc.Farm(0).m_iSelectedNode = 3;
    const auto reply = StatusReply(3, 0xA3, 0x04, 2640);
    f.Reply(reply);

    ASSERT_EQ(f.list.data.size(), 1u);
    EXPECT_EQ(f.list.data[0].nodeId, 3);
    EXPECT_EQ(f.list.data[0].retryCountdown, 0);
    EXPECT_EQ(f.list.data[0].oldRecord.m_iCuringMethod, 0) << "the list sees the old record too";
    EXPECT_EQ(f.list.data[0].newRecord.m_wRtd[0], 2640);
    const KilnRecord* stored = f.doc.Farm(0).Unit(2);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->m_iUnitStatus, 4);
    EXPECT_EQ(stored->m_iAlarmStatus, 2);
    EXPECT_TRUE(f.doc.AlarmBit(2));
    EXPECT_TRUE(std::equal(reply.begin(), reply.end(), f.doc.RecordImage().begin()));
    EXPECT_EQ(f.list.startupScan.size(), 1u);
    EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T1_PIO_O);
}

TEST(ReplyAssembly, ReplyOfAnotherUnitLeavesTheImageAlone) {
    ScanInFlight f;
    f.doc.Farm(0).m_iSelectedNode = 9;
    f.Reply(StatusReply(7)); // the node byte decides, not the node asked
    EXPECT_EQ(f.list.data.at(0).nodeId, 7);
    EXPECT_EQ(f.doc.Farm(0).Unit(6)->m_iCuringMethod, 1);
    EXPECT_EQ(f.doc.RecordImage()[0], 0);
    EXPECT_TRUE(f.list.startupScan.empty());
}

TEST(ReplyAssembly, StartupScanNoticeIsGivenOncePerRun) {
    ScanInFlight f;
    f.doc.Farm(0).m_iSelectedNode = 3;
    f.Reply(StatusReply(3));
    f.doc.Timer1_Tick();
    f.Reply(StatusReply(3));
    EXPECT_EQ(f.list.startupScan.size(), 1u);
}

TEST(ReplyAssembly, RepliesFromNodeZeroOr255OnlyEndTheTransaction) {
    for (int node : {0, 255}) {
        ScanInFlight f;
        f.Reply(StatusReply(node));
        EXPECT_TRUE(f.list.data.empty());
        EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T1_PIO_O) << node;
        EXPECT_EQ(DocProbe(f.doc).RetryCountdown(), 0);
    }
}

TEST(ReplyAssembly, InvalidRepliesChangeNothing) {
    auto badChecksum = StatusReply(3);
    badChecksum[59] ^= 0x01;
    auto notAReplyCode = StatusReply(3);
    notAReplyCode[1] = 0x58;
    const std::uint16_t sum = FrameSum16(notAReplyCode.data(), 58);
    notAReplyCode[58] = static_cast<std::uint8_t>(sum >> 8);
    notAReplyCode[59] = static_cast<std::uint8_t>(sum);
    auto shortReply = StatusReply(3);
    shortReply.pop_back();

    for (const auto& reply : {badChecksum, notAReplyCode, shortReply}) {
        ScanInFlight f;
        f.Reply(reply);
        EXPECT_TRUE(f.list.data.empty());
        EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T1_PIO_I);
        EXPECT_EQ(DocProbe(f.doc).RetryCountdown(), 6);
    }
}

TEST(ReplyAssembly, AWellFormedReplyOfAnotherLengthLeavesTheTransactionAsItWas) {
    // A commit acknowledgement of unit 3, checksum right, while its 60-byte status is awaited.
    std::vector<std::uint8_t> acknowledgement = {3, 'S', 0, 0};
    const std::uint16_t sum = FrameSum16(acknowledgement.data(), 2);
    acknowledgement[2] = static_cast<std::uint8_t>(sum >> 8);
    acknowledgement[3] = static_cast<std::uint8_t>(sum);
    ASSERT_TRUE(CheckReply(acknowledgement.data(), 4));

    ScanInFlight f;
    f.Reply(acknowledgement);
    EXPECT_TRUE(f.list.data.empty());
    EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T1_PIO_I);
    EXPECT_EQ(DocProbe(f.doc).RetryCountdown(), 6);
}

TEST(ReplyAssembly, ThreeByteChecksumReplyIsAccepted) {
    ScanInFlight f;
    auto reply = StatusReply(3);
    reply[1] = 0x62;
    reply[57] = 0;
    std::uint32_t sum = 0;
    for (int i = 0; i < 57; ++i) {
        sum += reply[static_cast<std::size_t>(i)];
    }
    reply[57] = static_cast<std::uint8_t>(sum >> 16);
    reply[58] = static_cast<std::uint8_t>(sum >> 8);
    reply[59] = static_cast<std::uint8_t>(sum);
    f.Reply(reply);
    EXPECT_EQ(f.list.data.size(), 1u);
}

TEST(ReplyAssembly, ChangeOfUnitsClearsTheStoredSetpointsBeforeTheListCompares) {
    ScanInFlight f;
    f.doc.Farm(0).Unit(2)->m_wWetBulbSetpoint = 1234;
    f.doc.Farm(0).Unit(2)->m_wDryBulbStart = 999;
    auto reply = StatusReply(3);
    reply[5] = 0x01; // now Centigrade
    const std::uint16_t sum = FrameSum16(reply.data(), 58);
    reply[58] = static_cast<std::uint8_t>(sum >> 8);
    reply[59] = static_cast<std::uint8_t>(sum);
    f.Reply(reply);
    ASSERT_EQ(f.list.data.size(), 1u);
    EXPECT_EQ(f.list.data[0].oldRecord.m_wWetBulbSetpoint, 0);
    EXPECT_EQ(f.list.data[0].oldRecord.m_wDryBulbStart, 0);
}

TEST(ReplyAssembly, IgnoresRepliesDuringDisconnect) {
    EngineFixture f;
    FarmRecord& farm = f.doc.Farm(0);
    ConfigureUnits(farm, {3});
    farm.m_byConnectionType = CT_LOCAL_MODEM;
    f.doc.FarmConnect(0);
    f.port.carrier = 1;
    for (int i = 0; i < 12; ++i) {
        f.doc.Timer1_Tick();
    }
    ASSERT_TRUE(farm.m_bFarmIsConnected);
    for (int i = 0; i < 4; ++i) {
        f.doc.Timer1_Tick();
    }
    ASSERT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T1_PIO_I);
    f.doc.fARMdISCONNECT(0);
    f.Reply(StatusReply(3));
    EXPECT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T1_PIO_I);
    // The disconnect emptied the list's lines; no data notice came after.
    EXPECT_TRUE(f.list.data.empty());
}

TEST(ReplyAssembly, IgnoresRepliesWhileNotConnected) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(0), {3});
    f.Reply(StatusReply(3));
    EXPECT_TRUE(f.list.data.empty());
}
