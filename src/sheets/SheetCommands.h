#pragma once

#include <QObject>
#include <QPointer>

class CAddKilnDialog;
class CFarmPropertiesSheet;
class CMyListView;
class CPaletteSheet;
class CTreeListDoc;
class CTreeListView;
class QDialog;
class QWidget;

// Opens the sheets and dialogs the views ask for: a unit's controller sheet (Operate or a
// double click in the kiln list), the Add Kiln dialog (New > Kiln) and a farm's property sheet
// (the tree's Properties). Each runs modally; the tick and the serial events go on under it.
// While the controller sheet is open the kiln list hands it the unit's news; when it closes
// the list forgets it and the document's selected unit is cleared.
class SheetCommands : public QObject {
    Q_OBJECT

public:
    // window: the parent of the sheets. Connects the views' requests; every reference must
    // outlive this object.
    SheetCommands(CTreeListDoc& document, CMyListView& list, CTreeListView& tree, QWidget* window);

    void OpenPaletteSheet(int farmIndex, int nodeIndex);
    void OpenAddKiln(int farmIndex);
    void OpenFarmProperties(int farmIndex);

    // The sheet or dialog running now, or nullptr.
    CPaletteSheet* PaletteSheet() const;
    CAddKilnDialog* AddKilnDialog() const;
    CFarmPropertiesSheet* FarmSheet() const;

    // Ends the sheet or dialog running, as its Cancel does, and deletes it at once: the first
    // step of the program's end, while the document and the list are still there. The one who
    // opened it finds it gone when its exec() returns, and this object too if it ended.
    void EndSheets();

private:
    // Runs a sheet modally and deletes it; false when this object ended while it ran.
    bool RunModal(QDialog* sheet);

    CTreeListDoc& m_document;
    CMyListView& m_list;
    QWidget* m_pWindow;
    QPointer<CPaletteSheet> m_pPalette;
    QPointer<CAddKilnDialog> m_pAddKiln;
    QPointer<CFarmPropertiesSheet> m_pFarm;
};
