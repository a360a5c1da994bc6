#include "kiln/qt/CTreeListView.h"

#include "app/CTreeListDoc.h"
#include "kiln/CommandRules.h"
#include "kiln/KilnListView.h"
#include "kiln/qt/KilnIcons.h"
#include "widgets/UiText.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kCommandConnect = 32809;
constexpr int kCommandDisconnect = 32810;
constexpr int kCommandProperties = 32811;

constexpr int kGroupIcon = 1;
constexpr int kConnectedOverlay = 2;

// The group's icon with the connected overlay in its lower right quarter, at both list sizes.
QIcon OverlaidIcon() {
    QIcon result;
    for (const int size : {16, 32}) {
        QPixmap pixmap = KilnIcons::Icon(kGroupIcon).pixmap(size, size);
        QPainter painter(&pixmap);
        const int overlay = size * 5 / 8;
        painter.drawPixmap(size - overlay, size - overlay,
                           KilnIcons::Icon(kConnectedOverlay).pixmap(overlay, overlay));
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

} // namespace

CTreeListView::CTreeListView(CTreeListDoc& document, KilnListView& list, QWidget* parent)
    : QTreeWidget(parent), m_document(document), m_list(list) {
    setColumnCount(1);
    header()->hide();
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setAccessibleName(UiText(document.GetLanguage(), IDS_PANE_FARMS));
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
}

void CTreeListView::OnInitialUpdate() {
    if (m_bInitialised) {
        return;
    }
    m_bInitialised = true;
    const Language language = m_document.GetLanguage();
    m_pRoot = new QTreeWidgetItem(this);
    m_pRoot->setText(0, UiText(language, IDS_ALL_GROUPS, IDS_ALL_GROUPS_ES));
    m_pRoot->setIcon(0, KilnIcons::Icon(0));
    const QString group = UiText(language, IDS_GROUP, IDS_GROUP_ES);
    for (int farm = 0; farm < kFarmCount; ++farm) {
        auto* item = new QTreeWidgetItem(m_pRoot);
        item->setText(0, QStringLiteral("%1 %2").arg(group).arg(farm + 1));
        item->setIcon(0, KilnIcons::Icon(kGroupIcon));
    }
    m_pRoot->setExpanded(true);
    m_document.SetFarmTreeView(this);
    {
        // Group 1 starts current and highlighted; the keyboard starts there too.
        const QSignalBlocker blocker(this);
        setCurrentItem(GroupItem(0));
    }
    SetDropHighlight(GroupItem(0));
    m_iCurrentFarm = 0;
    // Group 1 is shown highlighted as the current farm, so the list shows its units from the
    // start: a list left empty beside a highlighted group reads as a farm without units.
    ShowFarm(0);
}

QTreeWidgetItem* CTreeListView::GroupItem(int farmIndex) const {
    if (m_pRoot == nullptr || farmIndex < 0 || farmIndex >= m_pRoot->childCount()) {
        return nullptr;
    }
    return m_pRoot->child(farmIndex);
}

int CTreeListView::FarmIndexOfItem(const QTreeWidgetItem* item) const {
    if (item == nullptr || item == m_pRoot) {
        return -1;
    }
    // "Group N" has its digit at position 6, "El grupo N" at position 9.
    const int position = m_document.GetLanguage() == Language::Spanish ? 9 : 6;
    const QString text = item->text(0);
    if (text.size() <= position || !text.at(position).isDigit()) {
        return -1;
    }
    const int farmIndex = text.at(position).digitValue() - 1;
    return farmIndex >= 0 && farmIndex < kFarmCount ? farmIndex : -1;
}

int CTreeListView::GetIndexOfSelectedFarm(const QPoint& point) {
    QTreeWidgetItem* item = itemAt(point);
    const int farmIndex = FarmIndexOfItem(item);
    if (farmIndex >= 0) {
        SetDropHighlight(item);
    }
    return farmIndex;
}

void CTreeListView::SetDropHighlight(QTreeWidgetItem* item) {
    m_pDropHighlighted = item;
    const QSignalBlocker blocker(this);
    clearSelection();
    if (item != nullptr) {
        item->setSelected(true);
    }
}

bool CTreeListView::HasConnectedOverlay(int farmIndex) const {
    const QTreeWidgetItem* item = GroupItem(farmIndex);
    return item != nullptr && item->data(0, Qt::UserRole).toBool();
}

void CTreeListView::SetOverlay(int farmIndex, bool connected) {
    QTreeWidgetItem* item = GroupItem(farmIndex);
    if (item == nullptr) {
        return;
    }
    item->setData(0, Qt::UserRole, connected);
    item->setIcon(0, connected ? OverlaidIcon() : KilnIcons::Icon(kGroupIcon));
    // What the overlay shows, for a screen reader and a tooltip.
    const QString note =
        connected ? UiText(m_document.GetLanguage(), IDS_TREE_CONNECTED) : QString();
    item->setData(0, Qt::AccessibleDescriptionRole, note);
    item->setToolTip(0, note);
}

void CTreeListView::NotifyOfConnection(int farmIndex) {
    if (GroupItem(farmIndex) == nullptr) {
        return;
    }
    SetOverlay(farmIndex, true);
    if (farmIndex != m_iCurrentFarm) {
        SetDropHighlight(GroupItem(farmIndex));
        ShowFarm(farmIndex);
    }
}

void CTreeListView::NotifyOfDisconnection(int farmIndex) {
    SetOverlay(farmIndex, false);
}

void CTreeListView::ShowFarm(int farmIndex) {
    if (farmIndex < 0 || farmIndex >= kFarmCount) {
        return;
    }
    m_list.nOTIFYoFtREEsELECTION(false, farmIndex, m_document.Farm(farmIndex).m_units);
}

void CTreeListView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_iCurrentFarm = GetIndexOfSelectedFarm(point);
        if (m_iCurrentFarm >= 0) {
            ShowFarm(m_iCurrentFarm);
        }
    } else if (event->button() == Qt::RightButton) {
        m_iCurrentFarm = GetIndexOfSelectedFarm(point);
    }
    m_bMouseCommand = true;
    QTreeWidget::mousePressEvent(event);
    m_bMouseCommand = false;
    // The tree's own handling selects what was clicked; the highlight stays on the group hit.
    if (m_pDropHighlighted != nullptr) {
        SetDropHighlight(m_pDropHighlighted);
    }
}

