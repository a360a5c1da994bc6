// Arbitrary status payloads through the decoder and every display conversion of its result.

#include "FuzzCheck.h"
#include "app/CTreeListDoc.h"
#include "app/StringTable.h"
#include "kiln/KilnDecoding.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static CTreeListDoc* const doc = new CTreeListDoc(Language::English);

    const std::vector<std::uint8_t> payload(data, data + size);
    KilnRecord record;
    const bool decoded = doc->KVN_To_PC(record, std::span<const std::uint8_t>(payload));
    FUZZ_CHECK(decoded == (size >= static_cast<std::size_t>(kDecodedPayloadBytes)));
    if (!decoded) {
        FUZZ_CHECK(record == KilnRecord{});
        return 0;
    }

    FUZZ_CHECK(record.m_iUnitStatus == US_STANDBY || record.m_iUnitStatus == US_RUN ||
               record.m_iUnitStatus == US_SETUP);
    FUZZ_CHECK(record.m_iOperationalMode == record.m_iUnitStatus);
    FUZZ_CHECK(record.m_iAlarmStatus >= AS_NORMAL && record.m_iAlarmStatus <= AS_HIGH);
    FUZZ_CHECK(record.m_iUnitStatus == US_RUN || record.m_iAlarmStatus == AS_NORMAL);
    FUZZ_CHECK(record.m_bHeaterOn == 0 || record.m_bHeaterOn == 1);
    FUZZ_CHECK(record.m_bCentigrade == 0 || record.m_bCentigrade == 1);
    FUZZ_CHECK(record.m_iCuringMethod == CM_AH && record.m_bDamperControlAuto == 1);
    FUZZ_CHECK(std::isfinite(record.m_fHours) && std::isfinite(record.m_fAdvanceRate));
    FUZZ_CHECK(record.m_fAdvanceRate >= 0.0f && record.m_fAdvanceRate <= 4.0f);

    const bool centigrade = record.m_bCentigrade != 0;
    for (const std::uint16_t word : record.m_wRtd) {
        const auto raw = static_cast<std::int16_t>(word);
        const std::int16_t shown = ConvertRawTemperature(true, centigrade, raw);
        const std::int16_t difference = ConvertRawTemperature(false, centigrade, raw);
        FUZZ_CHECK(shown >= -1700 && shown <= 1700);
        FUZZ_CHECK(difference >= -1700 && difference <= 1700);
        (void)HasValidReading(raw);
    }
    FUZZ_CHECK(
        !StringTable::Text(Language::Spanish, UnitStatusTextId(record.m_iUnitStatus)).empty());
    FUZZ_CHECK(
        !StringTable::Text(Language::English, OperationalModeTextId(record.m_iOperationalMode))
             .empty());
    FUZZ_CHECK(
        !StringTable::Text(Language::English, AlarmStatusTextId(record.m_iAlarmStatus)).empty());

    // Decoding the same bytes into a used record gives the same record.
    KilnRecord again = record;
    again.m_wRtd[1] ^= 0x5555;
    DecodeStatusReply(again, payload.data());
    FUZZ_CHECK(again == record);
    return 0;
}
