#include "link/CMainFrameLink.h"
#include "support/DocProbe.h"
#include "support/EngineFakes.h"
#include "support/FakeSerialControl.h"

#include <gtest/gtest.h>

namespace {

// The document on the real serial-link half, over a hand-filled control; farm 0 is a local
// farm with unit 3, connected, and a scan of unit 3 has just been written.
struct LinkFixture {
    ScratchDirectory workDir;
    CTreeListDoc doc{Language::English, workDir.Path()};
    FakeSerialControl control;
    CMainFrameLink link;
    RecordingFrame frame;
    RecordingListView list;

    LinkFixture() {
        link.AttachControl(&control);
        link.AttachDocument(&doc);
        doc.SetPortWriter(&link);
        doc.SetFrameServices(&frame);
        doc.SetKilnListView(&list);
        ConfigureUnits(doc.Farm(0), {3});
        doc.FarmConnect(0);
        for (int i = 0; i < 4; ++i) {
            doc.Timer1_Tick();
        }
    }
};

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& v, std::size_t from,
                                std::size_t count) {
    return {v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(from + count)};
}

} // namespace

TEST(PortIo, OpensWithTheLineSettingsInOrderThenEnablesTheLines) {
    LinkFixture f;
    EXPECT_EQ(f.control.calls.at(0), "port 1");
    const std::vector<std::string> expected{"port 1",   "bps 2400",  "data 8",
                                            "parity 0", "stop 0",    "modem 0",
                                            "open",     "receive 1", "control 0"};
    EXPECT_EQ(std::vector<std::string>(f.control.calls.begin(), f.control.calls.begin() + 9),
              expected);
}

TEST(PortIo, FailedOpenLeavesThePortClosedAndShowsTheMessage) {
    CTreeListDoc doc;
    FakeSerialControl control;
    control.openResult = 0;
    CMainFrameLink link;
    RecordingFrame frame;
    link.AttachControl(&control);
    link.AttachDocument(&doc);
    doc.SetPortWriter(&link);
    doc.SetFrameServices(&frame);
    doc.FarmConnect(0);
    EXPECT_FALSE(link.IsPortOpen());
    EXPECT_EQ(frame.Last(), "UNABLE TO OPEN THE PORT");
    const std::uint8_t byte = 0;
    EXPECT_EQ(link.MF_Port_Write(&byte, 1, 60), 0);
    EXPECT_TRUE(control.written.empty());
}

TEST(PortIo, WriteEmptiesTheBufferFirstAndRecordsTheReplyLength) {
    LinkFixture f;
    EXPECT_EQ(f.link.ExpectedReplyBytes(), 60);
    EXPECT_EQ(f.control.written.back(), (std::vector<std::uint8_t>{0x03, 0x51, 0x00, 0x54}));
    f.control.buffer.assign(5, 0xEE);
    const std::uint8_t plus[3] = {'+', '+', '+'};
    EXPECT_EQ(f.link.MF_Port_Write(plus, 3, -1), 3);
    EXPECT_TRUE(f.control.buffer.empty());
    EXPECT_EQ(f.link.ExpectedReplyBytes(), -1);
}

TEST(PortIo, ReplyInThreeBurstsIsHandedOnOnceAtFullLength) {
    LinkFixture f;
    const auto reply = StatusReply(3);
    f.control.Arrive(Slice(reply, 0, 20));
    f.control.Arrive(Slice(reply, 20, 20));
    EXPECT_TRUE(f.list.data.empty());
    f.control.Arrive(Slice(reply, 40, 20));
    EXPECT_EQ(f.list.data.size(), 1u);
    EXPECT_TRUE(f.control.buffer.empty());
}

TEST(PortIo, SixtyOneBytesAreNeverTakenAndTheNextWriteDiscardsThem) {
    LinkFixture f;
    auto reply = StatusReply(3);
    reply.push_back(0x00);
    f.control.Arrive(reply);
    f.control.Arrive({});
    EXPECT_TRUE(f.list.data.empty());
    EXPECT_EQ(f.control.buffer.size(), 61u);
    f.doc.Timer1_Tick(); // time-out and the next scan
    EXPECT_TRUE(f.control.buffer.empty());
}

TEST(PortIo, BytesAreDiscardedWhileTheModemIsInCommandMode) {
    CTreeListDoc doc;
    FakeSerialControl control;
    CMainFrameLink link;
    link.AttachControl(&control);
    link.AttachDocument(&doc);
    doc.SetPortWriter(&link);
    doc.Farm(0).m_byConnectionType = CT_LOCAL_MODEM;
    doc.FarmConnect(0);
    for (int i = 0; i < 6; ++i) {
        doc.Timer1_Tick(); // stages 12..7: ATE0 sets command mode
    }
    ASSERT_TRUE(doc.InCommandMode());
    control.Arrive({'O', 'K', '\r', '\n'});
    EXPECT_TRUE(control.buffer.empty());
}

TEST(PortIo, CarrierLossStartsTheDisconnectOfALocalFarm) {
    LinkFixture f;
    f.control.RaiseCarrier(0);
    EXPECT_FALSE(f.doc.Farm(0).m_bFarmIsConnected);
    EXPECT_FALSE(f.link.IsPortOpen());
    EXPECT_EQ(f.frame.Last(), "NOT CONNECTED");
}

TEST(PortIo, ClosingThePortMarksTheFarmDisconnectedAndTheNextTickSaysSo) {
    LinkFixture f;
    f.link.mf_pORT_cLOSE();
    EXPECT_FALSE(f.doc.Farm(0).m_bFarmIsConnected);
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.frame.Last(), "NOT CONNECTED");
    EXPECT_EQ(DocProbe(f.doc).StatusTimeCounter(), 0);
}

TEST(PortIo, AFailedCloseKeepsThePortAndTheFarm) {
    LinkFixture f;
    f.control.closeResult = 1;
    f.link.mf_pORT_cLOSE();
    EXPECT_TRUE(f.link.IsPortOpen());
    EXPECT_TRUE(f.doc.Farm(0).m_bFarmIsConnected);
}
