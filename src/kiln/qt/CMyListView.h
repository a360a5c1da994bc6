#pragma once

#include "kiln/KilnListView.h"

#include <QWidget>

#include <cstdint>

class CFlatHeaderCtrl;
class CTreeListDoc;
class KilnListModel;
class PaletteSheetSink;
class QAbstractItemView;
class QListView;
class QMenu;
class QModelIndex;
class QPoint;
class QStackedLayout;
class QTreeView;

// The kiln list: one line (or icon) per unit of the farm shown, kept up to date column by column
// as replies arrive. One model feeds a report view (details) and an icon view (large icons,
// small icons, list); the right-button menus open a unit's controller sheet, delete a unit of a
// disconnected farm, add a unit or change the style.
//
// Every command looks the unit up again when it runs: a unit deleted, or a farm switched, since
// the menu opened leaves the command with nothing to do.
//
// Only the view of the style chosen is on screen: the keyboard focus given to the list goes to
// it, and a screen reader finds it alone, each unit once.
class CMyListView : public QWidget, public KilnListView {
    Q_OBJECT

public:
    // Styles, as bits 2-3 of the "Bit Set 1" setting hold them.
    enum Style { LargeIcons = 0, SmallIcons = 1, List = 2, Details = 3 };

    // Command numbers the menus' actions carry as data.
    enum Command {
        ID_OPERATE = 32813,
        ID_DELETE = 32783,
        ID_ITEM_PROPERTIES = 32785,
        ID_VIEW_LARGE_ICONS = 32789,
        ID_VIEW_SMALL_ICONS = 32790,
        ID_VIEW_LIST = 32791,
        ID_VIEW_DETAILS = 32792,
        ID_ARRANGE_BY_NAME = 32793,
        ID_ARRANGE_BY_ALARM_STATUS = 32794,
        ID_ARRANGE_BY_OPERATING_MODE = 32795,
        ID_LINE_UP_ICONS = 32787,
        ID_NEW_KILN = 32797,
        ID_BACKGROUND_PROPERTIES = 32788,
    };

    // Column widths in pixels, for normal and large fonts; 0 for the unnamed columns.
    static int ColumnWidth(int column, bool largeFont);

    // The view registers itself as the document's kiln list. The document must outlive it, and
    // whoever ends the view while the document goes on detaches it first
    // (SetKilnListView(nullptr)); a document ended first never calls it again.
    explicit CMyListView(CTreeListDoc& document, QWidget* parent = nullptr);

    // The first update, once the document has loaded its settings: the registration with the
    // document, the columns' widths for the font, and the style stored in "Bit Set 1".
    void OnInitialUpdate();

    // The copy of "Bit Set 1" with the style chosen in this run in bits 2-3.
    std::uint32_t ViewStyleWord() const { return m_dwViewStyle; }

    // KilnListView
    void nOTIFYoFtREEsELECTION(bool clear, int farmIndex, const UnitSlots& units) override;
    void NotifyOfData(int retryCountdown, int farmIndex, const KilnRecord& newRecord,
                      const KilnRecord& oldRecord, int nodeId) override;
    void NotifyOfStartupScanStatus(bool startupScanComplete) override;
    void nOTIFYoFsTATUS(int replyCode) override;
    void RemoveLine(int nodeIndex, int itemIndex) override;
    int NodeIndexOfItem(int itemIndex) const override;

    // Every present slot's line in node order: without data when clear is set.
    void dRAWtHEdISPLAY(bool clear, const UnitSlots& units);

    void SetListStyle(int style);
    int ListStyle() const;
    // No line is shown.
    bool IsEmpty() const;

    // The menu of a line, for the unit of that item; nullptr (and no selected unit) when the
    // item has no line or its slot is empty. The caller owns the menu; its actions carry the
    // command numbers as data.
    QMenu* BuildItemMenu(int itemIndex, QWidget* parent);
    // The menu of the list's background.
    QMenu* BuildBackgroundMenu(QWidget* parent);
    // Runs a command of the menus, as the menus' actions do.
    void OnCommand(int command);
    // A double click on an item: the unit's sheet, whatever its state.
    void OpenItem(int itemIndex);

    // The controller sheet that is open, or nullptr once it closes. An opening sheet shows the
    // document's selected unit, which becomes the list's selected line; its closing ends the
    // selection of the unit.
    void SetSheetSink(PaletteSheetSink* sheet);
    PaletteSheetSink* SheetSink() const { return m_pSheet; }

    int DisplayedFarm() const { return m_iDisplayedFarm; }
    int SelectedItem() const { return m_iSelectedItem; }
    int SelectedNode() const { return m_iSelectedNode; }
    // The node ID of the line the keyboard focus is on (a click or the arrow keys moved it
    // there), or 0 when there is none.
    int CurrentLineNodeId() const;
    bool StartupScanComplete() const { return m_bStartupScanComplete; }
    KilnListModel& Model() { return *m_pModel; }
    QTreeView& DetailsView() { return *m_pDetails; }
    QListView& IconView() { return *m_pIcons; }
    CFlatHeaderCtrl& Header() { return *m_pHeader; }

signals:
    void listStyleChanged(int style);
    // Operate, or a double click: the controller sheet of a unit.
    void paletteSheetRequested(int farmIndex, int nodeIndex);
    // New > Kiln: the Add Kiln dialog for the farm shown.
    void addKilnRequested(int farmIndex);

private:
    bool ValidFarm(int farmIndex) const;
    // Makes an item the selected one and the document's selected unit; the record or nullptr.
    KilnRecord* SelectItem(int itemIndex);
    // The selected unit's record if the farm shown still has it.
    KilnRecord* SelectedRecord() const;
    void ForgetSelection();
    void ApplyColumnWidths();
    void ApplyStyle(int style);
    void ShowView(QAbstractItemView* view);
    void ShowContextMenu(QWidget* view, const QModelIndex& index, const QPoint& position);

    CTreeListDoc& m_document;
    KilnListModel* m_pModel = nullptr;
    CFlatHeaderCtrl* m_pHeader = nullptr;
    QTreeView* m_pDetails = nullptr;
    QListView* m_pIcons = nullptr;
    QStackedLayout* m_pStack = nullptr;
    PaletteSheetSink* m_pSheet = nullptr;

    int m_iStyle = -1;
    int m_iDisplayedFarm = -1;
    int m_iSelectedItem = -1;
    int m_iSelectedNode = -1;
    bool m_bStartupScanComplete = false;
    std::uint32_t m_dwViewStyle = 12;
};
