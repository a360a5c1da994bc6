#include "kiln/KilnLineText.h"

#include "app/StringTable.h"
#include "kiln/KilnDecoding.h"

#include <cstdio>

namespace {

const char* const kNoData = "~";
const char* const kNotApplicable = "N/A";
const char* const kNoReading = "***";

bool InStandby(const KilnRecord& record) {
    return record.m_iUnitStatus == US_STANDBY;
}

} // namespace

std::string KilnLineText::IdentificationText(std::uint8_t code) {
    char text[8];
    std::snprintf(text, sizeof text, " %03d", static_cast<int>(code));
    return text;
}

std::string KilnLineText::Text(int id) const {
    return StringTable::Text(m_language, id);
}

std::string KilnLineText::StatusText(const KilnRecord& record) const {
    return Text(UnitStatusTextId(record.m_iUnitStatus));
}

std::string KilnLineText::AlarmOrStandbyText(const KilnRecord& record) const {
    return InStandby(record) ? kNoData : Text(AlarmStatusTextId(record.m_iAlarmStatus));
}

std::string KilnLineText::CuringText(const KilnRecord& record) const {
    return Text(record.m_iCuringMethod == CM_AH ? IDS_CURING_AH : IDS_CURING_DT);
}

std::string KilnLineText::DamperText(const KilnRecord& record) const {
    return Text(DamperControlTextId(record.m_bDamperControlAuto));
}

std::string KilnLineText::Temperature(const KilnRecord& record, std::uint16_t raw) {
    const int degrees =
        ConvertRawTemperature(true, record.m_bCentigrade != 0, static_cast<std::int16_t>(raw));
    return std::to_string(degrees);
}

std::string KilnLineText::CheckedTemperature(const KilnRecord& record, std::uint16_t raw) {
    if (!HasValidReading(static_cast<std::int16_t>(raw))) {
        return kNoReading;
    }
    return Temperature(record, raw);
}

std::string KilnLineText::Tenths(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%0.1f", value);
    return text;
}

int KilnLineText::InsertedIcon(const KilnRecord& record) {
    if (record.m_iCuringMethod == CM_NONE) {
        return kIconNoData;
    }
    return record.m_iAlarmStatus == AS_NORMAL ? kIconNormal : kIconAlarm;
}

int KilnLineText::UpdatedIcon(const KilnRecord& record) {
    switch (record.m_iAlarmStatus) {
    case AS_NORMAL:
        return kIconNormal;
    case AS_LOW:
    case AS_HIGH:
        return kIconAlarm;
    default:
        return kIconNoData;
    }
}

KilnLineText::Line KilnLineText::Inserted(const KilnRecord& record) const {
    Line line;
    line[0] = IdentificationText(record.m_byIdentificationCode);
    if (record.m_iCuringMethod == CM_NONE) {
        for (int column = 1; column < kColumnCount; ++column) {
            line[column] = kNoData;
        }
        return line;
    }
    line[1] = CuringText(record);
    line[2] = StatusText(record);
    line[3] = AlarmOrStandbyText(record);
    for (int rtd = 0; rtd < 3; ++rtd) {
        line[4 + rtd] = CheckedTemperature(record, record.m_wRtd[rtd]);
    }
    line[7] = DamperText(record);
    line[8] = Temperature(record, record.m_wDryBulbStart);
    line[9] = Temperature(record, record.m_wRtd[3]);
    line[10] = Tenths(record.m_fAdvanceRate);
    line[11] = Tenths(record.m_wElapsedTenths / 10.0);
    line[12] = kNotApplicable;
    line[13] = Temperature(record, record.m_wWetBulbSetpoint);
    for (int column = 14; column < kColumnCount; ++column) {
        line[column] = kNotApplicable;
    }
    return line;
}

KilnLineText::Update KilnLineText::Cleared() {
    Update update;
    for (int column = 1; column < kColumnCount; ++column) {
        update.columns.emplace_back(column, kNoData);
    }
    update.icon = kIconNoData;
    return update;
}

