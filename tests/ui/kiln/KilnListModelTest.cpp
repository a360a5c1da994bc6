#include "kiln/qt/KilnListModel.h"
#include "ui/kiln/ListTestRecords.h"

#include <QFont>
#include <QIcon>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace listtest;

namespace {

QString Text(const KilnListModel& model, int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
}

} // namespace

TEST(KilnListRows, RowsFollowNodeOrderWhateverTheInsertOrder) {
    KilnListModel model(Language::English);
    model.InsertLine(8, Running(9));
    model.InsertLine(2, Running(3));
    model.InsertLine(6, Running(7));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(Text(model, 0, 0), " 003");
    EXPECT_EQ(Text(model, 1, 0), " 007");
    EXPECT_EQ(Text(model, 2, 0), " 009");
    EXPECT_EQ(model.ItemOfNode(6), 1);
    EXPECT_EQ(model.NodeIndexOfItem(2), 8);
    EXPECT_EQ(model.NodeIndexOfItem(3), -1);
    EXPECT_EQ(model.NodeIndexOfItem(-1), -1);

    model.RemoveLine(2);
    EXPECT_EQ(model.ItemOfNode(6), 0);
    EXPECT_EQ(model.NodeIndexOfItem(1), 8);
    EXPECT_FALSE(model.IsShown(2));
}

TEST(KilnListRows, NodeIndicesOutsideTheUnitRangeChangeNothing) {
    KilnListModel model(Language::English);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int nodeIndex : {-1, 254, 255, INT32_MIN, INT32_MAX}) {
        model.InsertLine(nodeIndex, Running(1));
        model.ClearLine(nodeIndex, 1);
        EXPECT_FALSE(model.UpdateLine(nodeIndex, Running(1), NoData(1)));
        model.RemoveLine(nodeIndex);
        EXPECT_EQ(model.ItemOfNode(nodeIndex), -1);
        EXPECT_EQ(model.LineOf(nodeIndex), nullptr);
    }
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(inserted.count(), 0);
}

TEST(KilnListRows, ReinsertingAShownLineRewritesItInPlace) {
    KilnListModel model(Language::English);
    model.InsertLine(4, NoData(5));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.InsertLine(4, Running(5));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(Text(model, 0, 2), "Run");
}

TEST(KilnListCells, TheFirstDataAfterNoneRedrawsEveryDataColumn) {
    KilnListModel model(Language::English);
    model.InsertLine(0, NoData(1));
    EXPECT_EQ(Text(model, 0, 17), "~");
    EXPECT_EQ(model.IconOf(0), KilnLineText::kIconNoData);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(model.UpdateLine(0, Running(1), NoData(1)));
    std::set<listtest::Cell> expected;
    for (int column = 1; column < 18; ++column) {
        expected.insert({0, column});
    }
    EXPECT_EQ(ReportedCells(changed, Qt::DisplayRole), expected);
    EXPECT_EQ(ReportedCells(changed, Qt::DecorationRole), RowCells(0, {0}));
    EXPECT_EQ(Text(model, 0, 2), "Run");
    EXPECT_EQ(Text(model, 0, 4), "132");
    EXPECT_EQ(Text(model, 0, 11), "12.5");
    EXPECT_EQ(model.IconOf(0), KilnLineText::kIconNormal);
}

TEST(KilnListCells, OnlyTheChangedTemperatureIsReported) {
    KilnListModel model(Language::English);
    model.InsertLine(2, Running(3));
    model.InsertLine(5, Running(6));
    KilnRecord next = Running(6);
    next.m_wRtd[1] = 2760;
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.UpdateLine(5, next, Running(6));
    EXPECT_EQ(ReportedCells(changed, Qt::DisplayRole), RowCells(1, {5}));
    EXPECT_TRUE(ReportedCells(changed, Qt::DecorationRole).empty()) << "icon left as it is";
    EXPECT_EQ(Text(model, 1, 5), "138");
}

TEST(KilnListCells, AnUnchangedReplyReportsNothing) {
    KilnListModel model(Language::English);
    model.InsertLine(0, Running(1));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.UpdateLine(0, Running(1), Running(1));
    EXPECT_EQ(changed.count(), 0);
}

TEST(KilnListCells, StandbyShowsTildesAfterAnUpdateButValuesWhenInserted) {
    KilnListModel model(Language::English);
    model.InsertLine(0, InStatus(1, US_STANDBY));
    EXPECT_EQ(Text(model, 0, 3), "~");
    EXPECT_EQ(Text(model, 0, 7), "Auto");
    EXPECT_EQ(Text(model, 0, 8), "110");

    model.InsertLine(1, Running(2));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.UpdateLine(1, InStatus(2, US_STANDBY), Running(2));
    EXPECT_EQ(Text(model, 1, 3), "~");
    EXPECT_EQ(Text(model, 1, 7), "~");
    EXPECT_EQ(Text(model, 1, 8), "~");
    EXPECT_EQ(Text(model, 1, 2), "Standby");
    // A status change redraws these even where their text stays the same.
    EXPECT_EQ(ReportedCells(changed, Qt::DisplayRole),
              RowCells(1, {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13}));
}

