#include "kiln/KilnLineText.h"
#include "kiln/KilnDecoding.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Raw temperatures are 1/20 °F from 0 °F.
constexpr std::uint16_t RawF(int fahrenheit) {
    return static_cast<std::uint16_t>(fahrenheit * 20);
}

KilnRecord RunningUnit() {
    KilnRecord r;
    r.m_byIdentificationCode = 7;
    r.m_iUnitStatus = US_RUN;
    r.m_iOperationalMode = US_RUN;
    r.m_iCuringMethod = CM_AH;
    r.m_iAlarmStatus = AS_NORMAL;
    r.m_bDamperControlAuto = 1;
    r.m_wRtd = {RawF(150), RawF(151), RawF(152), RawF(160)};
    r.m_wDryBulbStart = RawF(120);
    r.m_wWetBulbSetpoint = RawF(140);
    r.m_wElapsedTenths = 125;
    r.m_nAdvanceRateIndex = 4;
    r.m_fAdvanceRate = AdvanceRateFromIndex(false, 4);
    return r;
}

std::map<int, std::string> Columns(const KilnLineText::Update& update) {
    std::map<int, std::string> columns;
    for (const auto& [column, text] : update.columns) {
        EXPECT_EQ(columns.count(column), 0u) << "column " << column << " drawn twice";
        columns[column] = text;
    }
    return columns;
}

} // namespace

TEST(KilnLineText, InsertsARunningUnitWithEveryColumn) {
    const KilnLineText texts(Language::English);
    const auto line = texts.Inserted(RunningUnit());
    EXPECT_EQ(line[0], " 007");
    EXPECT_EQ(line[1], "AH");
    EXPECT_EQ(line[2], "Run");
    EXPECT_EQ(line[3], "Normal");
    EXPECT_EQ(line[4], "150");
    EXPECT_EQ(line[5], "151");
    EXPECT_EQ(line[6], "152");
    EXPECT_EQ(line[7], "Auto");
    EXPECT_EQ(line[8], "120");
    EXPECT_EQ(line[9], "160");
    EXPECT_EQ(line[10], "2.0");
    EXPECT_EQ(line[11], "12.5");
    EXPECT_EQ(line[13], "140");
    for (int column : {12, 14, 15, 16, 17}) {
        EXPECT_EQ(line[column], "N/A") << column;
    }
    EXPECT_EQ(KilnLineText::InsertedIcon(RunningUnit()), KilnLineText::kIconNormal);
}

TEST(KilnLineText, ShowsAUnitWithoutDataAsARowOfTildes) {
    KilnRecord r;
    r.m_byIdentificationCode = 254;
    const auto line = KilnLineText(Language::English).Inserted(r);
    EXPECT_EQ(line[0], " 254");
    for (int column = 1; column < KilnLineText::kColumnCount; ++column) {
        EXPECT_EQ(line[column], "~") << column;
    }
    EXPECT_EQ(KilnLineText::InsertedIcon(r), KilnLineText::kIconNoData);
}

TEST(KilnLineText, InsertedLineMarksMissingCoreReadingsButNotTheChamber) {
    KilnRecord r = RunningUnit();
    r.m_wRtd = {4241, 4240, 0xFE70, 4241}; // 0xFE70 is -400: a cold reading, not a missing one
    const auto line = KilnLineText(Language::English).Inserted(r);
    EXPECT_EQ(line[4], "***");
    EXPECT_EQ(line[5], "212");
    EXPECT_EQ(line[6], "-19");
    EXPECT_EQ(line[9], "212");
}

TEST(KilnLineText, ConvertsToTheUnitsOwnCentigrade) {
    KilnRecord r = RunningUnit();
    r.m_bCentigrade = 1;
    r.m_wRtd[0] = 2640;
    r.m_fAdvanceRate = AdvanceRateFromIndex(true, 4);
    const auto line = KilnLineText(Language::English).Inserted(r);
    EXPECT_EQ(line[4], "56");
    EXPECT_EQ(line[10], "1.1");
}

TEST(KilnLineText, StandbyHidesTheAlarmOnInsertAndTheDamperOnUpdate) {
    const KilnLineText texts(Language::English);
    KilnRecord standby = RunningUnit();
    standby.m_iUnitStatus = US_STANDBY;
    const auto line = texts.Inserted(standby);
    EXPECT_EQ(line[2], "Standby");
    EXPECT_EQ(line[3], "~");
    EXPECT_EQ(line[7], "Auto") << "a fresh line shows the damper whatever the status";
    EXPECT_EQ(line[8], "120");

    const auto columns = Columns(texts.Updated(standby, RunningUnit()));
    EXPECT_EQ(columns.at(2), "Standby");
    EXPECT_EQ(columns.at(3), "~");
    EXPECT_EQ(columns.at(7), "~");
    EXPECT_EQ(columns.at(8), "~");
}

