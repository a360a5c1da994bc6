#include "kiln/qt/CMyListView.h"

#include "app/CTreeListDoc.h"
#include "kiln/CommandRules.h"
#include "kiln/KilnDecoding.h"
#include "kiln/qt/GridLineDelegate.h"
#include "kiln/qt/KilnListAccessible.h"
#include "kiln/qt/KilnListModel.h"
#include "kiln/qt/PaletteSheetSink.h"
#include "net/LineHealthTable.h"
#include "widgets/CFlatHeaderCtrl.h"
#include "widgets/UiText.h"

#include <QAction>
#include <QFontMetrics>
#include <QListView>
#include <QMenu>
#include <QStackedLayout>
#include <QTreeView>

#include <algorithm>
#include <array>
#include <set>

namespace {

constexpr int kNodeCount = KilnListModel::kNodeCount;

constexpr std::array<int, KilnListModel::kColumnCount> kNormalWidths = {
    48, 0, 64, 0, 44, 44, 44, 0, 0, 44, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr std::array<int, KilnListModel::kColumnCount> kLargeWidths = {
    56, 0, 75, 0, 50, 50, 50, 0, 0, 50, 0, 0, 0, 0, 0, 0, 0, 0};

// A font whose average character is wider than this gets the large widths. The widest glyph
// says nothing of the text's width: it passes this for every usual desktop font.
constexpr int kLargeFontCharWidth = 14;

constexpr std::uint32_t kStyleBits = 0x0C;
constexpr int kStyleShift = 2;

QAction* AddCommand(CMyListView* list, QMenu* menu, const QString& text, int command) {
    QAction* action = menu->addAction(text);
    action->setData(command);
    QObject::connect(action, &QAction::triggered, list,
                     [list, command] { list->OnCommand(command); });
    return action;
}

} // namespace

int CMyListView::ColumnWidth(int column, bool largeFont) {
    if (column < 0 || column >= KilnListModel::kColumnCount) {
        return 0;
    }
    const auto& widths = largeFont ? kLargeWidths : kNormalWidths;
    return widths[static_cast<std::size_t>(column)];
}

CMyListView::CMyListView(CTreeListDoc& document, QWidget* parent)
    : QWidget(parent), m_document(document) {
    KilnListAccessible::Install();
    m_pModel = new KilnListModel(document.GetLanguage(), this);
    // Each line's tooltip also gives the unit's line health on this connection.
    m_pModel->SetTipSource([this](int nodeIndex) {
        const UnitLineHealth* health = m_document.Health().Unit(nodeIndex + 1);
        if (health == nullptr || m_iDisplayedFarm != m_document.CurrentFarmIndex()) {
            return QString();
        }
        return QString::fromStdString(
            LineHealthTable::TipText(*health, m_document.LocalNow(), m_document.GetLanguage()));
    });

    // A unit that stopped answering on the line now is told from one not asked yet.
    m_pModel->SetHealthSource([this](int nodeIndex) -> const UnitLineHealth* {
        if (m_iDisplayedFarm < 0 || m_document.LineNow().connectedFarm != m_iDisplayedFarm) {
            return nullptr;
        }
        return m_document.Health().Unit(nodeIndex + 1);
    });

    m_pDetails = new QTreeView(this);
    m_pHeader = new CFlatHeaderCtrl(m_pDetails);
    m_pDetails->setHeader(m_pHeader);
    m_pDetails->setModel(m_pModel);
    m_pDetails->setItemDelegate(new GridLineDelegate(m_pDetails));
    m_pDetails->setRootIsDecorated(false);
    m_pDetails->setItemsExpandable(false);
    m_pDetails->setUniformRowHeights(true);
    m_pDetails->setAllColumnsShowFocus(true);
    m_pDetails->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pDetails->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pDetails->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pDetails->setIconSize(QSize(16, 16));

    m_pIcons = new QListView(this);
    m_pIcons->setModel(m_pModel);
    m_pIcons->setSelectionModel(m_pDetails->selectionModel());
    m_pIcons->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Whole lines, as the report style selects them, since both share one selection.
    m_pIcons->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pIcons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_pIcons->setMovement(QListView::Static);
    m_pIcons->setResizeMode(QListView::Adjust);
    m_pIcons->setWrapping(true);
    m_pIcons->setUniformItemSizes(true);

    // The view that has the keyboard is what a screen reader announces: it goes by the pane's
    // name, whichever style is on.
    const QString name = UiText(document.GetLanguage(), IDS_PANE_UNITS);
    setAccessibleName(name);
    m_pDetails->setAccessibleName(name);
    m_pIcons->setAccessibleName(name);

    m_pStack = new QStackedLayout(this);
    m_pStack->setContentsMargins(0, 0, 0, 0);
    m_pStack->addWidget(m_pDetails);
    m_pStack->addWidget(m_pIcons);

    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_pDetails), static_cast<QAbstractItemView*>(m_pIcons)}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& at) { ShowContextMenu(view, view->indexAt(at), at); });
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& index) { OpenItem(index.row()); });
    }

    m_bStartupScanComplete = document.StartupScanComplete();
    OnInitialUpdate();
}

