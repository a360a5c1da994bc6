#pragma once

#include "kiln/FarmTreeView.h"

#include <QTreeWidget>

class CTreeListDoc;
class KilnListView;
class QMenu;

// The farm tree: the root for all groups and one item per farm. Clicking a group shows its
// units in the kiln list; the right-button menu connects, disconnects or opens the farm's
// properties; a connected farm's item carries the connected overlay.
//
// The current farm follows the mouse, not the tree's selection, so a right click on a group
// that is not selected still works on that group. The keyboard moves the current item, and a
// group reached that way becomes the current farm as a click would make it: an operator without
// a mouse can pick every farm.
class CTreeListView : public QTreeWidget, public FarmTreeView {
    Q_OBJECT

public:
    CTreeListView(CTreeListDoc& document, KilnListView& list, QWidget* parent = nullptr);

    // The first update: the items, Group 1 highlighted and current, its units shown.
    void OnInitialUpdate();

    // FarmTreeView
    void NotifyOfConnection(int farmIndex) override;
    void NotifyOfDisconnection(int farmIndex) override;

    // The farm of the group under a point of the viewport, -1 for the root or nothing; a hit
    // group becomes the drop-highlighted item.
    int GetIndexOfSelectedFarm(const QPoint& point);
    // The farm of an item from its text: the digit after the group word and its blank.
    int FarmIndexOfItem(const QTreeWidgetItem* item) const;

    int CurrentFarm() const { return m_iCurrentFarm; }
    QTreeWidgetItem* GroupItem(int farmIndex) const;
    QTreeWidgetItem* DropHighlighted() const { return m_pDropHighlighted; }
    bool HasConnectedOverlay(int farmIndex) const;

    // The farm menu for the current farm; nullptr when there is no current farm. The caller
    // owns the menu. Its actions carry the command numbers as data.
    QMenu* BuildFarmMenu(QWidget* parent);

    // The three commands of the farm menu, for the current farm.
    void OnConnect();
    void OnDisconnect();
    void OnMenu03_Properties();

signals:
    // Properties of a farm: the farm property sheet opens for it.
    void propertiesRequested(int farmIndex);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void ShowFarm(int farmIndex);
    void SetDropHighlight(QTreeWidgetItem* item);
    void SetOverlay(int farmIndex, bool connected);
    void OnCurrentItemChanged(QTreeWidgetItem* current);

    CTreeListDoc& m_document;
    KilnListView& m_list;
    int m_iCurrentFarm = -1;
    QTreeWidgetItem* m_pRoot = nullptr;
    QTreeWidgetItem* m_pDropHighlighted = nullptr;
    bool m_bInitialised = false;
    bool m_bMouseCommand = false;
};