TEST(KilnListCells, AnUnreadableTemperatureIsStarredOnlyWhenInserted) {
    KilnListModel model(Language::English);
    KilnRecord unreadable = Running(1);
    unreadable.m_wRtd[0] = 4241;
    unreadable.m_wRtd[3] = 4241;
    model.InsertLine(0, unreadable);
    EXPECT_EQ(Text(model, 0, 4), "***");
    EXPECT_EQ(Text(model, 0, 9), "212") << "RTD 4 is always a number";

    KilnRecord first = Running(1);
    first.m_wRtd[0] = 4000;
    model.InsertLine(1, first);
    model.UpdateLine(1, unreadable, first);
    EXPECT_EQ(Text(model, 1, 4), "212");
}

TEST(KilnListCells, ANewAlarmChangesTheIconAndAlarmText) {
    KilnListModel model(Language::English);
    model.InsertLine(0, Running(1));
    KilnRecord alarmed = Running(1);
    alarmed.m_iAlarmStatus = AS_HIGH;
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.UpdateLine(0, alarmed, Running(1));
    EXPECT_EQ(ReportedCells(changed, Qt::DisplayRole), RowCells(0, {3}));
    EXPECT_EQ(ReportedCells(changed, Qt::DecorationRole), RowCells(0, {0}));
    EXPECT_EQ(model.IconOf(0), KilnLineText::kIconAlarm);
    EXPECT_EQ(Text(model, 0, 3), "High");
}

TEST(KilnListCells, AUnitThatStopsAnsweringIsWipedToNoData) {
    KilnListModel model(Language::English);
    model.InsertLine(0, Running(1));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.ClearLine(0, 1);
    EXPECT_EQ(ReportedCells(changed, Qt::DisplayRole).size(), 17u);
    EXPECT_EQ(Text(model, 0, 0), " 001");
    EXPECT_EQ(Text(model, 0, 2), "~");
    EXPECT_EQ(model.IconOf(0), KilnLineText::kIconNoData);
}