KilnLineText::Update KilnLineText::Updated(const KilnRecord& n, const KilnRecord& o) const {
    if (n.m_iCuringMethod != CM_AH && n.m_iCuringMethod != CM_DT) {
        return Cleared();
    }
    Update update;
    auto& columns = update.columns;
    const bool statusChanged = n.m_iUnitStatus != o.m_iUnitStatus;
    const bool firstData = o.m_iCuringMethod == CM_NONE;
    const bool standby = InStandby(n);

    // Damper and dry-bulb START mean nothing to a unit in Standby.
    const auto damper = [&] { return standby ? std::string(kNoData) : DamperText(n); };
    const auto dryBulbStart = [&] {
        return standby ? std::string(kNoData) : Temperature(n, n.m_wDryBulbStart);
    };

    if (n.m_iCuringMethod == o.m_iCuringMethod) {
        if (statusChanged || n.m_iAlarmStatus != o.m_iAlarmStatus) {
            update.icon = UpdatedIcon(n);
            columns.emplace_back(3, AlarmOrStandbyText(n));
        }
        if (n.m_iCuringMethod == CM_AH) {
            if (statusChanged || n.m_bDamperControlAuto != o.m_bDamperControlAuto) {
                columns.emplace_back(7, damper());
            }
            if (statusChanged || n.m_wDryBulbStart != o.m_wDryBulbStart) {
                columns.emplace_back(8, dryBulbStart());
            }
            if (statusChanged || n.m_wRtd[3] != o.m_wRtd[3]) {
                columns.emplace_back(9, Temperature(n, n.m_wRtd[3]));
            }
            if (statusChanged || n.m_nAdvanceRateIndex != o.m_nAdvanceRateIndex) {
                columns.emplace_back(10, Tenths(n.m_fAdvanceRate));
            }
        }
    } else {
        update.icon = UpdatedIcon(n);
        columns.emplace_back(3, AlarmOrStandbyText(n));
        columns.emplace_back(1, CuringText(n));
        columns.emplace_back(7, damper());
        columns.emplace_back(8, dryBulbStart());
        columns.emplace_back(9, Temperature(n, n.m_wRtd[3]));
        columns.emplace_back(10, Tenths(n.m_fAdvanceRate));
        columns.emplace_back(12, kNotApplicable);
        for (int column = 14; column < kColumnCount; ++column) {
            columns.emplace_back(column, kNotApplicable);
        }
    }

    const bool redrawAll = statusChanged || firstData;
    if (redrawAll) {
        columns.emplace_back(2, StatusText(n));
    }
    for (int rtd = 0; rtd < 3; ++rtd) {
        if (redrawAll || n.m_wRtd[rtd] != o.m_wRtd[rtd]) {
            columns.emplace_back(4 + rtd, Temperature(n, n.m_wRtd[rtd]));
        }
    }
    if (redrawAll || n.m_wElapsedTenths != o.m_wElapsedTenths) {
        columns.emplace_back(11, Tenths(n.m_wElapsedTenths / 10.0));
    }
    if (redrawAll || n.m_wWetBulbSetpoint != o.m_wWetBulbSetpoint) {
        columns.emplace_back(13, Temperature(n, n.m_wWetBulbSetpoint));
    }
    return update;
}

void KilnLineText::Apply(Line& line, const Update& update) {
    for (const auto& [column, text] : update.columns) {
        if (column >= 0 && column < kColumnCount) {
            line[static_cast<std::size_t>(column)] = text;
        }
    }
}

std::string KilnLineText::Header(int column) const {
    switch (column) {
    case 0:
        return Text(IDS_COLUMN_ID);
    case 2:
        return Text(IDS_COLUMN_STATUS);
    case 4:
        return Text(IDS_COLUMN_RTD1);
    case 5:
        return Text(IDS_COLUMN_RTD2);
    case 6:
        return Text(IDS_COLUMN_RTD3);
    case 9:
        return Text(IDS_COLUMN_RTD4);
    default:
        return {};
    }
}