void CTreeListView::OnCurrentItemChanged(QTreeWidgetItem* current) {
    if (m_bMouseCommand) {
        return;
    }
    const int farmIndex = FarmIndexOfItem(current);
    m_iCurrentFarm = farmIndex;
    if (farmIndex >= 0) {
        SetDropHighlight(current);
        ShowFarm(farmIndex);
    }
}

QMenu* CTreeListView::BuildFarmMenu(QWidget* parent) {
    if (m_iCurrentFarm < 0 || m_iCurrentFarm >= kFarmCount) {
        return nullptr;
    }
    ShowFarm(m_iCurrentFarm);
    const FarmRecord& farm = m_document.Farm(m_iCurrentFarm);
    const Language language = m_document.GetLanguage();

    auto* menu = new QMenu(parent);
    QAction* connectAction = menu->addAction(UiText(language, IDS_TREE_CONNECT));
    connectAction->setData(kCommandConnect);
    connectAction->setEnabled(MayConnectFarm(farm));
    connect(connectAction, &QAction::triggered, this, &CTreeListView::OnConnect);
    QAction* disconnectAction = menu->addAction(UiText(language, IDS_TREE_DISCONNECT));
    disconnectAction->setData(kCommandDisconnect);
    disconnectAction->setEnabled(MayDisconnectFarm(farm));
    connect(disconnectAction, &QAction::triggered, this, &CTreeListView::OnDisconnect);
    menu->addSeparator();
    QAction* properties = menu->addAction(UiText(language, IDS_TREE_PROPERTIES));
    properties->setData(kCommandProperties);
    connect(properties, &QAction::triggered, this, &CTreeListView::OnMenu03_Properties);
    return menu;
}

void CTreeListView::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() != QContextMenuEvent::Mouse) {
        // The menu key works on the group the keyboard is on.
        m_iCurrentFarm = FarmIndexOfItem(currentItem());
    }
    QMenu* menu = BuildFarmMenu(this);
    if (menu == nullptr) {
        QTreeWidget::contextMenuEvent(event);
        return;
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPoint position = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse && currentItem() != nullptr) {
        position = viewport()->mapToGlobal(visualItemRect(currentItem()).center());
    }
    menu->popup(position);
}

void CTreeListView::OnConnect() {
    // The farm's state may have changed while the menu was open.
    if (m_iCurrentFarm < 0 || m_iCurrentFarm >= kFarmCount) {
        return;
    }
    if (!MayConnectFarm(m_document.Farm(m_iCurrentFarm))) {
        return;
    }
    m_document.FarmConnect(m_iCurrentFarm);
}

void CTreeListView::OnDisconnect() {
    if (m_iCurrentFarm < 0 || m_iCurrentFarm >= kFarmCount) {
        return;
    }
    if (!MayDisconnectFarm(m_document.Farm(m_iCurrentFarm))) {
        return;
    }
    m_document.fARMdISCONNECT(m_iCurrentFarm);
}

void CTreeListView::OnMenu03_Properties() {
    if (m_iCurrentFarm < 0 || m_iCurrentFarm >= kFarmCount) {
        return;
    }
    emit propertiesRequested(m_iCurrentFarm);
}
