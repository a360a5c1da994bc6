#pragma once

#include "kiln/KilnDecoding.h"
#include "kiln/KilnRecord.h"

#include <QAbstractItemModel>
#include <QSignalSpy>

#include <set>
#include <utility>

// Hand-made unit records and a reader of the cells a model reported changed, for the kiln
// list tests.
namespace listtest {

// A unit that has answered: curing method AH, Run, alarm normal, readable temperatures
// (raw 2640 = 132 °F).
inline KilnRecord Running(int nodeId) {
    KilnRecord record;
    record.m_byIdentificationCode = static_cast<std::uint8_t>(nodeId);
    record.m_iCuringMethod = CM_AH;
    record.m_iUnitStatus = US_RUN;
    record.m_iAlarmStatus = AS_NORMAL;
    record.m_wRtd = {2640, 2660, 2680, 2700};
    record.m_bDamperControlAuto = 1;
    record.m_wDryBulbStart = 2200;
    record.m_wWetBulbSetpoint = 2100;
    record.m_fAdvanceRate = 1.5f;
    record.m_nAdvanceRateIndex = 3;
    record.m_wElapsedTenths = 125;
    return record;
}

inline KilnRecord InStatus(int nodeId, int status) {
    KilnRecord record = Running(nodeId);
    record.m_iUnitStatus = status;
    return record;
}

// A configured unit that has not answered yet.
inline KilnRecord NoData(int nodeId) {
    KilnRecord record;
    record.m_byIdentificationCode = static_cast<std::uint8_t>(nodeId);
    return record;
}

using Cell = std::pair<int, int>; // row, column

// The cells of every dataChanged report in the spy that carries the given role.
inline std::set<Cell> ReportedCells(const QSignalSpy& spy, int role) {
    std::set<Cell> cells;
    for (const QList<QVariant>& report : spy) {
        const auto topLeft = report.at(0).value<QModelIndex>();
        const auto bottomRight = report.at(1).value<QModelIndex>();
        const auto roles = report.at(2).value<QList<int>>();
        if (!roles.isEmpty() && !roles.contains(role)) {
            continue;
        }
        for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
            for (int column = topLeft.column(); column <= bottomRight.column(); ++column) {
                cells.insert({row, column});
            }
        }
    }
    return cells;
}

inline std::set<Cell> RowCells(int row, std::initializer_list<int> columns) {
    std::set<Cell> cells;
    for (int column : columns) {
        cells.insert({row, column});
    }
    return cells;
}

} // namespace listtest
