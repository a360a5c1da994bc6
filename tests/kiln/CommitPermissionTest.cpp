#include "support/AlarmFarm.h"
#include "support/DocProbe.h"
#include "support/EngineFakes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Farms 1 and 2 both hold units 3 and 5; farm 1 is connected on a direct line.
struct SheetCommit : ::testing::Test {
    SheetCommit() {
        ConfigureUnits(f.doc.Farm(0), {3, 5});
        ConfigureUnits(f.doc.Farm(1), {3, 5});
        f.doc.FarmConnect(0);
        for (int i = 0; i < 3; ++i) {
            f.doc.Timer1_Tick(); // burst and settle
        }
    }

    // Runs ticks, answering every scan as the unit itself would, until unit nodeId replied.
    void UntilAnswered(int nodeId, std::uint8_t mode = 0x3A) {
        for (int i = 0; i < 8; ++i) {
            const std::size_t before = f.port.writes.size();
            f.doc.Timer1_Tick();
            const auto targets = f.ScanTargets(before);
            if (!targets.empty()) {
                f.Reply(StatusReply(targets.back(), mode));
                if (targets.back() == nodeId) {
                    return;
                }
            }
        }
        FAIL() << "unit " << nodeId << " was never asked";
    }

    std::vector<std::vector<std::uint8_t>> Commits() const {
        std::vector<std::vector<std::uint8_t>> commits;
        for (const auto& write : f.port.writes) {
            if (write.bytes.size() == 60 && write.bytes[1] == 0x43) {
                commits.push_back(write.bytes);
            }
        }
        return commits;
    }

    EngineFixture f;
};

} // namespace

TEST_F(SheetCommit, OnlyAReplyOfTheUnitAfterTheSheetOpenedUnlocksIt) {
    const SheetTicket sheet = f.doc.OpenSheetTicket(0, 4);
    EXPECT_EQ(f.doc.SheetCommitBlock(sheet), CommitBlock::NoDataFromUnit);
    UntilAnswered(3);
    EXPECT_EQ(f.doc.SheetCommitBlock(sheet), CommitBlock::NoDataFromUnit) << "another unit's reply";
    UntilAnswered(5);
    EXPECT_EQ(f.doc.SheetCommitBlock(sheet), CommitBlock::None);

    // Closed and opened again: the image of the earlier opening is stale for the new sheet.
    f.doc.ClearSelectedUnit(0);
    const SheetTicket again = f.doc.OpenSheetTicket(0, 4);
    EXPECT_EQ(f.doc.SheetCommitBlock(again), CommitBlock::NoDataFromUnit);
    EXPECT_FALSE(f.doc.ApplyFromSheet(again, US_RUN));
    EXPECT_NE(f.doc.NextTransactionType(), TT_KVN_T2_PIO_O);
    UntilAnswered(5);
    EXPECT_TRUE(f.doc.ApplyFromSheet(again, US_RUN));
}

TEST_F(SheetCommit, SheetOfTheSameNodeOnAnotherFarmNeverCommitsOnTheConnectedLine) {
    // Unit 5 of farm 1 was seen through a sheet, which was cancelled.
    const SheetTicket first = f.doc.OpenSheetTicket(0, 4);
    UntilAnswered(5);
    ASSERT_EQ(f.doc.SheetCommitBlock(first), CommitBlock::None);
    f.doc.ClearSelectedUnit(0);

    // Farm 2's unit 5, not connected.
    const SheetTicket other = f.doc.OpenSheetTicket(1, 4);
    EXPECT_EQ(f.doc.SheetCommitBlock(other), CommitBlock::FarmNotConnected);
    for (int i = 0; i < 6; ++i) {
        UntilAnswered(5);
        EXPECT_FALSE(f.doc.ApplyFromSheet(other, US_RUN));
    }
    f.doc.Timer1_Tick();
    f.doc.Timer1_Tick();
    EXPECT_TRUE(Commits().empty());
}

TEST_F(SheetCommit, CommitIsBuiltFromTheUnitsOwnReplyWithTheChosenMode) {
    const SheetTicket sheet = f.doc.OpenSheetTicket(0, 4);
    UntilAnswered(5);
    ASSERT_TRUE(f.doc.ApplyFromSheet(sheet, US_RUN));
    f.doc.Timer1_Tick(); // the reply came: the commit goes at this tick
    const auto commits = Commits();
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0][0], 5);
    EXPECT_EQ(commits[0][4], KVN_MODE_RUN);
    EXPECT_EQ(commits[0][35], 6);
}

TEST_F(SheetCommit, QueuedCommitWhoseConnectionEndedIsGivenUpUnsent) {
    const SheetTicket sheet = f.doc.OpenSheetTicket(0, 4);
    UntilAnswered(5);
    ASSERT_TRUE(f.doc.ApplyFromSheet(sheet, US_RUN));

    // Disconnected and connected again before the scheduler's turn came.
    f.doc.fARMdISCONNECT(0);
    EXPECT_EQ(f.list.statusCodes, std::vector<int>({KVN_RPY_FAILURE}))
        << "the open sheet is told that no answer will come";
    f.doc.FarmConnect(0);
    // Even a commit asked for again finds no image of this connection.
    DocProbe(f.doc).RequestCommit();
    for (int i = 0; i < 6; ++i) {
        f.doc.Timer1_Tick();
    }
    EXPECT_TRUE(Commits().empty());
    EXPECT_EQ(f.doc.SheetCommitBlock(sheet), CommitBlock::NoDataFromUnit);
}