void CMyListView::OnInitialUpdate() {
    m_document.SetKilnListView(this);
    ApplyColumnWidths();
    m_dwViewStyle = m_document.GetApplicationSettings().m_dwDisplayBitSet;
    ApplyStyle(static_cast<int>((m_dwViewStyle & kStyleBits) >> kStyleShift));
}

void CMyListView::ApplyColumnWidths() {
    const bool large = QFontMetrics(font()).averageCharWidth() > kLargeFontCharWidth;
    for (int column = 0; column < KilnListModel::kColumnCount; ++column) {
        int width = ColumnWidth(column, large);
        // The unnamed columns stay in the model for whoever reads it, but take no room and
        // never take the keyboard.
        m_pDetails->setColumnHidden(column, width == 0);
        if (width > 0) {
            // A title wider than its column with this font (a larger desktop font, the Spanish
            // headers) starts out whole; the operator may still narrow the column.
            const QString title = m_pModel->headerData(column, Qt::Horizontal).toString();
            width = std::max(width, m_pHeader->fontMetrics().horizontalAdvance(title) +
                                        2 * CFlatHeaderCtrl::kSpacing + 2);
            m_pHeader->resizeSection(column, width);
        }
    }
}

bool CMyListView::ValidFarm(int farmIndex) const {
    return farmIndex >= 0 && farmIndex < kFarmCount;
}

// ---- Calls of the document ---------------------------------------------------------------

void CMyListView::nOTIFYoFtREEsELECTION(bool clear, int farmIndex, const UnitSlots& units) {
    if (farmIndex != m_iDisplayedFarm) {
        m_iDisplayedFarm = farmIndex;
        m_pModel->RemoveAll();
        ForgetSelection();
        dRAWtHEdISPLAY(clear, units);
    } else if (clear) {
        dRAWtHEdISPLAY(true, units);
    }
}

void CMyListView::dRAWtHEdISPLAY(bool clear, const UnitSlots& units) {
    m_pModel->ShowAll(clear, units);
    if (m_iSelectedNode >= 0) {
        m_iSelectedItem = m_pModel->ItemOfNode(m_iSelectedNode);
    }
}

void CMyListView::NotifyOfData(int retryCountdown, int farmIndex, const KilnRecord& newRecord,
                               const KilnRecord& oldRecord, int nodeId) {
    // The node is checked before any arithmetic on it: the wire decides its value.
    if (retryCountdown >= 1 || farmIndex != m_iDisplayedFarm || !ValidFarm(farmIndex) ||
        nodeId < 1 || nodeId > kNodeCount) {
        return;
    }
    const int nodeIndex = nodeId - 1;
    // A unit deleted since the reply was asked for has no line to draw.
    if (m_document.Farm(farmIndex).Unit(nodeIndex) == nullptr) {
        return;
    }
    if (!m_pModel->IsShown(nodeIndex)) {
        m_pModel->InsertLine(nodeIndex, newRecord);
        if (m_iSelectedNode >= 0) {
            m_iSelectedItem = m_pModel->ItemOfNode(m_iSelectedNode);
        }
        return;
    }
    m_pModel->UpdateLine(nodeIndex, newRecord, oldRecord);
    if (nodeIndex == m_iSelectedNode && m_pSheet != nullptr) {
        m_pSheet->Refresh(newRecord);
    }
}

