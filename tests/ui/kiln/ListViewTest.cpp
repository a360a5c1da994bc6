#include "app/CTreeListDoc.h"
#include "kiln/qt/CMyListView.h"
#include "kiln/qt/KilnListModel.h"
#include "kiln/qt/PaletteSheetSink.h"
#include "support/EngineFakes.h"
#include "ui/kiln/ListTestRecords.h"
#include "widgets/CFlatHeaderCtrl.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

using namespace listtest;

namespace {

// How many objects under root a screen reader finds by this name.
int AccessibleNamed(QAccessibleInterface* root, const QString& name) {
    int found = root->text(QAccessible::Name) == name ? 1 : 0;
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface* child = root->child(i)) {
            found += AccessibleNamed(child, name);
        }
    }
    return found;
}

class RecordingSheet : public PaletteSheetSink {
public:
    void Refresh(const KilnRecord& record) override { refreshed.push_back(record); }
    void NotifyOfStatus(int replyCode) override { statuses.push_back(replyCode); }
    void NotifyOfStartupScanStatus(bool complete) override { scans.push_back(complete); }
    std::vector<KilnRecord> refreshed;
    std::vector<int> statuses;
    std::vector<bool> scans;
};

// A document in a scratch folder with a list view on it; farm 0 has units at the given node
// IDs, holding the records given.
struct ListFixture {
    explicit ListFixture(Language language = Language::English)
        : doc(language, scratch.Path()), view(doc) {}
    // The view ends first here, so the document lets go of it, as the program's owner would.
    ~ListFixture() { doc.SetKilnListView(nullptr); }

    void AddUnit(int farmIndex, const KilnRecord& record) {
        const int nodeIndex = record.m_byIdentificationCode - 1;
        FarmRecord& farm = doc.Farm(farmIndex);
        farm.m_units[std::size_t(nodeIndex)] = record;
        farm.m_bNodeConfigured[std::size_t(nodeIndex)] = 1;
        ++farm.m_nUnitCount;
        farm.m_iHighestConfiguredIndex = std::max(farm.m_iHighestConfiguredIndex, nodeIndex);
    }
    void Show(int farmIndex) {
        view.nOTIFYoFtREEsELECTION(false, farmIndex, doc.Farm(farmIndex).m_units);
    }

    ScratchDirectory scratch;
    CTreeListDoc doc;
    CMyListView view;
};

QStringList Texts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    return texts;
}