TEST(KilnListCells, EveryCellIsReadableByAScreenReaderAndAligned) {
    KilnListModel model(Language::English);
    model.InsertLine(0, Running(1));
    EXPECT_EQ(Text(model, 0, 2, Qt::AccessibleTextRole), "Run");
    EXPECT_FALSE(model.data(model.index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(model.data(model.index(0, 2), Qt::DecorationRole).isValid());
    const auto alignment = [&](int column) {
        return model.data(model.index(0, column), Qt::TextAlignmentRole).toInt() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(0), Qt::AlignLeft);
    EXPECT_EQ(alignment(4), Qt::AlignRight);
    EXPECT_EQ(alignment(7), Qt::AlignLeft);
    EXPECT_EQ(alignment(8), Qt::AlignRight);
    EXPECT_FALSE(model.data(model.index(1, 0)).isValid()) << "no such row";
}

TEST(KilnListCells, TheIconsStateIsAlsoGivenInWords) {
    KilnListModel model(Language::Spanish);
    KilnRecord alarmed = Running(2);
    alarmed.m_iAlarmStatus = AS_LOW;
    model.InsertLine(0, Running(1));
    model.InsertLine(1, alarmed);
    model.InsertLine(2, NoData(3));
    EXPECT_EQ(Text(model, 0, 0, Qt::AccessibleDescriptionRole), "Normal");
    EXPECT_EQ(Text(model, 1, 0, Qt::AccessibleDescriptionRole), "Alarma");
    EXPECT_EQ(Text(model, 2, 0, Qt::ToolTipRole), "Sin datos");
    // The tooltip is the whole line's, wherever the pointer rests on it.
    EXPECT_EQ(Text(model, 1, 4, Qt::ToolTipRole), "Alarma");
}

TEST(KilnListHeaders, EachLanguageNamesTheSixShownColumns) {
    KilnListModel english(Language::English);
    KilnListModel spanish(Language::Spanish);
    const auto header = [](const KilnListModel& model, int column) {
        return model.headerData(column, Qt::Horizontal).toString();
    };
    const QStringList englishTexts = {"WRB ID", "Status", "RTD1", "RTD2", "RTD3", "RTD4"};
    const QStringList spanishTexts = {"#", "La posición", "T1", "T2", "T3", "T4"};
    for (int i = 0; i < 6; ++i) {
        const int column = KilnLineText::kVisibleColumns[static_cast<std::size_t>(i)];
        EXPECT_EQ(header(english, column), englishTexts[i]);
        EXPECT_EQ(header(spanish, column), spanishTexts[i]);
    }
    EXPECT_TRUE(header(english, 1).isEmpty());
    EXPECT_TRUE(header(spanish, 17).isEmpty());
    EXPECT_EQ(english.headerData(4, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
}

TEST(KilnListRows, ShowingAFarmFillsAnEmptyListInOneStep) {
    KilnListModel model(Language::English);
    KilnListView::UnitSlots units;
    units[2] = Running(3);
    units[200] = NoData(201);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.ShowAll(false, units);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(Text(model, 1, 0), " 201");

    // A clear over shown lines keeps them and wipes their data.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.ShowAll(true, units);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(Text(model, 0, 2), "~");
    EXPECT_EQ(Text(model, 0, 0), " 003");
}

TEST(KilnListRows, AnAlarmedLineStandsOutAcrossTheRowUntilTheAlarmEnds) {
    KilnListModel model(Language::English);
    model.InsertLine(4, Running(5));
    EXPECT_FALSE(model.data(model.index(0, 4), Qt::FontRole).isValid());

    KilnRecord alarmed = Running(5);
    alarmed.m_iAlarmStatus = AS_HIGH;
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    ASSERT_TRUE(model.UpdateLine(4, alarmed, Running(5)));
    EXPECT_EQ(model.IconOf(4), KilnLineText::kIconAlarm);
    // Bold on a band of its own in every column, not only the icon's.
    EXPECT_TRUE(model.data(model.index(0, 9), Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(model.data(model.index(0, 9), Qt::BackgroundRole).isValid());
    std::set<Cell> wholeRow;
    for (int column = 0; column < KilnListModel::kColumnCount; ++column) {
        wholeRow.insert({0, column});
    }
    EXPECT_EQ(ReportedCells(changed, Qt::FontRole), wholeRow);

    changed.clear();
    ASSERT_TRUE(model.UpdateLine(4, Running(5), alarmed));
    EXPECT_FALSE(model.data(model.index(0, 9), Qt::FontRole).isValid());
    EXPECT_EQ(ReportedCells(changed, Qt::BackgroundRole), wholeRow);
}

TEST(KilnListRows, ALineWhoseAlarmIsNotAcknowledgedStaysMarkedAfterTheAlarmEnds) {
    KilnListModel model(Language::English);
    std::set<int> unacknowledged{4};
    model.SetUnacknowledgedSource(
        [&](int nodeIndex) { return unacknowledged.count(nodeIndex) > 0; });
    KilnRecord alarmed = Running(5);
    alarmed.m_iAlarmStatus = AS_HIGH;
    model.InsertLine(4, alarmed);
    model.InsertLine(6, Running(7));
    ASSERT_TRUE(model.UpdateLine(4, Running(5), alarmed));

    // The alarm is over: no band, but still in bold, and said so in words.
    EXPECT_EQ(model.IconOf(4), KilnLineText::kIconNormal);
    EXPECT_FALSE(model.data(model.index(0, 9), Qt::BackgroundRole).isValid());
    EXPECT_TRUE(model.data(model.index(0, 9), Qt::FontRole).value<QFont>().bold());
    EXPECT_EQ(Text(model, 0, 0, Qt::AccessibleDescriptionRole), "Normal; Alarm not acknowledged");
    EXPECT_EQ(Text(model, 0, 4, Qt::ToolTipRole), "Normal\nAlarm not acknowledged");
    EXPECT_FALSE(model.data(model.index(1, 9), Qt::FontRole).isValid());

    // Acknowledged: the whole row goes back to plain type; the other line is not touched.
    unacknowledged.clear();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.RefreshUnacknowledged();
    EXPECT_FALSE(model.data(model.index(0, 9), Qt::FontRole).isValid());
    EXPECT_EQ(Text(model, 0, 0, Qt::AccessibleDescriptionRole), "Normal");
    std::set<Cell> wholeRow;
    for (int column = 0; column < KilnListModel::kColumnCount; ++column) {
        wholeRow.insert({0, column});
    }
    EXPECT_EQ(ReportedCells(changed, Qt::FontRole), wholeRow);
    EXPECT_EQ(ReportedCells(changed, Qt::AccessibleDescriptionRole), (std::set<Cell>{{0, 0}}));
    changed.clear();
    model.RefreshUnacknowledged();
    EXPECT_EQ(changed.count(), 0) << "nothing changed, nothing repainted";

    // A line shown again (another farm picked, then this one) asks at once.
    unacknowledged.insert(6);
    model.RemoveAll();
    model.InsertLine(6, Running(7));
    EXPECT_TRUE(model.Unacknowledged(6));
    EXPECT_TRUE(model.data(model.index(0, 2), Qt::FontRole).value<QFont>().bold());
}

TEST(KilnListRows, TooltipGivesTheStateThenWhatTheSourceKnowsOfTheUnit) {
    KilnListModel model(Language::English);
    model.InsertLine(6, Running(7));
    EXPECT_EQ(Text(model, 0, 4, Qt::ToolTipRole), model.StateText(KilnLineText::kIconNormal));
    model.SetTipSource(
        [](int nodeIndex) { return QStringLiteral("node index %1").arg(nodeIndex); });
    EXPECT_EQ(Text(model, 0, 4, Qt::ToolTipRole),
              model.StateText(KilnLineText::kIconNormal) + "\nnode index 6");
}
