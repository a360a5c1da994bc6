#include "app/CTreeListDoc.h"
#include "support/DocProbe.h"
#include "support/StatusReply.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using testframes::StatusReply;

TEST(AlarmBitmap, OneBitPerNodeIndexInWordsOf32) {
    CTreeListDoc doc;
    EXPECT_FALSE(doc.AnyAlarm());
    doc.SetAlarmBit(0, true);
    doc.SetAlarmBit(33, true);
    doc.SetAlarmBit(255, true);
    const std::array<std::uint32_t, 8> expected = {0x1u, 0x2u, 0, 0, 0, 0, 0, 0x80000000u};
    EXPECT_EQ(DocProbe(doc).AlarmBitmap(), expected);
    EXPECT_TRUE(doc.AlarmBit(33));
    EXPECT_FALSE(doc.AlarmBit(32));
    EXPECT_TRUE(doc.AnyAlarm());
}

TEST(AlarmBitmap, ClearingTheLastBitEndsTheAlarm) {
    CTreeListDoc doc;
    doc.SetAlarmBit(100, true);
    doc.SetAlarmBit(101, true);
    doc.SetAlarmBit(100, false);
    EXPECT_TRUE(doc.AnyAlarm());
    EXPECT_TRUE(doc.AlarmBit(101));
    doc.SetAlarmBit(101, false);
    EXPECT_FALSE(doc.AnyAlarm());
}

TEST(AlarmBitmap, IgnoresIndexesOutsideTheBitmap) {
    CTreeListDoc doc;
    for (int index : {-1, 256, 1000, INT32_MIN, INT32_MAX}) {
        doc.SetAlarmBit(index, true);
        EXPECT_FALSE(doc.AlarmBit(index));
    }
    EXPECT_FALSE(doc.AnyAlarm());
}

TEST(DocumentDecoding, DecodesIntoTheGivenRecord) {
    CTreeListDoc doc;
    auto reply = StatusReply(8);
    reply[4] = 0xA3;
    reply[41] = 0x04;
    doc.KVN_To_PC(doc.ScratchRecord(), reply.data() + 2);
    EXPECT_EQ(doc.ScratchRecord().m_iUnitStatus, 4);
    EXPECT_EQ(doc.ScratchRecord().m_iAlarmStatus, 2);
    EXPECT_EQ(doc.ScratchRecord().m_byIdentificationCode, 8);
}

TEST(DocumentDecoding, ASpanTooShortForThePayloadLeavesTheRecordAlone) {
    CTreeListDoc doc;
    const auto reply = StatusReply(8);
    const std::vector<std::uint8_t> payload(reply.begin() + 2, reply.end());
    KilnRecord record;
    EXPECT_FALSE(doc.KVN_To_PC(record, std::span(payload.data(), 49)));
    EXPECT_EQ(record, KilnRecord{});
    EXPECT_TRUE(doc.KVN_To_PC(record, std::span(payload.data(), 50)));
    EXPECT_EQ(record.m_byIdentificationCode, 8);
}

TEST(DocumentDecoding, StartsWithAnEmptyImageAndNoFilledFlag) {
    CTreeListDoc doc;
    EXPECT_FALSE(doc.ImageFilled());
    EXPECT_EQ(doc.RecordImage(), RecordImageBytes{});
    EXPECT_EQ(doc.ScratchRecord(), KilnRecord{});
    doc.SetImageFilled(true);
    EXPECT_TRUE(doc.ImageFilled());
}

TEST(SelectedUnit, FetchingARecordSelectsItsUnit) {
    CTreeListDoc doc;
    FarmRecord& farm = doc.Farm(2);
    farm.m_units[6].emplace();
    farm.m_units[6]->m_byIdentificationCode = 7;
    KilnRecord* record = doc.GetKilnRecord(2, 6);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record, &*farm.m_units[6]);
    EXPECT_EQ(farm.m_iSelectedNode, 7);
    doc.ClearSelectedUnit(2);
    EXPECT_EQ(farm.m_iSelectedNode, 0);
}

TEST(SelectedUnit, AMissingRecordLeavesTheSelectionAlone) {
    CTreeListDoc doc;
    FarmRecord& farm = doc.Farm(1);
    farm.m_units[3].emplace();
    ASSERT_NE(doc.GetKilnRecord(1, 3), nullptr);
    EXPECT_EQ(doc.GetKilnRecord(1, 4), nullptr) << "empty slot";
    for (int nodeIndex : {-1, 254, 255, INT32_MIN, INT32_MAX}) {
        EXPECT_EQ(doc.GetKilnRecord(1, nodeIndex), nullptr) << nodeIndex;
    }
    EXPECT_EQ(farm.m_iSelectedNode, 4);
}

TEST(SelectedUnit, FarmsOutsideTheFourAreNeverReached) {
    CTreeListDoc doc;
    doc.Farm(0).m_units[0].emplace();
    doc.Farm(0).m_iSelectedNode = 9;
    // Index 4 would alias farm 0 if it were only masked.
    EXPECT_EQ(doc.GetKilnRecord(4, 0), nullptr);
    EXPECT_EQ(doc.GetKilnRecord(-4, 0), nullptr);
    doc.ClearSelectedUnit(4);
    doc.ClearSelectedUnit(-1);
    EXPECT_EQ(doc.Farm(0).m_iSelectedNode, 9);
}
