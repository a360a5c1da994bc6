#include "kiln/KilnDecoding.h"
#include "app/StringTable.h"
#include "support/StatusReply.h"

#include <gtest/gtest.h>

using testframes::PutWord;
using testframes::Reply60;
using testframes::StatusReply;

namespace {

KilnRecord Decode(const Reply60& reply, KilnRecord record = {}) {
    DecodeStatusReply(record, reply.data() + 2);
    return record;
}

Reply60 WithModeAndStatusBits(std::uint8_t mode, std::uint8_t statusBits) {
    Reply60 reply = StatusReply(9);
    reply[4] = mode;
    reply[41] = statusBits;
    return reply;
}

} // namespace

TEST(StatusDecoding, HighAlarmWinsOverLowWhileRunning) {
    const KilnRecord both = Decode(WithModeAndStatusBits(0xA3, 0x0C));
    EXPECT_EQ(both.m_iUnitStatus, US_RUN);
    EXPECT_EQ(both.m_iOperationalMode, US_RUN);
    EXPECT_EQ(both.m_iAlarmStatus, AS_HIGH);
    EXPECT_EQ(Decode(WithModeAndStatusBits(0xA3, 0x08)).m_iAlarmStatus, AS_LOW);
    EXPECT_EQ(Decode(WithModeAndStatusBits(0xA3, 0x02)).m_iAlarmStatus, AS_NORMAL);
}

TEST(StatusDecoding, AlarmBitsMeanNothingOutsideRun) {
    const KilnRecord standby = Decode(WithModeAndStatusBits(0x3A, 0x0C));
    EXPECT_EQ(standby.m_iUnitStatus, US_STANDBY);
    EXPECT_EQ(standby.m_iAlarmStatus, AS_NORMAL);

    const KilnRecord setup = Decode(WithModeAndStatusBits(0x5C, 0x0C));
    EXPECT_EQ(setup.m_iUnitStatus, US_SETUP);
    EXPECT_EQ(setup.m_iOperationalMode, US_SETUP);
    EXPECT_EQ(setup.m_iAlarmStatus, AS_NORMAL);

    // Unknown mode codes are Standby.
    EXPECT_EQ(Decode(WithModeAndStatusBits(0x00, 0x0C)).m_iUnitStatus, US_STANDBY);
    EXPECT_EQ(Decode(WithModeAndStatusBits(0xA4, 0x0C)).m_iUnitStatus, US_STANDBY);
}

TEST(StatusDecoding, HoursAreSignedTenths) {
    Reply60 reply = StatusReply(3);
    PutWord(reply, 34, 0xFFF6);
    EXPECT_FLOAT_EQ(Decode(reply).m_fHours, -1.0f);
    PutWord(reply, 34, 0x8000);
    EXPECT_FLOAT_EQ(Decode(reply).m_fHours, -3276.8f);
    PutWord(reply, 34, 6);
    EXPECT_FLOAT_EQ(Decode(reply).m_fHours, 0.6f);
}

TEST(StatusDecoding, RtdThreeComesBeforeRtdTwoOnTheWire) {
    Reply60 reply = StatusReply(3);
    PutWord(reply, 44, 0x0101);
    PutWord(reply, 46, 0x0303);
    PutWord(reply, 48, 0x0202);
    PutWord(reply, 50, 0x0404);
    const KilnRecord record = Decode(reply);
    EXPECT_EQ(record.m_wRtd, (std::array<std::uint16_t, 4>{0x0101, 0x0202, 0x0303, 0x0404}));
}