QAction* Command(const QMenu& menu, int command) {
    for (QAction* action : menu.actions()) {
        if (action->menu() != nullptr) {
            if (QAction* inner = Command(*action->menu(), command)) {
                return inner;
            }
        } else if (action->data().toInt() == command) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

TEST(KilnListView, AReplyUpdatesTheLineOfItsNodeAmongOthers) {
    ListFixture f;
    for (int nodeId : {3, 7, 9}) {
        f.AddUnit(0, Running(nodeId));
    }
    f.Show(0);
    ASSERT_EQ(f.view.Model().rowCount(), 3);
    KilnRecord next = Running(7);
    next.m_wRtd[0] = 2700;
    QSignalSpy changed(&f.view.Model(), &QAbstractItemModel::dataChanged);
    f.view.NotifyOfData(0, 0, next, Running(7), 7);
    EXPECT_EQ(ReportedCells(changed, Qt::DisplayRole), RowCells(1, {4}));
    EXPECT_EQ(f.view.NodeIndexOfItem(1), 6);
    EXPECT_EQ(f.view.NodeIndexOfItem(3), 0) << "no such item";
}

TEST(KilnListView, NotificationsThatNoLineCanTakeAreIgnored) {
    ListFixture f;
    f.AddUnit(0, Running(3));
    f.AddUnit(1, Running(4));
    f.Show(0);
    QSignalSpy changed(&f.view.Model(), &QAbstractItemModel::dataChanged);
    QSignalSpy inserted(&f.view.Model(), &QAbstractItemModel::rowsInserted);
    KilnRecord other = Running(3);
    other.m_wRtd[0] = 3000;
    f.view.NotifyOfData(1, 0, other, Running(3), 3);     // retries left
    f.view.NotifyOfData(0, 1, Running(4), NoData(4), 4); // farm not shown
    f.view.NotifyOfData(0, 0, Running(5), NoData(5), 5); // no unit in that slot
    for (int nodeId : {0, 255, 256, -1, INT32_MIN, INT32_MAX}) {
        f.view.NotifyOfData(0, 0, other, Running(3), nodeId);
    }
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(f.view.Model().rowCount(), 1);
}

TEST(KilnListView, AFarmWithAFarmIndexOutsideTheFourIsNeverReadFromTheDocument) {
    ListFixture f;
    KilnListView::UnitSlots units;
    units[0] = Running(1);
    f.view.nOTIFYoFtREEsELECTION(false, 7, units);
    EXPECT_EQ(f.view.Model().rowCount(), 1);
    QSignalSpy changed(&f.view.Model(), &QAbstractItemModel::dataChanged);
    f.view.NotifyOfData(0, 7, InStatus(1, US_STANDBY), Running(1), 1);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(f.view.BuildItemMenu(0, nullptr), nullptr);
}

TEST(KilnListView, AnotherFarmReplacesTheLinesAndTheSameFarmOnlyClears) {
    ListFixture f;
    f.AddUnit(0, Running(3));
    f.AddUnit(1, Running(10));
    f.AddUnit(1, Running(11));
    f.Show(0);
    f.Show(1);
    ASSERT_EQ(f.view.Model().rowCount(), 2);
    EXPECT_EQ(f.view.NodeIndexOfItem(0), 9);

    f.view.nOTIFYoFtREEsELECTION(false, 1, f.doc.Farm(1).m_units);
    EXPECT_EQ(f.view.Model().LineOf(9)->at(2), "Run") << "same farm without clear: untouched";
    f.view.nOTIFYoFtREEsELECTION(true, 1, f.doc.Farm(1).m_units);
    EXPECT_EQ(f.view.Model().LineOf(9)->at(2), "~");
    EXPECT_EQ(f.view.Model().IconOf(9), KilnLineText::kIconNoData);
}

TEST(KilnListView, AUnitAddedToADisconnectedFarmShowsAtOnce) {
    ListFixture f;
    f.AddUnit(0, Running(3));
    f.Show(0);
    ASSERT_TRUE(f.doc.AddKilnRecord(0, 0));
    ASSERT_EQ(f.view.Model().rowCount(), 2);
    EXPECT_EQ(f.view.NodeIndexOfItem(0), 0);
    EXPECT_EQ(f.view.Model().LineOf(0)->at(4), "~");
}

TEST(KilnListMenus, OperateNeedsDataAndStandbyOrRun) {
    ListFixture f;
    f.AddUnit(0, InStatus(1, US_STANDBY));
    f.AddUnit(0, InStatus(2, US_RUN));
    f.AddUnit(0, InStatus(3, US_SETUP));
    f.AddUnit(0, NoData(4));
    f.Show(0);
    const bool expected[] = {true, true, false, false};
    for (int item = 0; item < 4; ++item) {
        std::unique_ptr<QMenu> menu(f.view.BuildItemMenu(item, nullptr));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(Texts(*menu), QStringList({"&Operate", "-", "&Delete", "-", "P&roperties"}));
        EXPECT_EQ(Command(*menu, CMyListView::ID_OPERATE)->isEnabled(), expected[item]) << item;
        EXPECT_TRUE(Command(*menu, CMyListView::ID_DELETE)->isEnabled());
        EXPECT_FALSE(Command(*menu, CMyListView::ID_ITEM_PROPERTIES)->isEnabled());
        EXPECT_EQ(f.doc.Farm(0).m_iSelectedNode, item + 1) << "the unit becomes the selected one";
        EXPECT_EQ(f.view.SelectedItem(), item);
    }
}

TEST(KilnListMenus, DeleteIsGrayedWhileTheFarmIsConnected) {
    ListFixture f;
    f.AddUnit(0, Running(5));
    f.Show(0);
    f.doc.Farm(0).m_bFarmIsConnected = 1;
    std::unique_ptr<QMenu> menu(f.view.BuildItemMenu(0, nullptr));
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(Command(*menu, CMyListView::ID_DELETE)->isEnabled());
    f.view.OnCommand(CMyListView::ID_DELETE);
    EXPECT_NE(f.doc.Farm(0).Unit(4), nullptr) << "not even when the command arrives";
    EXPECT_EQ(f.view.Model().rowCount(), 1);
}

TEST(KilnListMenus, NoLineNoMenu) {
    ListFixture f;
    f.AddUnit(0, Running(5));
    f.Show(0);
    EXPECT_EQ(f.view.BuildItemMenu(1, nullptr), nullptr);
    EXPECT_EQ(f.view.BuildItemMenu(-1, nullptr), nullptr);
    EXPECT_EQ(f.view.SelectedItem(), -1);
    EXPECT_EQ(f.doc.Farm(0).m_iSelectedNode, 0);
}

TEST(KilnListMenus, DeleteRemovesTheUnitAndItsLine) {
    ListFixture f;
    for (int nodeId : {2, 5, 9}) {
        f.AddUnit(0, Running(nodeId));
    }
    f.Show(0);
    std::unique_ptr<QMenu> menu(f.view.BuildItemMenu(1, nullptr));
    Command(*menu, CMyListView::ID_DELETE)->trigger();
    EXPECT_EQ(f.doc.Farm(0).Unit(4), nullptr);
    EXPECT_EQ(f.doc.Farm(0).m_nUnitCount, 2);
    ASSERT_EQ(f.view.Model().rowCount(), 2);
    EXPECT_EQ(f.view.NodeIndexOfItem(1), 8);
    EXPECT_EQ(f.view.SelectedItem(), -1);
    EXPECT_EQ(f.doc.Farm(0).m_iSelectedNode, 0);
}

TEST(KilnListMenus, ACommandForAUnitThatWentAwayDoesNothing) {
    ListFixture f;
    f.AddUnit(0, Running(5));
    f.AddUnit(0, Running(6));
    f.AddUnit(1, Running(5));
    f.Show(0);
    QSignalSpy sheets(&f.view, &CMyListView::paletteSheetRequested);

    std::unique_ptr<QMenu> menu(f.view.BuildItemMenu(0, nullptr));
    f.doc.DeleteKilnRecord(0, 0, 4); // gone while the menu was open
    Command(*menu, CMyListView::ID_OPERATE)->trigger();
    Command(*menu, CMyListView::ID_DELETE)->trigger();
    EXPECT_EQ(sheets.count(), 0);
    EXPECT_NE(f.doc.Farm(0).Unit(5), nullptr) << "the other unit, now item 0, is kept";

    // A slot emptied behind the list's back.
    menu.reset(f.view.BuildItemMenu(0, nullptr));
    f.doc.Farm(0).m_units[5].reset();
    f.view.OnCommand(CMyListView::ID_OPERATE);
    f.view.OnCommand(CMyListView::ID_DELETE);
    EXPECT_EQ(sheets.count(), 0);
    EXPECT_EQ(f.doc.Farm(0).m_nUnitCount, 1) << "nothing deleted twice";
    f.doc.Farm(0).m_units[5] = Running(6);

    menu.reset(f.view.BuildItemMenu(0, nullptr));
    f.Show(1); // the tree switched farms
    Command(*menu, CMyListView::ID_DELETE)->trigger();
    Command(*menu, CMyListView::ID_OPERATE)->trigger();
    EXPECT_EQ(sheets.count(), 0);
    EXPECT_NE(f.doc.Farm(0).Unit(5), nullptr);
    EXPECT_NE(f.doc.Farm(1).Unit(4), nullptr);
}

TEST(KilnListMenus, OperateAndDoubleClickAskForTheSheet) {
    ListFixture f;
    f.AddUnit(0, Running(5));
    f.AddUnit(0, NoData(8));
    f.Show(0);
    QSignalSpy sheets(&f.view, &CMyListView::paletteSheetRequested);
    std::unique_ptr<QMenu> menu(f.view.BuildItemMenu(0, nullptr));
    Command(*menu, CMyListView::ID_OPERATE)->trigger();
    f.view.OpenItem(1); // no data yet: a double click opens it all the same
    f.view.OpenItem(2);
    ASSERT_EQ(sheets.count(), 2);
    EXPECT_EQ(sheets[0], QList<QVariant>({0, 4}));
    EXPECT_EQ(sheets[1], QList<QVariant>({0, 7}));
}

TEST(KilnListMenus, TheBackgroundMenuOffersStylesAndANewKiln) {
    ListFixture f;
    f.Show(2);
    std::unique_ptr<QMenu> menu(f.view.BuildBackgroundMenu(nullptr));
    EXPECT_EQ(Texts(*menu), QStringList({"&View", "-", "Arrange &Icons", "Lin&e up Icons", "-",
                                         "&New", "-", "P&roperties"}));
    const QList<QAction*> top = menu->actions();
    EXPECT_TRUE(top[0]->isEnabled());
    EXPECT_FALSE(top[2]->isEnabled()) << "Arrange Icons";
    EXPECT_FALSE(top[3]->isEnabled());
    EXPECT_FALSE(top[7]->isEnabled());
    EXPECT_EQ(Texts(*top[0]->menu()),
              QStringList({"Lar&ge Icons", "S&mall Icons", "&List", "&Details"}));
    EXPECT_TRUE(Command(*menu, CMyListView::ID_VIEW_DETAILS)->isChecked()) << "the stored 12";
    EXPECT_FALSE(Command(*menu, CMyListView::ID_VIEW_LIST)->isChecked());
    EXPECT_EQ(Texts(*top[5]->menu()), QStringList({"Kiln"}));

    QSignalSpy added(&f.view, &CMyListView::addKilnRequested);
    Command(*menu, CMyListView::ID_NEW_KILN)->trigger();
    ASSERT_EQ(added.count(), 1);
    EXPECT_EQ(added[0][0].toInt(), 2);
}

TEST(KilnListMenus, TheSpanishBuildSpeaksSpanish) {
    ListFixture f(Language::Spanish);
    f.AddUnit(0, Running(5));
    f.Show(0);
    std::unique_ptr<QMenu> item(f.view.BuildItemMenu(0, nullptr));
    EXPECT_EQ(Texts(*item), QStringList({"&Operar", "-", "&Eliminar", "-", "P&ropiedades"}));
    std::unique_ptr<QMenu> background(f.view.BuildBackgroundMenu(nullptr));
    EXPECT_EQ(background->actions()[0]->text(), "La vista");
    EXPECT_EQ(Texts(*background->actions()[0]->menu()),
              QStringList({"Iconos grandes", "Iconos pequeños", "La lista", "Los detalles"}));
    EXPECT_EQ(f.view.Model().headerData(2, Qt::Horizontal).toString(), "La posición");
    EXPECT_EQ(f.view.Model().LineOf(4)->at(2), "Corra");
}

TEST(KilnListStyles, StyleCommandsSwitchBetweenTheReportAndIconViews) {
    ListFixture f;
    EXPECT_EQ(f.view.ListStyle(), CMyListView::Details);
    QSignalSpy changed(&f.view, &CMyListView::listStyleChanged);

    f.view.OnCommand(CMyListView::ID_VIEW_LARGE_ICONS);
    EXPECT_EQ(f.view.ListStyle(), CMyListView::LargeIcons);
    EXPECT_EQ(f.view.IconView().viewMode(), QListView::IconMode);
    EXPECT_EQ(f.view.IconView().iconSize(), QSize(32, 32));
    EXPECT_FALSE(f.view.IconView().isHidden());

    f.view.SetListStyle(CMyListView::SmallIcons);
    EXPECT_EQ(f.view.IconView().iconSize(), QSize(16, 16));
    EXPECT_EQ(f.view.IconView().flow(), QListView::LeftToRight);
    f.view.SetListStyle(CMyListView::List);
    EXPECT_EQ(f.view.IconView().viewMode(), QListView::ListMode);
    EXPECT_EQ(f.view.IconView().flow(), QListView::TopToBottom);
    f.view.SetListStyle(CMyListView::List); // already so: nothing
    f.view.SetListStyle(4);
    f.view.SetListStyle(-1);
    f.view.SetListStyle(CMyListView::Details);
    EXPECT_TRUE(f.view.IconView().isHidden());

    ASSERT_EQ(changed.count(), 4);
    EXPECT_EQ(changed[3][0].toInt(), CMyListView::Details);
    std::unique_ptr<QMenu> menu(f.view.BuildBackgroundMenu(nullptr));
    EXPECT_TRUE(Command(*menu, CMyListView::ID_VIEW_DETAILS)->isChecked());
    f.view.SetListStyle(CMyListView::SmallIcons);
    EXPECT_EQ(f.view.ViewStyleWord(), 4u) << "bits 2-3 = 1, the rest as stored";
}

TEST(KilnListStyles, OnlyTheSixNamedColumnsTakeRoom) {
    for (bool large : {false, true}) {
        EXPECT_EQ(CMyListView::ColumnWidth(0, large), large ? 56 : 48);
        EXPECT_EQ(CMyListView::ColumnWidth(2, large), large ? 75 : 64);
        EXPECT_EQ(CMyListView::ColumnWidth(9, large), large ? 50 : 44);
        EXPECT_EQ(CMyListView::ColumnWidth(1, large), 0);
        EXPECT_EQ(CMyListView::ColumnWidth(18, large), 0);
    }
    ListFixture f;
    for (int column = 0; column < 18; ++column) {
        const bool named = CMyListView::ColumnWidth(column, false) > 0;
        EXPECT_EQ(f.view.DetailsView().isColumnHidden(column), !named) << column;
        if (named) {
            // At least the column's width, and wide enough to show its title whole.
            const int size = f.view.Header().sectionSize(column);
            const QString title = f.view.Model().headerData(column, Qt::Horizontal).toString();
            EXPECT_GE(size, CMyListView::ColumnWidth(column, false)) << column;
            EXPECT_GE(size, f.view.Header().fontMetrics().horizontalAdvance(title) +
                                2 * CFlatHeaderCtrl::kSpacing)
                << column;
        }
    }
    EXPECT_EQ(f.view.Model().columnCount(), 18) << "every column stays in the model";
    ASSERT_EQ(f.view.DetailsView().header(), &f.view.Header());
    // The header still draws a divider for each unnamed column, on its neighbour's edge.
    const auto layout = f.view.Header().CurrentLayout();
    ASSERT_EQ(layout.sections.size(), 18u);
    EXPECT_TRUE(layout.sections[1].divider);
    EXPECT_EQ(layout.sections[1].dividerX, layout.sections[0].dividerX);
    EXPECT_EQ(layout.sections[1].rect.width(), 0);
    EXPECT_EQ(layout.frame.width(), layout.sections[9].dividerX) << "frame ends at RTD4";
}

TEST(KilnListStyles, TakesColumnWidthsFromTheAverageCharacter) {
    // The usual desktop font: its widest glyph is wider than 14 pixels, its characters are not.
    QFont usual(QStringLiteral("DejaVu Sans"));
    usual.setPointSize(9);
    ASSERT_GT(QFontMetrics(usual).maxWidth(), 14) << "a font the widest-glyph rule misjudges";
    QFont large(QStringLiteral("DejaVu Sans"));
    large.setPixelSize(34);
    ASSERT_GT(QFontMetrics(large).averageCharWidth(), 14);

    ListFixture f;
    // Titles small enough for any column, so the widths seen are the rule's alone.
    QFont titles(QStringLiteral("DejaVu Sans"));
    titles.setPixelSize(6);
    f.view.Header().setFont(titles);
    for (const auto& [font, isLarge] : {std::pair{usual, false}, std::pair{large, true}}) {
        f.view.setFont(font);
        f.view.OnInitialUpdate();
        for (int column : {0, 2, 4, 5, 6, 9}) {
            EXPECT_EQ(f.view.Header().sectionSize(column),
                      CMyListView::ColumnWidth(column, isLarge))
                << "column " << column << " at " << font.toString().toStdString();
        }
    }
}

TEST(KilnListStyles, TheArrowKeysOfTheListMoveThroughTheUnitsOfTheViewOnScreen) {
    ListFixture f;
    for (int nodeId : {3, 7, 9}) {
        f.AddUnit(0, Running(nodeId));
    }
    f.Show(0);
    f.view.show();
    QApplication::setActiveWindow(&f.view);
    for (int style : {CMyListView::Details, CMyListView::LargeIcons, CMyListView::List}) {
        f.view.SetListStyle(style);
        f.view.setFocus(Qt::OtherFocusReason);
        QAbstractItemView* shown = style == CMyListView::Details
                                       ? static_cast<QAbstractItemView*>(&f.view.DetailsView())
                                       : &f.view.IconView();
        ASSERT_EQ(QApplication::focusWidget(), shown) << "style " << style;
        shown->setCurrentIndex(f.view.Model().index(0, 0));
        const int forward = style == CMyListView::LargeIcons ? Qt::Key_Right : Qt::Key_Down;
        QTest::keyClick(shown, static_cast<Qt::Key>(forward));
        EXPECT_EQ(shown->currentIndex().row(), 1) << "style " << style;
    }
}

TEST(KilnListAccessibility, AScreenReaderFindsEachUnitOnceInEveryStyle) {
    ListFixture f;
    for (int nodeId : {3, 7, 9}) {
        f.AddUnit(0, Running(nodeId));
    }
    f.Show(0);
    f.view.resize(500, 300);
    f.view.show();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&f.view);
    ASSERT_NE(list, nullptr);
    for (int style : {CMyListView::LargeIcons, CMyListView::SmallIcons, CMyListView::List,
                      CMyListView::Details}) {
        f.view.SetListStyle(style);
        for (const char* unit : {" 003", " 007", " 009"}) {
            EXPECT_EQ(AccessibleNamed(list, unit), 1) << unit << " in style " << style;
        }
        // The one view a reader reaches is the one on screen.
        ASSERT_EQ(list->childCount(), 1) << "style " << style;
        QAccessibleInterface* view = list->child(0);
        EXPECT_FALSE(view->state().invisible) << "style " << style;
        EXPECT_EQ(view->text(QAccessible::Name), list->text(QAccessible::Name));
        EXPECT_FALSE(view->text(QAccessible::Name).isEmpty());
        EXPECT_EQ(list->indexOfChild(view), 0);
        QWidget* hidden = style == CMyListView::Details ? static_cast<QWidget*>(&f.view.IconView())
                                                        : &f.view.DetailsView();
        EXPECT_EQ(list->indexOfChild(QAccessible::queryAccessibleInterface(hidden)), -1);
    }
}

TEST(KilnListAccessibility, AUnitThatStoppedAnsweringIsToldFromOneStillBeingAsked) {
    EngineFixture engine;
    CTreeListDoc& doc = engine.doc;
    ConfigureUnits(doc.Farm(0), {3, 4});
    CMyListView view(doc);
    struct Detach {
        CTreeListDoc& doc;
        ~Detach() { doc.SetKilnListView(nullptr); }
    } detach{doc};
    view.nOTIFYoFtREEsELECTION(false, 0, doc.Farm(0).m_units);
    view.resize(500, 300);
    view.show();
    doc.FarmConnect(0);
    // Unit 3 is asked first and never answers; its seventh attempt given up, unit 4's first
    // attempt goes out.
    for (int tick = 0; tick < 20; ++tick) {
        doc.Timer1_Tick();
        if (doc.Health().Unit(3) != nullptr && doc.Health().Unit(3)->givenUp) {
            break;
        }
    }
    ASSERT_TRUE(doc.Health().Unit(3)->givenUp);
    ASSERT_FALSE(doc.Health().Unit(4)->givenUp);
    EXPECT_EQ(view.Model().IconOf(2), KilnLineText::kIconNotAnswering);
    EXPECT_EQ(view.Model().IconOf(3), KilnLineText::kIconNoData);

    // What a screen reader reads: the line's first cell describes its state, and its Status
    // cell says it in words where the screen shows "~".
    std::map<QString, QString> descriptions;
    std::map<QString, int> names;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        const QString name = node->text(QAccessible::Name);
        ++names[name];
        descriptions[name] = node->text(QAccessible::Description);
        for (int i = 0; i < node->childCount(); ++i) {
            if (QAccessibleInterface* child = node->child(i)) {
                walk(child);
            }
        }
    };
    walk(QAccessible::queryAccessibleInterface(&view));
    EXPECT_EQ(descriptions[" 003"], "Not answering");
    EXPECT_EQ(descriptions[" 004"], "No data");
    EXPECT_EQ(names["Not answering"], 1);
    EXPECT_EQ(names["No data"], 1);

    // Its next answer ends the silence.
    view.NotifyOfData(0, 0, Running(3), NoData(3), 3);
    EXPECT_EQ(view.Model().IconOf(2), KilnLineText::kIconNormal);
    // A disconnected farm's lines are wiped to no data, whatever the line said of them.
    doc.fARMdISCONNECT(0);
    EXPECT_EQ(view.Model().IconOf(2), KilnLineText::kIconNoData);
}

