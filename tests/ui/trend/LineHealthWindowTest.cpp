#include "trend/qt/LineHealthWindow.h"
#include "system/FarmHarness.h"
#include "trend/qt/LineHealthModel.h"

#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QTableView>

#include <gtest/gtest.h>

namespace {

farmsim::FarmConfig FourUnitsOneSilent() {
    farmsim::FarmConfig config;
    for (const int node : {2, 5, 6, 9}) {
        farmsim::UnitConfig unit;
        unit.nodeId = node;
        unit.idCode = static_cast<std::uint8_t>(node);
        unit.mode = farmsim::Mode::Run;
        unit.silent = node == 6;
        config.units.push_back(unit);
    }
    config.seed = 15;
    return config;
}

QString Cell(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column)).toString();
}

} // namespace

TEST(LineHealthWindow, ShowsEveryUnitWithTheSilentOneOnTop) {
    FarmHarness h(FourUnitsOneSilent(), 15);
    h.ConfigureFarm();
    h.Doc().FarmConnect(0);
    h.RunTicks(90);

    LineHealthWindow window(h.Doc(), Language::English);
    const QAbstractItemModel& rows = window.SortedModel();
    ASSERT_EQ(rows.rowCount(), 4);
    EXPECT_EQ(Cell(rows, 0, LineHealthModel::Unit), "006");
    EXPECT_EQ(Cell(rows, 0, LineHealthModel::State), "Failing");
    EXPECT_EQ(Cell(rows, 0, LineHealthModel::Good), "0");
    EXPECT_EQ(Cell(rows, 0, LineHealthModel::LastGood), "--");
    const UnitLineHealth* silent = h.Doc().Health().Unit(6);
    ASSERT_NE(silent, nullptr);
    EXPECT_EQ(Cell(rows, 0, LineHealthModel::Polls), QString::number(silent->polls));
    EXPECT_EQ(Cell(rows, 0, LineHealthModel::GiveUps), QString::number(silent->giveUps));
    EXPECT_GE(silent->giveUps, 2u);
    for (int row = 1; row < 4; ++row) {
        EXPECT_EQ(Cell(rows, row, LineHealthModel::State), "OK");
    }
    EXPECT_EQ(rows.headerData(LineHealthModel::GiveUps, Qt::Horizontal).toString(), "Given up");
    EXPECT_FALSE(window.Table().accessibleName().isEmpty());
    EXPECT_TRUE(window.isWindow());
}

TEST(LineHealthWindow, LiveRefreshChangesValuesWithoutRebuildingRows) {
    FarmHarness h(FourUnitsOneSilent(), 15);
    h.ConfigureFarm();
    h.Doc().FarmConnect(0);
    h.RunTicks(30);
    LineHealthWindow window(h.Doc(), Language::English);
    const QString before = Cell(window.Model(), 0, LineHealthModel::Polls);

    QSignalSpy resets(&window.Model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(&window.Model(), &QAbstractItemModel::dataChanged);
    h.RunTicks(30);
    window.Refresh();
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_NE(Cell(window.Model(), 0, LineHealthModel::Polls), before);

    // A new connection to a farm with other units rebuilds the rows.
    LineHealth other;
    other.Reset({1});
    window.Model().Refresh(other, 0);
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(window.Model().rowCount(), 1);
}

TEST(LineHealthWindow, SortsByAnyColumnNumerically) {
    LineHealth health;
    health.Reset({3, 10, 200});
    for (int i = 0; i < 12; ++i) {
        health.PollSent(3);
    }
    for (int i = 0; i < 9; ++i) {
        health.PollSent(200);
    }
    health.PollSent(10);
    LineHealthModel model(Language::English);
    model.Refresh(health, 0);
    QSortFilterProxyModel sorted;
    sorted.setSourceModel(&model);
    sorted.setSortRole(LineHealthModel::SortRole);
    sorted.sort(LineHealthModel::Polls, Qt::DescendingOrder);
    EXPECT_EQ(Cell(sorted, 0, LineHealthModel::Unit), "003");
    EXPECT_EQ(Cell(sorted, 1, LineHealthModel::Unit), "200") << "9 sorts below 12 as a number";
    EXPECT_EQ(Cell(sorted, 2, LineHealthModel::Unit), "010");
}

TEST(LineHealthWindow, SpeaksSpanish) {
    LineHealth health;
    health.Reset({1});
    health.PollSent(1);
    health.NoValidReply(1);
    LineHealthModel model(Language::Spanish);
    model.Refresh(health, 0);
    EXPECT_EQ(model.headerData(LineHealthModel::Refused, Qt::Horizontal, Qt::DisplayRole),
              "Rechazadas");
    EXPECT_EQ(Cell(model, 0, LineHealthModel::State), "Falla");
    EXPECT_TRUE(model.data(model.index(0, 0), Qt::ToolTipRole).toString().startsWith("L"));
    EXPECT_FALSE(
        model.data(model.index(0, LineHealthModel::ColumnCount), Qt::DisplayRole).isValid());
}