TEST(StatusDecoding, TakesTheRemainingFieldsFromTheirOffsets) {
    Reply60 reply = StatusReply(3);
    reply[2] = 117;
    reply[5] = 0xFF; // only bit 0 is the units flag
    PutWord(reply, 6, 0x1234);
    reply[9] = 4;
    PutWord(reply, 10, 1800);
    PutWord(reply, 12, 2100);
    reply[41] = 0x02;
    const KilnRecord record = Decode(reply);
    EXPECT_EQ(record.m_byIdentificationCode, 117);
    EXPECT_EQ(record.m_bCentigrade, 1);
    EXPECT_EQ(record.m_wElapsedTenths, 0x1234);
    EXPECT_EQ(record.m_nAdvanceRateIndex, 4);
    EXPECT_FLOAT_EQ(record.m_fAdvanceRate, 1.1f);
    EXPECT_EQ(record.m_wWetBulbSetpoint, 1800);
    EXPECT_EQ(record.m_wDryBulbStart, 2100);
    EXPECT_EQ(record.m_bHeaterOn, 1);
    EXPECT_EQ(record.m_iCuringMethod, CM_AH);
    EXPECT_EQ(record.m_bDamperControlAuto, 1);

    reply[5] = 0xFE;
    reply[41] = 0xFD;
    const KilnRecord fahrenheit = Decode(reply);
    EXPECT_EQ(fahrenheit.m_bCentigrade, 0);
    EXPECT_FLOAT_EQ(fahrenheit.m_fAdvanceRate, 2.0f);
    EXPECT_EQ(fahrenheit.m_bHeaterOn, 0);
}

TEST(StatusDecoding, KeepsAnOutOfRangeRateIndexButShowsNoRate) {
    Reply60 reply = StatusReply(3);
    reply[9] = 200;
    const KilnRecord record = Decode(reply);
    EXPECT_EQ(record.m_nAdvanceRateIndex, 200);
    EXPECT_EQ(record.m_fAdvanceRate, 0.0f);
}

TEST(StatusDecoding, ANullReplyChangesNothing) {
    KilnRecord record;
    record.m_iUnitStatus = US_RUN;
    const KilnRecord before = record;
    DecodeStatusReply(record, nullptr);
    EXPECT_EQ(record, before);
}

TEST(TemperatureConversion, FahrenheitRoundsHalfUpInIntegers) {
    EXPECT_EQ(ConvertRawTemperature(true, false, 2640), 132);
    EXPECT_EQ(ConvertRawTemperature(true, false, 2629), 131);
    EXPECT_EQ(ConvertRawTemperature(true, false, 2630), 132);
    EXPECT_EQ(ConvertRawTemperature(true, false, -15), 0);
    EXPECT_EQ(ConvertRawTemperature(true, false, -40), -1);
    EXPECT_EQ(ConvertRawTemperature(true, false, kRawNoReading), 212);
    // A difference in Fahrenheit is the same arithmetic.
    EXPECT_EQ(ConvertRawTemperature(false, false, 2640), 132);
}

TEST(TemperatureConversion, CentigradeShiftsAbsoluteValuesAndTruncatesTowardZero) {
    EXPECT_EQ(ConvertRawTemperature(true, true, 2640), 56);
    EXPECT_EQ(ConvertRawTemperature(true, true, 640), 0);
    EXPECT_EQ(ConvertRawTemperature(true, true, kRawNoReading), 100);
    EXPECT_EQ(ConvertRawTemperature(false, true, 20), 1);
    EXPECT_EQ(ConvertRawTemperature(false, true, 17), 0);
    // -17.78 + 0.5 truncates to -17, not down to -18.
    EXPECT_EQ(ConvertRawTemperature(true, true, 0), -17);
    // The extremes of the raw word stay within range.
    EXPECT_EQ(ConvertRawTemperature(true, true, INT16_MIN), -927);
    EXPECT_EQ(ConvertRawTemperature(true, true, INT16_MAX), 892);
}

TEST(TemperatureConversion, ReadingsAboveTheLimitAreInvalid) {
    EXPECT_TRUE(HasValidReading(4240));
    EXPECT_FALSE(HasValidReading(4241));
    EXPECT_FALSE(HasValidReading(INT16_MAX));
    EXPECT_TRUE(HasValidReading(static_cast<std::int16_t>(0x8000)));
}

TEST(AdvanceRate, PicksTheTableOfTheUnitsUnits) {
    EXPECT_FLOAT_EQ(AdvanceRateFromIndex(false, 0), 0.0f);
    EXPECT_FLOAT_EQ(AdvanceRateFromIndex(false, 1), 0.5f);
    EXPECT_FLOAT_EQ(AdvanceRateFromIndex(false, 8), 4.0f);
    EXPECT_FLOAT_EQ(AdvanceRateFromIndex(true, 3), 0.8f);
    EXPECT_FLOAT_EQ(AdvanceRateFromIndex(true, 8), 2.2f);
}