void CMyListView::NotifyOfStartupScanStatus(bool startupScanComplete) {
    m_bStartupScanComplete = startupScanComplete;
    if (startupScanComplete && m_pSheet != nullptr) {
        m_pSheet->NotifyOfStartupScanStatus(true);
    }
}

void CMyListView::nOTIFYoFsTATUS(int replyCode) {
    if (m_pSheet != nullptr) {
        m_pSheet->NotifyOfStatus(replyCode);
    }
}

void CMyListView::RemoveLine(int nodeIndex, int /*itemIndex*/) {
    // The node decides which line goes: an item index from the caller could be out of step.
    if (!m_pModel->IsShown(nodeIndex)) {
        return;
    }
    m_pModel->RemoveLine(nodeIndex);
    if (nodeIndex == m_iSelectedNode) {
        ForgetSelection();
    } else if (m_iSelectedNode >= 0) {
        m_iSelectedItem = m_pModel->ItemOfNode(m_iSelectedNode);
    }
}

int CMyListView::NodeIndexOfItem(int itemIndex) const {
    const int nodeIndex = m_pModel->NodeIndexOfItem(itemIndex);
    return nodeIndex < 0 ? 0 : nodeIndex;
}

// ---- Selection -----------------------------------------------------------------------------

KilnRecord* CMyListView::SelectItem(int itemIndex) {
    const int nodeIndex = m_pModel->NodeIndexOfItem(itemIndex);
    KilnRecord* record = nullptr;
    if (nodeIndex >= 0 && ValidFarm(m_iDisplayedFarm)) {
        record = m_document.GetKilnRecord(m_iDisplayedFarm, nodeIndex);
    }
    if (record == nullptr) {
        ForgetSelection();
        return nullptr;
    }
    m_iSelectedItem = itemIndex;
    m_iSelectedNode = nodeIndex;
    return record;
}

int CMyListView::CurrentLineNodeId() const {
    const QModelIndex current = m_pDetails->selectionModel()->currentIndex();
    if (!current.isValid()) {
        return 0;
    }
    const int nodeIndex = m_pModel->NodeIndexOfItem(current.row());
    return nodeIndex >= 0 ? nodeIndex + 1 : 0;
}

KilnRecord* CMyListView::SelectedRecord() const {
    if (!ValidFarm(m_iDisplayedFarm) || !m_pModel->IsShown(m_iSelectedNode)) {
        return nullptr;
    }
    return m_document.Farm(m_iDisplayedFarm).Unit(m_iSelectedNode);
}

void CMyListView::ForgetSelection() {
    m_iSelectedItem = -1;
    m_iSelectedNode = -1;
}

void CMyListView::SetSheetSink(PaletteSheetSink* sheet) {
    const bool closing = m_pSheet != nullptr && sheet == nullptr;
    m_pSheet = sheet;
    if (sheet != nullptr && ValidFarm(m_iDisplayedFarm)) {
        // The sheet shows the document's selected unit, whoever opened it; its line is the
        // one whose replies refresh the sheet.
        const int nodeIndex = m_document.Farm(m_iDisplayedFarm).m_iSelectedNode - 1;
        if (m_pModel->IsShown(nodeIndex)) {
            m_iSelectedNode = nodeIndex;
            m_iSelectedItem = m_pModel->ItemOfNode(nodeIndex);
        }
    }
    if (closing) {
        if (ValidFarm(m_iDisplayedFarm)) {
            m_document.ClearSelectedUnit(m_iDisplayedFarm);
        }
        ForgetSelection();
    }
}

// ---- Styles --------------------------------------------------------------------------------

int CMyListView::ListStyle() const {
    return m_iStyle;
}

