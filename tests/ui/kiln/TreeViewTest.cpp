#include "kiln/qt/CTreeListView.h"

#include "support/EngineFakes.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TreeFixture {
    explicit TreeFixture(Language language = Language::English)
        : engine(std::make_unique<EngineFixture>()) {
        if (language == Language::Spanish) {
            spanish = std::make_unique<CTreeListDoc>(Language::Spanish, engine->workDir.Path());
        }
        tree = std::make_unique<CTreeListView>(Doc(), engine->list);
        tree->resize(200, 300);
        tree->OnInitialUpdate();
    }
    ~TreeFixture() {
        Doc().SetFarmTreeView(nullptr);
        tree.reset();
    }
    CTreeListDoc& Doc() { return spanish ? *spanish : engine->doc; }

    std::unique_ptr<EngineFixture> engine;
    std::unique_ptr<CTreeListDoc> spanish;
    std::unique_ptr<CTreeListView> tree;
};

QPoint CentreOf(CTreeListView& tree, QTreeWidgetItem* item) {
    return tree.visualItemRect(item).center();
}

QStringList MenuTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) {
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return texts;
}

} // namespace

TEST(FarmTree, ShowsTheRootAndFourGroupsWithGroupOneCurrentAndShown) {
    TreeFixture f;
    ASSERT_EQ(f.tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = f.tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), "All Groups");
    ASSERT_EQ(root->childCount(), 4);
    EXPECT_EQ(root->child(3)->text(0), "Group 4");
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(f.tree->CurrentFarm(), 0);
    EXPECT_EQ(f.tree->DropHighlighted(), f.tree->GroupItem(0));
    ASSERT_FALSE(f.engine->list.treeSelections.empty());
    EXPECT_EQ(f.engine->list.treeSelections.back(), std::make_pair(false, 0));
}

TEST(FarmTree, SpanishGroupsReadTheirFarmFromTheNinthCharacter) {
    TreeFixture f(Language::Spanish);
    EXPECT_EQ(f.tree->topLevelItem(0)->text(0), "Todo Agrupa");
    EXPECT_EQ(f.tree->GroupItem(2)->text(0), "El grupo 3");
    EXPECT_EQ(f.tree->FarmIndexOfItem(f.tree->GroupItem(2)), 2);
    EXPECT_EQ(f.tree->FarmIndexOfItem(f.tree->topLevelItem(0)), -1);
}

TEST(FarmTree, ClickingAGroupShowsItsUnitsAndTheRootShowsNothing) {
    TreeFixture f;
    f.tree->show();
    QTest::mouseClick(f.tree->viewport(), Qt::LeftButton, {},
                      CentreOf(*f.tree, f.tree->GroupItem(1)));
    EXPECT_EQ(f.tree->CurrentFarm(), 1);
    EXPECT_EQ(f.engine->list.treeSelections.back(), std::make_pair(false, 1));
    EXPECT_EQ(f.tree->DropHighlighted(), f.tree->GroupItem(1));

    const std::size_t shown = f.engine->list.treeSelections.size();
    QTest::mouseClick(f.tree->viewport(), Qt::RightButton, {},
                      CentreOf(*f.tree, f.tree->topLevelItem(0)));
    EXPECT_EQ(f.tree->CurrentFarm(), -1);
    EXPECT_EQ(f.tree->BuildFarmMenu(f.tree.get()), nullptr);
    EXPECT_EQ(f.engine->list.treeSelections.size(), shown);
}

TEST(FarmTree, KeyboardReachesEveryGroup) {
    TreeFixture f;
    f.tree->setCurrentItem(f.tree->GroupItem(3));
    EXPECT_EQ(f.tree->CurrentFarm(), 3);
    EXPECT_EQ(f.engine->list.treeSelections.back(), std::make_pair(false, 3));
}

TEST(FarmTree, ConnectingAnotherFarmOverlaysHighlightsAndShowsIt) {
    TreeFixture f;
    f.tree->NotifyOfConnection(2);
    EXPECT_TRUE(f.tree->HasConnectedOverlay(2));
    EXPECT_FALSE(f.tree->HasConnectedOverlay(0));
    EXPECT_EQ(f.tree->DropHighlighted(), f.tree->GroupItem(2));
    EXPECT_TRUE(f.tree->GroupItem(2)->isSelected());
    EXPECT_EQ(f.engine->list.treeSelections.back(), std::make_pair(false, 2));
    EXPECT_EQ(f.tree->GroupItem(2)->data(0, Qt::AccessibleDescriptionRole).toString(), "connected");

    f.tree->NotifyOfDisconnection(2);
    EXPECT_FALSE(f.tree->HasConnectedOverlay(2));
    // Out-of-range farms change nothing.
    f.tree->NotifyOfConnection(7);
    f.tree->NotifyOfDisconnection(-1);
}

TEST(FarmTree, FarmMenuFollowsTheFarmsState) {
    TreeFixture f;
    CTreeListDoc& doc = f.Doc();
    f.tree->setCurrentItem(f.tree->GroupItem(1));

    std::unique_ptr<QMenu> menu(f.tree->BuildFarmMenu(nullptr));
    ASSERT_TRUE(menu);
    EXPECT_EQ(MenuTexts(menu.get()), QStringList({"&Connect", "&Disconnect", "-", "P&roperties"}));
    EXPECT_TRUE(menu->actions()[0]->isEnabled());
    EXPECT_FALSE(menu->actions()[1]->isEnabled());

    doc.Farm(1).m_bFarmIsConnected = 1;
    menu.reset(f.tree->BuildFarmMenu(nullptr));
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
    EXPECT_TRUE(menu->actions()[1]->isEnabled());

    doc.Farm(1).m_bFarmSelectable = 0;
    menu.reset(f.tree->BuildFarmMenu(nullptr));
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
    EXPECT_FALSE(menu->actions()[1]->isEnabled());
    EXPECT_TRUE(menu->actions()[3]->isEnabled());

    QSignalSpy properties(f.tree.get(), &CTreeListView::propertiesRequested);
    menu->actions()[3]->trigger();
    ASSERT_EQ(properties.size(), 1);
    EXPECT_EQ(properties.front().front().toInt(), 1);
}

TEST(FarmTree, ConnectCommandForAFarmThatWasConnectedMeanwhileDoesNothing) {
    TreeFixture f;
    f.tree->setCurrentItem(f.tree->GroupItem(0));
    std::unique_ptr<QMenu> menu(f.tree->BuildFarmMenu(nullptr));
    // The farm connects while the menu is open (the start-up connection, say).
    f.Doc().Farm(0).m_bFarmIsConnected = 1;
    menu->actions()[0]->trigger();
    EXPECT_TRUE(f.engine->port.opens.empty());
}

TEST(FarmTree, SpanishMenuHasNoEnglishText) {
    TreeFixture f(Language::Spanish);
    f.tree->setCurrentItem(f.tree->GroupItem(0));
    std::unique_ptr<QMenu> menu(f.tree->BuildFarmMenu(nullptr));
    EXPECT_EQ(MenuTexts(menu.get()),
              QStringList({"&Conectar", "&Desconectar", "-", "P&ropiedades"}));
}
