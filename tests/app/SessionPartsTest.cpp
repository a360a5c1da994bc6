#include "app/SessionParts.h"

#include "app/CTreeListDoc.h"
#include "link/CMainFrameLink.h"
#include "support/EngineFakes.h"
#include "support/FakeSerialControl.h"
#include "support/StatusReply.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

// Everything the parts reach is declared before them, so it outlives them as in the programs.
struct PartsFixture {
    ScratchDirectory workDir;
    FakeSerialControl line;
    RecordingSpeaker speaker;
    ManualClock clock;
    RecordingFrame frame;
    RecordingListView list;
    std::optional<SessionParts> parts;

    explicit PartsFixture(CMainFrameLink* link = nullptr) {
        SessionParts::Seams seams;
        seams.clock = &clock;
        seams.speaker = &speaker;
        seams.line = &line;
        seams.frame = &frame;
        seams.link = link;
        parts.emplace(Language::English, workDir.Path(), seams);
    }

    CTreeListDoc& Doc() { return parts->Document(); }

    std::vector<std::string> WrittenSince(std::size_t from) const {
        std::vector<std::string> texts;
        for (std::size_t i = from; i < line.written.size(); ++i) {
            texts.emplace_back(line.written[i].begin(), line.written[i].end());
        }
        return texts;
    }
};

} // namespace

TEST(SessionParts, TheDocumentReachesTheLineThroughTheLinkAndItsRepliesComeBack) {
    PartsFixture f;
    f.Doc().SetKilnListView(&f.list);
    ConfigureUnits(f.Doc().Farm(0), {3});
    f.Doc().FarmConnect(0);
    EXPECT_TRUE(f.line.open);
    for (int tick = 0; tick < 6 && f.parts->Link().ExpectedReplyBytes() != 60; ++tick) {
        f.Doc().Timer1_Tick();
    }
    ASSERT_EQ(f.line.written.back(), (std::vector<std::uint8_t>{0x03, 0x51, 0x00, 0x54}))
        << "the scan went out on the line";
    const auto reply = StatusReply(3);
    f.line.Arrive(std::vector<std::uint8_t>(reply.begin(), reply.end()));
    EXPECT_FALSE(f.list.data.empty()) << "the reply reached the document and its list";
    EXPECT_FALSE(f.frame.lines.empty()) << "the document tells the frame";
}

TEST(SessionParts, AModemFarmStillConnectedAtTheEndIsHungUpOnTheLine) {
    PartsFixture f;
    FarmRecord& farm = f.Doc().Farm(0);
    ConfigureUnits(farm, {3});
    farm.m_byConnectionType = CT_REMOTE_MODEM;
    farm.m_strPhoneNumber = "5551234";
    farm.m_iSerialPort = 2;
    f.line.carrier = 1;
    f.Doc().FarmConnect(0);
    for (int tick = 0; tick < 40 && !f.Doc().CurrentFarm().m_bFarmIsConnected; ++tick) {
        f.Doc().Timer1_Tick();
    }
    ASSERT_TRUE(f.Doc().CurrentFarm().m_bFarmIsConnected);
    const std::size_t before = f.line.written.size();
    f.clock.waited.clear();

    f.parts->End();
    EXPECT_TRUE(f.parts->Ended());
    EXPECT_EQ(f.WrittenSince(before), (std::vector<std::string>{"+++", "ATH0\r\n"}));
    EXPECT_EQ(f.clock.waited, (std::vector<int>{1000}));
}

TEST(SessionParts, ALinkThatOutlivesThePartsNoLongerReachesTheLineOrTheDocument) {
    // The main window is the link and goes after the session's line.
    CMainFrameLink link;
    PartsFixture f(&link);
    EXPECT_EQ(&f.parts->Link(), &link);
    ConfigureUnits(f.Doc().Farm(0), {3});
    f.Doc().FarmConnect(0);
    ASSERT_TRUE(link.IsPortOpen());

    f.parts->End();
    f.parts->End(); // a second end finds nothing left to do
    const std::size_t writes = f.line.written.size();
    const std::uint8_t query[] = {3, 0x51, 0, 0};
    EXPECT_EQ(link.MF_Port_Write(query, 4, 60), 0);
    EXPECT_EQ(f.line.written.size(), writes);
    const auto reply = StatusReply(3);
    f.line.Arrive(std::vector<std::uint8_t>(reply.begin(), reply.end()));
    f.line.RaiseCarrier(0);
}