void CMyListView::SetListStyle(int style) {
    if (style < LargeIcons || style > Details || style == m_iStyle) {
        return;
    }
    ApplyStyle(style);
    // The choice lasts for this run only; every start begins with the stored setting.
    m_dwViewStyle = (m_document.GetApplicationSettings().m_dwDisplayBitSet & ~kStyleBits) |
                    (static_cast<std::uint32_t>(style) << kStyleShift);
    emit listStyleChanged(style);
}

void CMyListView::ApplyStyle(int style) {
    m_iStyle = style;
    switch (style) {
    case LargeIcons:
        m_pIcons->setViewMode(QListView::IconMode);
        m_pIcons->setIconSize(QSize(32, 32));
        m_pIcons->setFlow(QListView::LeftToRight);
        break;
    case SmallIcons:
        m_pIcons->setViewMode(QListView::ListMode);
        m_pIcons->setIconSize(QSize(16, 16));
        m_pIcons->setFlow(QListView::LeftToRight);
        break;
    case List:
        m_pIcons->setViewMode(QListView::ListMode);
        m_pIcons->setIconSize(QSize(16, 16));
        m_pIcons->setFlow(QListView::TopToBottom);
        break;
    default:
        ShowView(m_pDetails);
        return;
    }
    // Changing the view mode resets these; the icon styles always wrap and stay put.
    m_pIcons->setMovement(QListView::Static);
    m_pIcons->setWrapping(true);
    m_pIcons->setSpacing(style == LargeIcons ? 8 : 2);
    ShowView(m_pIcons);
}

void CMyListView::ShowView(QAbstractItemView* view) {
    // The stack hands the keyboard focus to the view coming in when the one going out had it.
    m_pStack->setCurrentWidget(view);
    // Whoever gives the list the focus gives it to the view on screen, the one that takes keys.
    setFocusProxy(view);
}

bool CMyListView::IsEmpty() const {
    return m_pModel->rowCount() == 0;
}

// ---- Menus and commands --------------------------------------------------------------------

QMenu* CMyListView::BuildItemMenu(int itemIndex, QWidget* parent) {
    const KilnRecord* record = SelectItem(itemIndex);
    if (record == nullptr) {
        return nullptr;
    }
    const Language language = m_document.GetLanguage();
    auto* menu = new QMenu(parent);
    QAction* operate = AddCommand(this, menu, UiText(language, IDS_LIST_OPERATE), ID_OPERATE);
    operate->setEnabled(MayOperateUnit(*record));
    menu->addSeparator();
    QAction* remove = AddCommand(this, menu, UiText(language, IDS_LIST_DELETE), ID_DELETE);
    remove->setEnabled(MayDeleteUnit(m_document.Farm(m_iDisplayedFarm)));
    menu->addSeparator();
    AddCommand(this, menu, UiText(language, IDS_LIST_PROPERTIES), ID_ITEM_PROPERTIES)
        ->setEnabled(false);
    return menu;
}

QMenu* CMyListView::BuildBackgroundMenu(QWidget* parent) {
    const Language language = m_document.GetLanguage();
    auto* menu = new QMenu(parent);

    QMenu* view = menu->addMenu(UiText(language, IDS_MENU_VIEW, IDS_MENU_VIEW_ES));
    const std::array<std::pair<QString, int>, 4> styles = {{
        {UiText(language, IDS_MENU_LARGE_ICONS, IDS_MENU_LARGE_ICONS_ES), ID_VIEW_LARGE_ICONS},
        {UiText(language, IDS_MENU_SMALL_ICONS, IDS_MENU_SMALL_ICONS_ES), ID_VIEW_SMALL_ICONS},
        {UiText(language, IDS_MENU_LIST, IDS_MENU_LIST_ES), ID_VIEW_LIST},
        {UiText(language, IDS_MENU_DETAILS, IDS_MENU_DETAILS_ES), ID_VIEW_DETAILS},
    }};
    for (int style = LargeIcons; style <= Details; ++style) {
        const auto& [label, command] = styles[static_cast<std::size_t>(style)];
        QAction* action = AddCommand(this, view, label, command);
        action->setCheckable(true);
        action->setChecked(style == m_iStyle);
    }
    menu->addSeparator();

    QMenu* arrange = menu->addMenu(UiText(language, IDS_LIST_ARRANGE_ICONS));
    AddCommand(this, arrange, UiText(language, IDS_LIST_BY_NAME), ID_ARRANGE_BY_NAME);
    AddCommand(this, arrange, UiText(language, IDS_LIST_BY_ALARM_STATUS),
               ID_ARRANGE_BY_ALARM_STATUS);
    AddCommand(this, arrange, UiText(language, IDS_LIST_BY_OPERATING_MODE),
               ID_ARRANGE_BY_OPERATING_MODE);
    arrange->menuAction()->setEnabled(false);
    AddCommand(this, menu, UiText(language, IDS_LIST_LINE_UP_ICONS), ID_LINE_UP_ICONS)
        ->setEnabled(false);
    menu->addSeparator();

    QMenu* create = menu->addMenu(UiText(language, IDS_LIST_NEW));
    AddCommand(this, create, UiText(language, IDS_LIST_NEW_KILN), ID_NEW_KILN);
    menu->addSeparator();
    AddCommand(this, menu, UiText(language, IDS_LIST_PROPERTIES), ID_BACKGROUND_PROPERTIES)
        ->setEnabled(false);

    return menu;
}