TEST_F(SheetCommit, ACommitSentWhenTheLineIsLostIsReportedUnansweredOnce) {
    const SheetTicket sheet = f.doc.OpenSheetTicket(0, 4);
    UntilAnswered(5);
    ASSERT_TRUE(f.doc.ApplyFromSheet(sheet, US_RUN));
    f.doc.Timer1_Tick();
    ASSERT_EQ(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T2_PIO_I) << "sent, its reply awaited";
    ASSERT_TRUE(f.list.statusCodes.empty());

    f.port.ClosePort(); // the adapter pulled
    for (int i = 0; i < 3; ++i) {
        f.doc.Timer1_Tick();
    }
    EXPECT_EQ(f.list.statusCodes, std::vector<int>({KVN_RPY_FAILURE}));
}

TEST_F(SheetCommit, CommitOfAUnitDeletedBeforeItsTurnIsReportedAsFailedAndScanningGoesOn) {
    const SheetTicket sheet = f.doc.OpenSheetTicket(0, 4);
    UntilAnswered(5);
    f.doc.Timer1_Tick(); // scan of unit 3 in flight
    ASSERT_TRUE(f.doc.ApplyFromSheet(sheet, US_STANDBY));
    f.doc.DeleteKilnRecord(0, 1, 4);
    f.Reply(StatusReply(3));
    f.doc.Timer1_Tick();
    EXPECT_TRUE(Commits().empty());
    EXPECT_EQ(f.list.statusCodes.back(), KVN_RPY_FAILURE);
    EXPECT_NE(f.frame.Last().find("TT_KVN_T1_PIO_O"), std::string::npos)
        << "the same tick goes on scanning: " << f.frame.Last();
    EXPECT_NE(DocProbe(f.doc).TransactionTypeNow(), TT_KVN_T2_PIO_I);
}

TEST(PortLost, DisconnectsTheFarmAsTheDisconnectCommandDoesAndSilencesTheTone) {
    AlarmFarm f({3});
    f.alarmBits[3] = alarm_farm::kHighAlarm;
    f.Ticks(3);
    ASSERT_TRUE(f.doc.ToneSounding());
    ASSERT_TRUE(f.doc.PcLog(0).IsLogFileOpen() || DocProbe(f.doc).LogDescriptorPromptOpen() ||
                !DocProbe(f.doc).PcLoggingEnabled());

    f.port.open = false;
    f.doc.FarmPortLost();
    EXPECT_FALSE(f.doc.Farm(0).m_bFarmIsConnected);
    EXPECT_FALSE(f.doc.AnyAlarm());
    EXPECT_FALSE(f.doc.ToneSounding());
    EXPECT_EQ(f.speaker.ops.back(), (RecordingSpeaker::Op{RecordingSpeaker::Op::Gate, 0}));
    EXPECT_TRUE(f.doc.Farm(0).m_queue.IsEmpty());
    EXPECT_FALSE(f.doc.PcLog(0).IsLogFileOpen());
    EXPECT_FALSE(f.doc.PcLog(0).IsMirrorOpen());
    ASSERT_FALSE(f.tree.events.empty());
    EXPECT_EQ(f.tree.events.back(), std::make_pair(false, 0));
    EXPECT_EQ(f.doc.Farm(0).Unit(2)->m_iCuringMethod, 0) << "its line shows ~";
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.frame.Last(), "NOT CONNECTED");
    EXPECT_EQ(DocProbe(f.doc).ReconnectFarm(), -1)
        << "no interval set: the farm stays disconnected";
}

TEST(PortLost, ReconnectsAfterTheIntervalSayingSoAndRetriesAMissingPort) {
    EngineFixture f;
    ConfigureUnits(f.doc.Farm(1), {3});
    f.doc.SetReconnectSeconds(3);
    f.doc.FarmConnect(1);
    f.doc.Timer1_Tick();
    f.port.open = false;
    f.doc.FarmPortLost();

    f.port.openSucceeds = false;
    std::vector<std::string> shown;
    for (int i = 0; i < 4; ++i) {
        f.doc.Timer1_Tick();
        shown.push_back(f.frame.Last());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"NOT CONNECTED", "Reconnecting to Group 2 in 3 s",
                                               "Reconnecting to Group 2 in 2 s",
                                               "Reconnecting to Group 2 in 1 s"}));
    f.doc.Timer1_Tick();
    EXPECT_EQ(f.frame.Last(), "UNABLE TO OPEN THE PORT");
    EXPECT_EQ(DocProbe(f.doc).ReconnectFarm(), 1) << "a missing port is tried again";

    f.port.openSucceeds = true;
    for (int i = 0; i < 4 && !f.doc.Farm(1).m_bFarmIsConnected; ++i) {
        f.doc.Timer1_Tick();
    }
    EXPECT_TRUE(f.doc.Farm(1).m_bFarmIsConnected);
    EXPECT_EQ(DocProbe(f.doc).ReconnectFarm(), -1);

    // The operator's own disconnect is not undone.
    f.doc.fARMdISCONNECT(1);
    for (int i = 0; i < 6; ++i) {
        f.doc.Timer1_Tick();
    }
    EXPECT_FALSE(f.doc.Farm(1).m_bFarmIsConnected);
}