TEST(KilnListSheet, TheOpenSheetHearsOfItsUnitAndOfCommits) {
    ListFixture f;
    f.AddUnit(0, Running(5));
    f.AddUnit(0, Running(6));
    f.Show(0);
    RecordingSheet sheet;
    f.view.OpenItem(0);
    f.view.SetSheetSink(&sheet);

    f.view.NotifyOfData(0, 0, InStatus(5, US_STANDBY), Running(5), 5);
    f.view.NotifyOfData(0, 0, InStatus(6, US_STANDBY), Running(6), 6);
    ASSERT_EQ(sheet.refreshed.size(), 1u) << "only the unit it shows";
    EXPECT_EQ(sheet.refreshed[0].m_iUnitStatus, US_STANDBY);

    f.view.nOTIFYoFsTATUS(70);
    f.view.NotifyOfStartupScanStatus(false);
    f.view.NotifyOfStartupScanStatus(true);
    EXPECT_EQ(sheet.statuses, std::vector<int>({70}));
    EXPECT_EQ(sheet.scans, std::vector<bool>({true}));
    EXPECT_TRUE(f.view.StartupScanComplete());

    f.view.SetSheetSink(nullptr);
    EXPECT_EQ(f.doc.Farm(0).m_iSelectedNode, 0);
    EXPECT_EQ(f.view.SelectedItem(), -1);
    f.view.nOTIFYoFsTATUS(68); // no sheet: nothing to tell
    EXPECT_EQ(sheet.statuses.size(), 1u);
}

TEST(KilnListSheet, ASheetOpenedForTheDocumentsSelectedUnitIsRefreshedToo) {
    ListFixture f;
    f.AddUnit(0, Running(5));
    f.AddUnit(0, Running(6));
    f.Show(0);
    ASSERT_NE(f.doc.GetKilnRecord(0, 5), nullptr); // opened without the list's menu
    RecordingSheet sheet;
    f.view.SetSheetSink(&sheet);
    EXPECT_EQ(f.view.SelectedItem(), 1);
    f.view.NotifyOfData(0, 0, InStatus(5, US_STANDBY), Running(5), 5);
    f.view.NotifyOfData(0, 0, InStatus(6, US_STANDBY), Running(6), 6);
    ASSERT_EQ(sheet.refreshed.size(), 1u);
    EXPECT_EQ(sheet.refreshed[0].m_byIdentificationCode, 6);
    f.view.SetSheetSink(nullptr);
}