void CMyListView::ShowContextMenu(QWidget* view, const QModelIndex& index, const QPoint& position) {
    QMenu* menu = nullptr;
    if (index.isValid()) {
        auto* items = qobject_cast<QAbstractItemView*>(view);
        std::set<int> rows;
        if (items != nullptr && items->selectionModel() != nullptr) {
            for (const QModelIndex& selected : items->selectionModel()->selectedIndexes()) {
                rows.insert(selected.row());
            }
        }
        // With several lines selected there is no menu.
        if (rows.size() == 1) {
            menu = BuildItemMenu(index.row(), this);
        }
    } else {
        menu = BuildBackgroundMenu(this);
    }
    if (menu == nullptr) {
        return;
    }
    auto* scroller = qobject_cast<QAbstractScrollArea*>(view);
    const QWidget* surface = scroller != nullptr ? scroller->viewport() : view;
    menu->exec(surface->mapToGlobal(position));
    delete menu;
}

void CMyListView::OpenItem(int itemIndex) {
    if (SelectItem(itemIndex) != nullptr) {
        emit paletteSheetRequested(m_iDisplayedFarm, m_iSelectedNode);
    }
}

void CMyListView::OnCommand(int command) {
    switch (command) {
    case ID_OPERATE:
        // The unit may have gone, or the farm changed, while the menu was open.
        if (SelectedRecord() != nullptr) {
            emit paletteSheetRequested(m_iDisplayedFarm, m_iSelectedNode);
        }
        break;
    case ID_DELETE: {
        if (SelectedRecord() == nullptr || !MayDeleteUnit(m_document.Farm(m_iDisplayedFarm))) {
            break;
        }
        const int farmIndex = m_iDisplayedFarm;
        const int nodeIndex = m_iSelectedNode;
        const int itemIndex = m_pModel->ItemOfNode(nodeIndex);
        ForgetSelection();
        m_document.ClearSelectedUnit(farmIndex);
        m_document.DeleteKilnRecord(farmIndex, itemIndex, nodeIndex);
        // The document removes the line through RemoveLine; a line left behind by a document
        // wired to another list goes too, as its unit is gone.
        if (m_document.Farm(farmIndex).Unit(nodeIndex) == nullptr) {
            RemoveLine(nodeIndex, itemIndex);
        }
        break;
    }
    case ID_NEW_KILN:
        if (ValidFarm(m_iDisplayedFarm)) {
            emit addKilnRequested(m_iDisplayedFarm);
        }
        break;
    case ID_VIEW_LARGE_ICONS:
        SetListStyle(LargeIcons);
        break;
    case ID_VIEW_SMALL_ICONS:
        SetListStyle(SmallIcons);
        break;
    case ID_VIEW_LIST:
        SetListStyle(List);
        break;
    case ID_VIEW_DETAILS:
        SetListStyle(Details);
        break;
    default:
        // Properties, arranging and lining up icons: always grayed, nothing to do.
        break;
    }
}
