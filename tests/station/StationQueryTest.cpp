#include "support/DocProbe.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

namespace {

const std::vector<std::uint8_t> kSizeQuery{0xFF, 0x41, 0x01, 0x40};

void ConnectAndSettle(EngineFixture& f) {
    ConfigureUnits(f.doc.Farm(0), {2, 6});
    f.doc.FarmConnect(0);
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
}

} // namespace

TEST(StationQuery, RepeatsEveryTickUntilTheSheetClosesThenScanningResumes) {
    EngineFixture f;
    ConnectAndSettle(f);
    f.doc.ZRM_Query1_Query();
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
        EXPECT_EQ(f.port.Last().bytes, kSizeQuery);
        EXPECT_EQ(f.port.Last().expectedReplyBytes, 7);
        EXPECT_EQ(DocProbe(f.doc).Query1State(), 2);
        EXPECT_NE(f.frame.Last().find("TT_ZRM_T1_PIO_O (General)"), std::string::npos);
    }
    f.Reply(ShortReply({0xFF, 0x44, 0x00, 0x04, 0x00}));
    EXPECT_EQ(DocProbe(f.doc).Query1State(), 1);
    EXPECT_EQ(DocProbe(f.doc).Query1ByteCount(), 1024u);

    f.doc.ZRM_QueryN_Adjustment(true);
    const std::size_t before = f.port.writes.size();
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.port.writes.size(), before) << "the tick after closing only moves on";
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.ScanTargets(before), (std::vector<int>{2}));
    EXPECT_EQ(DocProbe(f.doc).Query1ByteCount(), 1024u) << "the outcome outlives the cycle";
}

TEST(StationQuery, CommitEndsTheCycleAndPollingFollows) {
    EngineFixture f;
    f.doc.Farm(0).m_iSelectedNode = 2;
    ConnectAndSettle(f);
    f.doc.Timer1_Tick(); // scan 2
    f.Reply(StatusReply(2));
    f.doc.ZRM_Query1_Query();
    f.doc.Timer1_Tick();
    f.doc.Apply_3_1(4);
    f.doc.Timer1_Tick(); // size query unanswered: the commit goes out
    EXPECT_EQ(f.port.Last().bytes.size(), 60u);
    const std::size_t before = f.port.writes.size();
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.ScanTargets(before).size(), 1u);
}

TEST(StationQuery, ANewConnectionStartsWithTheBurstNotTheQuery) {
    EngineFixture f;
    ConnectAndSettle(f);
    f.doc.ZRM_Query1_Query();
    f.doc.fARMdISCONNECT(0);
    f.doc.FarmConnect(0);
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.port.Last().bytes.size(), 480u);
}