TEST(KilnLineText, FirstDataAfterNoneRedrawsEveryColumn) {
    KilnRecord none;
    none.m_byIdentificationCode = 7;
    const KilnLineText texts(Language::English);
    const auto update = texts.Updated(RunningUnit(), none);
    const auto columns = Columns(update);
    EXPECT_EQ(columns.size(), 17u);
    EXPECT_EQ(update.icon, KilnLineText::kIconNormal);

    // Applied over a row of tildes it gives what an insert gives.
    auto line = texts.Inserted(none);
    KilnLineText::Apply(line, update);
    EXPECT_EQ(line, texts.Inserted(RunningUnit()));
}

TEST(KilnLineText, UpdateRedrawsOnlyWhatChanged) {
    const KilnLineText texts(Language::English);
    const KilnRecord old = RunningUnit();
    EXPECT_TRUE(texts.Updated(old, old).columns.empty());
    EXPECT_EQ(texts.Updated(old, old).icon, -1);

    KilnRecord next = old;
    next.m_wRtd[1] = RawF(155);
    next.m_wElapsedTenths = 126;
    const auto columns = Columns(texts.Updated(next, old));
    EXPECT_EQ(columns, (std::map<int, std::string>{{5, "155"}, {11, "12.6"}}));
}

TEST(KilnLineText, UpdateShowsANumberWhereAnInsertShowsStars) {
    const KilnLineText texts(Language::English);
    KilnRecord next = RunningUnit();
    next.m_wRtd[0] = 4241;
    const auto columns = Columns(texts.Updated(next, RunningUnit()));
    EXPECT_EQ(columns.at(4), "212");
}

TEST(KilnLineText, AlarmChangeSetsTheIconAndAlarmText) {
    const KilnLineText texts(Language::English);
    KilnRecord high = RunningUnit();
    high.m_iAlarmStatus = AS_HIGH;
    const auto toHigh = texts.Updated(high, RunningUnit());
    EXPECT_EQ(toHigh.icon, KilnLineText::kIconAlarm);
    EXPECT_EQ(Columns(toHigh), (std::map<int, std::string>{{3, "High"}}));

    const auto back = texts.Updated(RunningUnit(), high);
    EXPECT_EQ(back.icon, KilnLineText::kIconNormal);
    EXPECT_EQ(Columns(back).at(3), "Normal");
}

TEST(KilnLineText, AUnitThatStopsAnsweringIsWipedToTildes) {
    KilnRecord silent;
    silent.m_byIdentificationCode = 7; // the record the scheduler reports for a silent unit
    const auto update = KilnLineText(Language::English).Updated(silent, RunningUnit());
    EXPECT_EQ(update.icon, KilnLineText::kIconNoData);
    auto line = KilnLineText(Language::English).Inserted(RunningUnit());
    KilnLineText::Apply(line, update);
    EXPECT_EQ(line[0], " 007");
    for (int column = 1; column < KilnLineText::kColumnCount; ++column) {
        EXPECT_EQ(line[column], "~") << column;
    }
}

TEST(KilnLineText, AUnitAnsweringAgainAfterATimeOutRedrawsItsReadingsEvenWhenUnchanged) {
    // A time-out wipes the line to "~" but keeps the record's readings: only its curing method
    // and alarm are cleared. The same readings arriving again must still be drawn.
    KilnRecord timedOut = RunningUnit();
    timedOut.m_iCuringMethod = CM_NONE;
    timedOut.m_iAlarmStatus = 0;
    const KilnLineText texts(Language::English);
    const auto columns = Columns(texts.Updated(RunningUnit(), timedOut));
    for (int column : {2, 4, 5, 6, 11, 13}) {
        EXPECT_EQ(columns.count(column), 1u) << "column " << column;
    }

    auto line = texts.Inserted(RunningUnit());
    KilnLineText::Apply(line, KilnLineText::Cleared());
    KilnLineText::Apply(line, texts.Updated(RunningUnit(), timedOut));
    EXPECT_EQ(line, texts.Inserted(RunningUnit()));
}

TEST(KilnLineText, SpanishStatusAndHeaders) {
    const KilnLineText texts(Language::Spanish);
    EXPECT_EQ(texts.Inserted(RunningUnit())[2], "Corra");
    EXPECT_EQ(texts.Header(0), "#");
    EXPECT_EQ(texts.Header(9), "T4");
    EXPECT_EQ(KilnLineText(Language::English).Header(2), "Status");
    EXPECT_EQ(texts.Header(3), "");
}