TEST(AdvanceRate, IndexOutsideTheTableGivesZero) {
    for (std::int16_t index : {-1, 9, 255, INT16_MIN, INT16_MAX}) {
        EXPECT_EQ(AdvanceRateFromIndex(false, index), 0.0f) << index;
        EXPECT_EQ(AdvanceRateFromIndex(true, index), 0.0f) << index;
    }
}

TEST(RecordTexts, StatusTextsInBothLanguages) {
    const StringTable english(Language::English);
    const StringTable spanish(Language::Spanish);
    EXPECT_EQ(english.Get(UnitStatusTextId(0)), "Standby");
    EXPECT_EQ(english.Get(UnitStatusTextId(4)), "Run");
    EXPECT_EQ(english.Get(UnitStatusTextId(5)), "Setup");
    EXPECT_EQ(spanish.Get(UnitStatusTextId(0)), "La reserva");
    EXPECT_EQ(spanish.Get(UnitStatusTextId(4)), "Corra");
    EXPECT_EQ(spanish.Get(UnitStatusTextId(5)), "Arreglo");
    for (int status : {1, 2, 3, 6, -1}) {
        EXPECT_EQ(UnitStatusTextId(status), 0);
        EXPECT_EQ(OperationalModeTextId(status), 0);
        EXPECT_EQ(english.Get(UnitStatusTextId(status)), "");
    }
}

TEST(RecordTexts, OperationalModeTextsAreTheUpperCaseCompanions) {
    const StringTable english(Language::English);
    const StringTable spanish(Language::Spanish);
    EXPECT_EQ(english.Get(OperationalModeTextId(0)), "STANDBY");
    EXPECT_EQ(english.Get(OperationalModeTextId(4)), "RUN");
    EXPECT_EQ(english.Get(OperationalModeTextId(5)), "SETUP");
    EXPECT_EQ(spanish.Get(OperationalModeTextId(0)), "LA RESERVA");
    EXPECT_EQ(spanish.Get(OperationalModeTextId(4)), "CORRA");
    EXPECT_EQ(spanish.Get(OperationalModeTextId(5)), "ARREGLO");
}

TEST(RecordTexts, AlarmMethodHeaterDamperAndCaptions) {
    const StringTable english(Language::English);
    EXPECT_EQ(english.Get(AlarmStatusTextId(0)), "Normal");
    EXPECT_EQ(english.Get(AlarmStatusTextId(1)), "Low");
    EXPECT_EQ(english.Get(AlarmStatusTextId(2)), "High");
    EXPECT_EQ(AlarmStatusTextId(3), 0);
    EXPECT_EQ(english.Get(CuringMethodTextId(1)), "AH");
    EXPECT_EQ(english.Get(CuringMethodTextId(2)), "DT");
    EXPECT_EQ(CuringMethodTextId(0), 0);
    EXPECT_EQ(english.Get(HeaterTextId(0)), "Off");
    EXPECT_EQ(english.Get(HeaterTextId(1)), "On");
    EXPECT_EQ(StringTable(Language::Spanish).Get(HeaterTextId(1)), "En");
    EXPECT_EQ(english.Get(DamperControlTextId(0)), "Manual");
    EXPECT_EQ(english.Get(DamperControlTextId(1)), "Auto");
    EXPECT_EQ(english.Get(TemperatureCaptionTextId(2, false)), "Core Temperature 3 (°F):");
    EXPECT_EQ(english.Get(TemperatureCaptionTextId(3, true)), "Chamber Temperature (°C):");
    EXPECT_EQ(TemperatureCaptionTextId(4, true), 0);
}

TEST(UnitsChange, ClearsOnlyTheTwoSetpoints) {
    KilnRecord record = [] {
        KilnRecord r;
        DecodeStatusReply(r, StatusReply(4).data() + 2);
        r.m_wWetBulbSetpoint = 1500;
        r.m_wDryBulbStart = 1600;
        return r;
    }();
    KilnRecord expected = record;
    expected.m_wWetBulbSetpoint = 0;
    expected.m_wDryBulbStart = 0;
    ClearTemperatureSetpoints(record);
    EXPECT_EQ(record, expected);
}
